#pragma once
// Coordinate expressions: three axes, each fixed, tied to an entity's
// trajectory (with a time lag and an offset), or "now" (the caller's value).

#include <array>
#include <string_view>

#include "base/vec3.h"

namespace cw {

class EntityTable;

inline constexpr int kAxisNow = -1;
inline constexpr int kAxisFixed = 0;

class CCoord {
 public:
  virtual ~CCoord() = default;
  CCoord() = default;
  CCoord(const CCoord&) = default;
  CCoord& operator=(const CCoord&) = default;

  std::array<float, 3> lag{0, 0, 0};
  std::array<int, 3> entity{0, 0, 0};
  std::array<float, 3> offset{0, 0, 0};

  bool operator==(const CCoord& other) const {
    return lag == other.lag && entity == other.entity && offset == other.offset;
  }
};

// Parses the text of a position or view command and marks every entity it
// names as referenced, so that its trajectory is recorded.
CCoord ParseCoord(std::string_view text, EntityTable& entities);

// Writes the coordinate's axes into `point` at `demoTime`; a "now" axis is
// left as the caller set it.
void Evaluate(const CCoord& coord, Vec3& point, const EntityTable& entities, float demoTime);

// Pitch and yaw from `camera` toward `target` into angles[0] and angles[1];
// the roll is left alone.
void LookAt(const Vec3& target, const Vec3& camera, Vec3& angles);
// The yaw alone, as LookAt gives it.
float LookAtYaw(const Vec3& target, const Vec3& camera);

}  // namespace cw
