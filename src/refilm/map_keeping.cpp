#include "refilm/map_keeping.h"

#include <algorithm>
#include <cmath>

#include "camera/coord.h"
#include "map/map_loading.h"
#include "map/solid_trace.h"
#include "refilm/refilm_context.h"

namespace cw {
namespace {

// Closer than this to its scripted place, an easing camera is back there.
constexpr float kBackAtPlace = 0.5f;
// A block's time step taken for the easing: a jump of the clock (a skipped
// stretch) does not snap the camera back at once.
constexpr float kLongestStep = 0.1f;

// The point the camera is kept on a line with: the point looked at, or
// while it looks along another's eyes or turns, the entity its place follows.
bool CameraTarget(const RefilmContext& context, Vec3& target) {
  const DirectorState& director = context.director;
  if (director.eyesEntity == 0 && !director.turning) {
    target = director.lookAtPoint;
    return true;
  }
  const CCoord& place = director.cameraPlace;
  if (place.entity[0] <= 0 || place.entity[1] != place.entity[0] || place.entity[2] != place.entity[0]) return false;
  CCoord followed = place;
  followed.offset = {0, 0, 0};
  Evaluate(followed, target, context.entities, context.run.demoTime);
  return true;
}

// Where a camera that no line leads out of stands: where it last stood in
// the map; before it stood anywhere (the first blocks of a level, before the
// player is known), where the player or else the first entity with a
// baseline in the map is.
bool FallbackPlace(const RefilmContext& context, Vec3& place) {
  const MapKeeping& keeping = context.keeping;
  if (keeping.hasInside) {
    place = keeping.lastInside;
    return true;
  }
  if (const TrackPoint* player = context.entities.LatestPoint(kPlayerEntity)) {
    place = {player->x, player->y, player->z};
    if (!OutsideMap(keeping.space.ContentsAt(place))) return true;
  }
  constexpr int kEntitiesLookedAt = 1024;
  for (int entity = 1; entity < kEntitiesLookedAt; ++entity) {
    const BaselineOrigin* baseline = context.entities.Baseline(entity);
    if (baseline == nullptr || OutsideMap(keeping.space.ContentsAt(baseline->origin))) continue;
    place = baseline->origin;
    return true;
  }
  return false;
}

// The camera stands in the map from here on: where it stands is its fallback.
void StandsInside(MapKeeping& keeping, const Vec3& origin) {
  keeping.lastInside = origin;
  keeping.hasInside = true;
}

}  // namespace

bool EnterLevelMap(RefilmContext& context, const std::string& mapName) {
  MapKeeping& keeping = context.keeping;
  keeping.reach = -1;
  keeping.lastTime = 0;
  keeping.hasInside = false;
  if (!context.options.keepInMap || mapName == keeping.mapName) return keeping.space.Loaded();
  keeping.mapName = mapName;
  keeping.space = SolidSpace{};
  keeping.problem.clear();
  return LoadSolidSpace(context.options.gameFolder, mapName, keeping.space, keeping.problem);
}

void KeepCameraInMap(RefilmContext& context) {
  MapKeeping& keeping = context.keeping;
  if (!context.options.keepInMap || !keeping.space.Loaded()) return;
  const float now = context.run.demoTime;
  const float step = std::clamp(now - keeping.lastTime, 0.0f, kLongestStep);
  keeping.lastTime = now;

  Vec3& origin = context.director.cameraOrigin;
  const bool outside = OutsideMap(keeping.space.ContentsAt(origin));
  Vec3 target{0, 0, 0};
  if (!outside && keeping.reach < 0) {
    StandsInside(keeping, origin);
    return;
  }
  if (!CameraTarget(context, target)) target = origin;
  Vec3 away{};
  for (std::size_t i = 0; i < 3; ++i) away[i] = origin[i] - target[i];
  const float length = std::sqrt(away[0] * away[0] + away[1] * away[1] + away[2] * away[2]);
  const SegmentTrace trace = TraceSegment(keeping.space, target, origin, TraceStops::AtSolidOrSky);
  if (!(length > 0) || trace.startsInside) {
    // No line leads out: the target is in the wall too, or is the camera.
    keeping.reach = -1;
    if (outside && FallbackPlace(context, origin)) {
      DirectorState& director = context.director;
      if (director.eyesEntity == 0 && !director.turning) LookAt(director.lookAtPoint, origin, director.cameraAngles);
      ++keeping.correctedBlocks;
    }
    if (!outside) StandsInside(keeping, origin);
    return;
  }
  const float clear = trace.Clear() ? length : std::max(0.0f, trace.fraction * length - kWallClearance);
  // Out of a wall at once, back toward the scripted place gradually.
  float reach = std::min(length, clear);
  if (keeping.reach >= 0) {
    const float eased = keeping.reach + (length - keeping.reach) * (1.0f - std::exp(-step / kEaseOutSeconds));
    reach = std::min(reach, eased);
  }
  if (!outside && length - reach < kBackAtPlace) {
    keeping.reach = -1;
    StandsInside(keeping, origin);
    return;
  }
  // Along the line toward the target, so the camera still looks where it did.
  for (std::size_t i = 0; i < 3; ++i) origin[i] = target[i] + away[i] * (reach / length);
  keeping.reach = reach;
  StandsInside(keeping, origin);
  ++keeping.correctedBlocks;
}

}  // namespace cw
