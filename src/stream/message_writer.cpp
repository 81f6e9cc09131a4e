#include "stream/message_writer.h"

#include <cmath>

#include "base/convert.h"
#include "base/protocol.h"

namespace cw {
namespace {

constexpr float kAngleToShort = 182.04445f;  // 65536 / 360

int LowBits(int value, unsigned mask) { return static_cast<int>(static_cast<unsigned>(value) & mask); }

}  // namespace

void PutWideCoord(CBlock& out, const StreamState& stream, float value) {
  const std::uint32_t flags = stream.protocolFlags;
  if (flags & PRFL_FLOATCOORD) {
    out.PutFloat(value);
  } else if (flags & PRFL_INT32COORD) {
    out.PutLong(TruncateToInt(value * 16.0f));
  } else if (flags & PRFL_24BITCOORD) {
    // Read back as the short plus the byte over 255: the short is the whole
    // part toward minus infinity, so that the byte is never negative.
    const float whole = std::floor(value);
    const int fraction = TruncateToInt((value - whole) * 255.0f);
    out.PutShort(LowBits(TruncateToInt(whole), 0xFFFFu));
    out.PutByte(fraction >= 0 && fraction < 255 ? fraction : 0);
  } else {
    out.PutShort(EncodeCoord(value));
  }
}

void PutWideAngle(CBlock& out, const StreamState& stream, float degrees) {
  const std::uint32_t flags = stream.protocolFlags;
  if (flags & PRFL_FLOATANGLE) {
    out.PutFloat(degrees);
  } else if (flags & PRFL_SHORTANGLE) {
    out.PutShort(LowBits(TruncateToInt(degrees * kAngleToShort), 0xFFFFu));
  } else {
    out.PutByte(EncodeAngle(degrees));
  }
}

}  // namespace cw
