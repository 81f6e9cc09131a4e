#pragma once
// Coordinates and angles written as the level being read lays them out, for
// every message the refilm writes itself: the camera's baseline and updates,
// its sounds and the player's blood.

#include "base/convert.h"
#include "stream/block.h"
#include "stream/message_reader.h"

namespace cw {

// The widths that protocol 999's flags choose.
void PutWideCoord(CBlock& out, const StreamState& stream, float value);
void PutWideAngle(CBlock& out, const StreamState& stream, float degrees);

// Protocols 15 and 666: map units times 8 in a short, truncated. Protocol
// 999 as its flags say: a float, sixteenths in a long, or a whole short and
// 255ths in a byte. Inline: the camera writes six of these every block.
inline void PutCoord(CBlock& out, const StreamState& stream, float value) {
  if (stream.protocolFlags == 0) {
    out.PutShort(EncodeCoord(value));
  } else {
    PutWideCoord(out, stream, value);
  }
}

// Protocols 15 and 666: 256 steps per turn in a byte, truncated and wrapped.
// Protocol 999 as its flags say: a float, or 65536 steps per turn in a short.
inline void PutAngle(CBlock& out, const StreamState& stream, float degrees) {
  if (stream.protocolFlags == 0) {
    out.PutByte(EncodeAngle(degrees));
  } else {
    PutWideAngle(out, stream, degrees);
  }
}

}  // namespace cw
