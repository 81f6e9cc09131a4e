#include "base/entity_table.h"

namespace cw {

void EntityTable::Reference(int entity) {
  if (!Tracked(entity)) return;
  referenced.set(static_cast<std::size_t>(entity));
  std::uint16_t& slot = slots[static_cast<std::size_t>(entity)];
  if (slot != 0) return;
  tracks.emplace_back();
  slot = static_cast<std::uint16_t>(tracks.size());
}

void EntityTable::RecordBaseline(int entity, const Vec3& origin) {
  if (entity < 0 || entity > kHighestEntity) return;
  const auto index = static_cast<std::size_t>(entity);
  if (index >= baselines.size()) baselines.resize(index + 1);
  baselines[index] = BaselineOrigin{true, origin};
}

const BaselineOrigin* EntityTable::Baseline(int entity) const {
  if (entity < 0 || static_cast<std::size_t>(entity) >= baselines.size()) return nullptr;
  const BaselineOrigin& baseline = baselines[static_cast<std::size_t>(entity)];
  return baseline.present ? &baseline : nullptr;
}

void EntityTable::AddTrackPoint(int entity, float time, float x, float y, float z) {
  if (!IsReferenced(entity)) return;
  MutableTrack(entity)->Add(TrackPoint{time, x, y, z});
}

void EntityTable::DropPointsBefore(float time) {
  for (TrackList& track : tracks) track.DropBefore(time);
}

void EntityTable::DropPointsAfter(int entity, float time) {
  if (TrackList* track = MutableTrack(entity)) track->DropAfter(time);
}

void EntityTable::ClearTracks() {
  for (TrackList& track : tracks) track.Clear();
}

const TrackPoint* EntityTable::LatestPoint(int entity) const {
  const TrackList* track = Track(entity);
  return track ? track->Latest() : nullptr;
}

int EntityTable::PointCount(int entity) const {
  const TrackList* track = Track(entity);
  return track ? track->Count() : 0;
}

}  // namespace cw
