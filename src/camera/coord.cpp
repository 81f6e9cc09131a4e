#include "camera/coord.h"

#include <cmath>
#include <string_view>

#include "base/entity_table.h"
#include "base/protocol.h"
#include "camera/script_number.h"

namespace cw {
namespace {

// An entity number written in a script, kept when an entity can have it. A
// number none can have (0, the world, or past 32767) names no entity: the
// axis becomes fixed at its offset, as if no entity had been written.
int ScriptEntity(int written) { return EntityTable::Tracked(written) ? written : kAxisFixed; }

// "150", "now", "p", "e7": one axis with no lag and no offset from an entity.
void ParseSimpleAxis(std::string_view token, CCoord& coord, std::size_t axis) {
  if (token == "now") {
    coord.entity[axis] = kAxisNow;
  } else if (token == "p") {
    coord.entity[axis] = kPlayerEntity;
  } else if (!token.empty() && token.front() == 'e') {
    coord.entity[axis] = ScriptEntity(ReadWholeNumber(token.substr(1)));
  } else {
    coord.offset[axis] = ReadNumber(token);
  }
}

// "p~0.3", "p+30", "e7-64", "now+50": a head naming the entity and one
// modifier. Only the first number of the modifier counts, so "p~0.3+30" has
// the lag and not the offset.
void ParseModifiedAxis(std::string_view token, std::size_t split, CCoord& coord, std::size_t axis) {
  const std::string_view head = token.substr(0, split);
  const std::string_view modifier = token.substr(split);
  if (head == "p") {
    coord.entity[axis] = kPlayerEntity;
  } else if (!head.empty() && head.front() == 'n') {
    coord.entity[axis] = kAxisNow;
  } else {
    coord.entity[axis] = head.empty() ? kAxisFixed : ScriptEntity(ReadWholeNumber(head.substr(1)));
  }
  if (modifier.front() == '~') {
    coord.lag[axis] = ReadNumber(modifier.substr(1));
  } else {
    coord.offset[axis] = ReadNumber(modifier);
  }
}

void ParseAxis(std::string_view token, CCoord& coord, std::size_t axis) {
  // A leading minus is the sign of a fixed coordinate, not a modifier.
  const std::size_t split = token.find_first_of("~+-");
  if (split == std::string_view::npos || token.front() == '-') {
    ParseSimpleAxis(token, coord, axis);
  } else {
    ParseModifiedAxis(token, split, coord, axis);
  }
}

float Component(const TrackPoint& point, std::size_t axis) {
  switch (axis) {
    case 0:
      return point.x;
    case 1:
      return point.y;
    default:
      return point.z;
  }
}

}  // namespace

CCoord ParseCoord(std::string_view text, EntityTable& entities) {
  // One token stands for all three axes. Otherwise the tokens are x, y and z;
  // a token that is missing or empty is the fixed coordinate 0, and text
  // after the third token is ignored.
  std::array<std::string_view, 3> tokens{text, text, text};
  if (text.find(' ') != std::string_view::npos) {
    std::size_t from = 0;
    for (std::string_view& token : tokens) {
      if (from > text.size()) {
        token = {};
        continue;
      }
      const std::size_t space = text.find(' ', from);
      token = text.substr(from, space == std::string_view::npos ? std::string_view::npos : space - from);
      from = space == std::string_view::npos ? text.size() + 1 : space + 1;
    }
  }

  CCoord coord;
  for (std::size_t axis = 0; axis < 3; ++axis) {
    ParseAxis(tokens[axis], coord, axis);
    entities.Reference(coord.entity[axis]);
  }
  return coord;
}

void Evaluate(const CCoord& coord, Vec3& point, const EntityTable& entities, float demoTime) {
  for (std::size_t i = 0; i < 3; ++i) {
    if (coord.entity[i] == kAxisNow) continue;
    point[i] = coord.offset[i];
    // Fixed axes, and entities no script named, have no trajectory.
    const TrackList* track = entities.Track(coord.entity[i]);
    if (track == nullptr) continue;
    // No interpolation: the newest sample at or before the time looked at is
    // used as it is. A lag reaching back before the first sample leaves the
    // offset alone.
    if (const TrackPoint* sample = track->At(demoTime - coord.lag[i]))
      point[i] = coord.offset[i] + Component(*sample, i);
  }
}

float LookAtYaw(const Vec3& target, const Vec3& camera) {
  const float dx = camera[0] - target[0];
  const float dy = camera[1] - target[1];
  return std::atan2(dy, -dx) * -kRadiansToDegrees;
}

void LookAt(const Vec3& target, const Vec3& camera, Vec3& angles) {
  const float dx = camera[0] - target[0];
  const float dy = camera[1] - target[1];
  const float dz = camera[2] - target[2];
  angles[kPitch] = std::atan2(dz, std::sqrt(dx * dx + dy * dy)) * kRadiansToDegrees;
  angles[kYaw] = LookAtYaw(target, camera);
}

}  // namespace cw
