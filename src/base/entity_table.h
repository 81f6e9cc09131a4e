#pragma once
// The positions of the entities a script follows, recorded as the demo's
// entity updates are parsed.

#include <algorithm>
#include <bitset>
#include <cstdint>
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
// time. A lookup searches back from the newest point, where the times asked
// for lie, so it costs little however long the demo; the points that no
// lookup can reach any more can be let go, so that memory stays flat.
class TrackList {
 public:
  void Add(const TrackPoint& point) {
    while (Size() > 0 && !(points.back().time < point.time)) points.pop_back();
    if (Size() == 0) Compact();
    points.push_back(point);
    ++added;
  }
  // Every point ever added, overtaken and dropped ones included.
  int Count() const { return added; }
  // The points kept.
  std::size_t Size() const { return points.size() - first; }
  const TrackPoint* Latest() const { return Size() == 0 ? nullptr : &points.back(); }
  // The newest point whose time is at or before `time`, or nullptr.
  const TrackPoint* At(float time) const {
    if (time != time) return nullptr;  // NaN: no time is at or before it
    // Gallop back from the newest point, then search the last stretch.
    std::size_t high = points.size();  // points from `high` on are after `time`
    std::size_t step = 1;
    while (high > first && time < points[high - 1].time) {
      const std::size_t low = high - 1 > first + step ? high - 1 - step : first;
      if (!(time < points[low].time)) {
        const auto after = std::upper_bound(points.begin() + static_cast<std::ptrdiff_t>(low),
                                            points.begin() + static_cast<std::ptrdiff_t>(high - 1), time,
                                            [](float t, const TrackPoint& point) { return t < point.time; });
        return &*(after - 1);
      }
      high = low;
      step *= 2;
    }
    return high == first ? nullptr : &points[high - 1];
  }
  // Lets go of the points before the newest one at or before `time`: no
  // lookup of a time from `time` on can return them.
  void DropBefore(float time) {
    const TrackPoint* keep = At(time);
    if (keep == nullptr) return;
    first = static_cast<std::size_t>(keep - points.data());
    if (first > points.size() / 2) Compact();
  }
  // Lets go of the points after `time` but the newest.
  void DropAfter(float time) {
    while (Size() >= 2 && points[points.size() - 2].time > time) points.erase(points.end() - 2);
  }
  void Clear() {
    points.clear();
    first = 0;
    added = 0;
  }

 private:
  void Compact() {
    points.erase(points.begin(), points.begin() + static_cast<std::ptrdiff_t>(first));
    first = 0;
  }

  std::vector<TrackPoint> points;  // those kept begin at `first`
  std::size_t first = 0;
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
  const TrackList* Track(int entity) const {
    if (entity <= 0 || entity > kHighestEntity) return nullptr;
    const int slot = slots[static_cast<std::size_t>(entity)];
    return slot == 0 ? nullptr : &tracks[static_cast<std::size_t>(slot - 1)];
  }
  // Every trajectory lets go of the points before `time` that no lookup of
  // a time from `time` on can return; see TrackList::DropBefore.
  void DropPointsBefore(float time);
  // The entity's trajectory lets go of its points after `time`, but the newest.
  void DropPointsAfter(int entity, float time);
  // Every trajectory starts empty; the entities followed stay followed.
  void ClearTracks();
  // A run begins: nothing of an earlier demo stays (its points, the
  // entities followed, the baselines, the numbers used); the room the
  // tables have grown does.
  void StartRun() {
    ClearTracks();
    ClearReferences();
    ForgetBaselines();
    used.reset();
  }

 private:
  TrackList* MutableTrack(int entity) { return const_cast<TrackList*>(Track(entity)); }

  std::bitset<kEntityNumberSpace> referenced;
  // The trajectories of the entities ever named, and for each entity number
  // one more than its trajectory's index (0: none).
  std::vector<TrackList> tracks;
  std::vector<std::uint16_t> slots = std::vector<std::uint16_t>(kHighestEntity + 1, 0);
  // Indexed by entity number, as far as the highest baseline seen.
  std::vector<BaselineOrigin> baselines;
};

}  // namespace cw
