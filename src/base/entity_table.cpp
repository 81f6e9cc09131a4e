#include "base/entity_table.h"

namespace cw {

void EntityTable::AddTrackPoint(int entity, float time, float x, float y, float z) {
  if (!IsReferenced(entity)) return;
  tracks[static_cast<std::size_t>(entity)].Add(TrackPoint{time, x, y, z});
}

const TrackPoint* EntityTable::LatestPoint(int entity) const {
  const TrackList* track = Track(entity);
  return track ? track->Latest() : nullptr;
}

int EntityTable::PointCount(int entity) const {
  const TrackList* track = Track(entity);
  return track ? track->Count() : 0;
}

const TrackList* EntityTable::Track(int entity) const {
  return Tracked(entity) ? &tracks[static_cast<std::size_t>(entity)] : nullptr;
}

}  // namespace cw
