#include "system/terminal_probe.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <iostream>

#include "console/terminal.h"

namespace cw {

void MarkErrorStreamWhenTerminal() {
  const char* term = std::getenv("TERM");
  if (isatty(STDERR_FILENO) == 0 || (term != nullptr && std::strcmp(term, "dumb") == 0)) return;
  winsize size{};
  const int columns = ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 ? size.ws_col : 0;
  MarkAsTerminal(std::cerr, columns);
}

}  // namespace cw
