#pragma once
// The one question the programs ask the operating system about their
// terminal: is standard error one a person watches, and how wide is it.

namespace cw {

// Marks std::cerr as a terminal (see console/terminal.h) when it is one
// that understands a line being redrawn: not a file or pipe, not TERM=dumb.
void MarkErrorStreamWhenTerminal();

}  // namespace cw
