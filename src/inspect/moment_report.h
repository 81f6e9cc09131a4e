#pragma once
// One moment of a demo (`info --at T`), as labelled lines ending in script
// lines ready to paste, and as one JSON object per demo for programs.

#include <iosfwd>
#include <string>

namespace cw {

struct Moment;

void WriteMomentText(const Moment& moment, std::ostream& out);
void WriteMomentJson(const Moment& moment, std::ostream& out);

// The script lines of a moment: "12.5 stay 512 -128 96", and a view line:
// for the player, the point 256 units ahead of its eyes; for another
// entity, the entity itself. Empty when a coordinate is no number.
std::string StayLine(const Moment& moment);
std::string ViewLine(const Moment& moment);

}  // namespace cw
