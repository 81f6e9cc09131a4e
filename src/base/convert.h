#pragma once
// Truncating conversions from float, as the x86-64 conversion instruction does
// them: toward zero, and INT_MIN for NaN or for a value outside the int range.
// Written without undefined behaviour so that the sanitizer build accepts them.

#include <climits>
#include <cmath>
#include <cstdint>

#include "base/protocol.h"
#include "base/vec3.h"

namespace cw {

inline int TruncateToInt(float value) {
  // 2147483648.0f is the first float past INT_MAX; -2147483648.0f is INT_MIN itself.
  if (!(value > -2147483904.0f && value < 2147483648.0f)) return INT_MIN;
  return static_cast<int>(value);
}

// A coordinate written to the stream: map units times 8, low 16 bits.
inline std::int16_t EncodeCoord(float value) {
  return static_cast<std::int16_t>(
      static_cast<std::uint16_t>(static_cast<unsigned>(TruncateToInt(value * kCoordScale)) & 0xFFFFu));
}

// An angle written to the stream: degrees times 256/360, low 8 bits, so that
// negative angles and angles of a full turn or more wrap.
inline std::uint8_t EncodeAngle(float degrees) {
  return static_cast<std::uint8_t>(static_cast<unsigned>(TruncateToInt(degrees * kAngleToByte)) & 0xFFu);
}

inline float DecodeAngle(std::uint8_t value) { return static_cast<float>(value) * kByteToAngle; }

// Origin x of an entity update is truncated to a whole unit; y and z keep
// their eighths. Both are the quirks that recorded scripts rely on.
inline float DecodeOriginX(std::int16_t value) { return static_cast<float>(value / 8); }
inline float DecodeOriginYZ(std::int16_t value) { return static_cast<float>(value) * kCoordUnit; }

// The same for an origin already in map units: x cut to its whole units (a
// zero without a sign, as the whole-number division gives it).
inline Vec3 TrackedOrigin(const Vec3& origin) { return {std::trunc(origin[0]) + 0.0f, origin[1], origin[2]}; }

}  // namespace cw
