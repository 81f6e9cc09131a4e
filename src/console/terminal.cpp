#include "console/terminal.h"

#include <ostream>

namespace cw {
namespace {

// The stream's own storage for the mark: its width in columns, 0 when it is
// no terminal (as every stream starts).
int MarkSlot() {
  static const int slot = std::ios_base::xalloc();
  return slot;
}

}  // namespace

void MarkAsTerminal(std::ostream& stream, int columns) {
  stream.iword(MarkSlot()) = columns > 0 ? columns : kDefaultColumns;
}

bool IsTerminal(std::ostream& stream) { return stream.iword(MarkSlot()) > 0; }

int TerminalColumns(std::ostream& stream) {
  const long columns = stream.iword(MarkSlot());
  return columns > 0 && columns < 10000 ? static_cast<int>(columns) : kDefaultColumns;
}

}  // namespace cw
