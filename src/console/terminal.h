#pragma once
// Whether a console stream is a terminal, and how wide. Only the front end
// can ask the system; it marks the stream, and the core reads the mark, so
// that a test can hand the core a terminal of its own making.

#include <iosfwd>

namespace cw {

inline constexpr int kDefaultColumns = 80;

// `columns` below 1 means the width is unknown (kDefaultColumns is used).
void MarkAsTerminal(std::ostream& stream, int columns);
bool IsTerminal(std::ostream& stream);
int TerminalColumns(std::ostream& stream);

}  // namespace cw
