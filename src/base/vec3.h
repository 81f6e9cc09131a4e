#pragma once
#include <array>

namespace cw {

// Three floats: a point (x, y, z) or view angles (pitch, yaw, roll).
using Vec3 = std::array<float, 3>;
inline constexpr int kPitch = 0;
inline constexpr int kYaw = 1;
inline constexpr int kRoll = 2;

}  // namespace cw
