#pragma once
// The positions of the entities a script follows, recorded as the demo's
// entity updates are parsed.

#include <array>
#include <bitset>
#include <vector>

#include "demo/protocol.h"
#include "demo/vec3.h"

namespace cw {

struct TrackPoint {
  float time = 0;
  float x = 0;
  float y = 0;
  float z = 0;
};

// The trajectory of one entity. Points are only ever added, and looked at
// newest first; they are stored oldest first so that adding is a push.
class TrackList {
 public:
  void Add(const TrackPoint& point) { points.push_back(point); }
  int Count() const { return static_cast<int>(points.size()); }
  const TrackPoint* Latest() const { return points.empty() ? nullptr : &points.back(); }
  // Newest to oldest.
  auto begin() const { return points.rbegin(); }
  auto end() const { return points.rend(); }
  void Clear() { points.clear(); }

 private:
  std::vector<TrackPoint> points;
};

// The origin an entity's baseline gives, decoded as an update's origin is.
struct BaselineOrigin {
  bool present = false;
  Vec3 origin{0, 0, 0};
};

struct EntityTable {
  std::array<int, kEntityTableSize> entityReferenced{};
  std::array<TrackList, kEntityTableSize> tracks;
  std::array<BaselineOrigin, kEntityTableSize> baselines;
  // Every entity number an update or a baseline of this demo named.
  std::bitset<kEntityNumberSpace> used;

  static bool Tracked(int entity) { return entity > 0 && entity < kEntityTableSize; }
  bool IsReferenced(int entity) const { return Tracked(entity) && entityReferenced[static_cast<std::size_t>(entity)] != 0; }
  void Reference(int entity) {
    if (Tracked(entity)) entityReferenced[static_cast<std::size_t>(entity)] = 1;
  }
  void ClearReferences() { entityReferenced.fill(0); }
  void ForgetBaselines() { baselines.fill(BaselineOrigin{}); }

  // Adds a point when the entity is tracked and referenced.
  void AddTrackPoint(int entity, float time, float x, float y, float z);
  // The newest point, or nullptr when the entity has none.
  const TrackPoint* LatestPoint(int entity) const;
  int PointCount(int entity) const;
  const TrackList* Track(int entity) const;
};

}  // namespace cw
