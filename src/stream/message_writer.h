#pragma once
// Coordinates and angles written as the level being read lays them out, for
// every message the refilm writes itself: the camera's baseline and updates,
// its sounds and the player's blood.

#include "stream/block.h"
#include "stream/message_reader.h"

namespace cw {

// Protocols 15 and 666: map units times 8 in a short, truncated. Protocol
// 999 as its flags say: a float, sixteenths in a long, or a whole short and
// 255ths in a byte.
void PutCoord(CBlock& out, const StreamState& stream, float value);

// Protocols 15 and 666: 256 steps per turn in a byte, truncated and wrapped.
// Protocol 999 as its flags say: a float, or 65536 steps per turn in a short.
void PutAngle(CBlock& out, const StreamState& stream, float degrees);

}  // namespace cw
