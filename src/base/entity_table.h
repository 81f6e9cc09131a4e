#pragma once
// The positions of the entities a script follows, recorded as the demo's
// entity updates are parsed.

#include <algorithm>
#include <bitset>
#include <map>
#include <vector>

#include "base/protocol.h"
#include "base/vec3.h"

namespace cw {

struct TrackPoint {
  float time = 0;
  float x = 0;
  float y = 0;
  float z = 0;
};

// The trajectory of one entity, as its lookups need it. A lookup asks for
// the newest point at or before a time; a point that a newer one at the same
// or an earlier time has overtaken (demo time runs backwards at a new level)
// can never be that answer again, so it goes. What stays runs forward in
// time, and a lookup is a binary search however long the demo.
class TrackList {
 public:
  void Add(const TrackPoint& point) {
    while (!points.empty() && !(points.back().time < point.time)) points.pop_back();
    points.push_back(point);
    ++added;
  }
  // Every point ever added, overtaken ones included.
  int Count() const { return added; }
  const TrackPoint* Latest() const { return points.empty() ? nullptr : &points.back(); }
  // The newest point whose time is at or before `time`, or nullptr.
  const TrackPoint* At(float time) const {
    if (time != time) return nullptr;  // NaN: no time is at or before it
    const auto after = std::upper_bound(points.begin(), points.end(), time,
                                        [](float t, const TrackPoint& point) { return t < point.time; });
    return after == points.begin() ? nullptr : &*(after - 1);
  }
  void Clear() {
    points.clear();
    added = 0;
  }

 private:
  std::vector<TrackPoint> points;
  int added = 0;
};

// The origin an entity's baseline gives, decoded as an update's origin is.
struct BaselineOrigin {
  bool present = false;
  Vec3 origin{0, 0, 0};
};

// Which entities a script follows and where they went. Any number a demo can
// carry (1 to 32767) may be followed; a trajectory is kept only for the
// numbers a script names, so that memory grows with those alone.
class EntityTable {
 public:
  // Every entity number an update or a baseline of this demo named.
  std::bitset<kEntityNumberSpace> used;

  static bool Tracked(int entity) { return entity > 0 && entity <= kHighestEntity; }
  bool IsReferenced(int entity) const { return Tracked(entity) && referenced.test(static_cast<std::size_t>(entity)); }
  // From now on, the entity's updates add points to its trajectory.
  void Reference(int entity);
  // No entity is followed any more; the points recorded stay.
  void ClearReferences() { referenced.reset(); }
  int ReferencedCount() const { return static_cast<int>(referenced.count()); }

  // Baselines are kept for every entity, followed or not: a script may name
  // it only after its baseline went by.
  void RecordBaseline(int entity, const Vec3& origin);
  // The entity's baseline, or nullptr when it has none.
  const BaselineOrigin* Baseline(int entity) const;
  void ForgetBaselines() { baselines.clear(); }

  // Adds a point when the entity is tracked and referenced.
  void AddTrackPoint(int entity, float time, float x, float y, float z);
  // The newest point, or nullptr when the entity has none.
  const TrackPoint* LatestPoint(int entity) const;
  int PointCount(int entity) const;
  // The entity's trajectory, or nullptr when no script ever named it.
  const TrackList* Track(int entity) const;

 private:
  std::bitset<kEntityNumberSpace> referenced;
  std::map<int, TrackList> tracks;
  // Indexed by entity number, as far as the highest baseline seen.
  std::vector<BaselineOrigin> baselines;
};

}  // namespace cw
