#pragma once
// Numbers as the game's files store them: little-endian, whatever the
// machine. The caller has made sure the bytes are there.

#include <cstdint>
#include <cstring>

namespace cw {

inline std::uint32_t ReadU32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
         static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}
inline std::int32_t ReadI32(const std::uint8_t* p) { return static_cast<std::int32_t>(ReadU32(p)); }
inline std::uint16_t ReadU16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | p[1] << 8); }
inline std::int16_t ReadI16(const std::uint8_t* p) { return static_cast<std::int16_t>(ReadU16(p)); }
inline float ReadF32(const std::uint8_t* p) {
  const std::uint32_t bits = ReadU32(p);
  float value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

}  // namespace cw
