#include <sys/ioctl.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "run/console_front.h"
#include "run/stop_signals.h"
#include "run/terminal.h"

namespace {

// Progress is drawn on standard error only when a person watches it there:
// a terminal that understands the line being redrawn.
void MarkTerminalErrorStream() {
  const char* term = std::getenv("TERM");
  if (isatty(STDERR_FILENO) == 0 || (term != nullptr && std::strcmp(term, "dumb") == 0)) return;
  winsize size{};
  const int columns = ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 ? size.ws_col : 0;
  cw::MarkAsTerminal(std::cerr, columns);
}

}  // namespace

int main(int argc, char** argv) {
  try {
    MarkTerminalErrorStream();
    const int status = cw::RunConsole(std::vector<std::string>(argv + 1, argv + argc), std::cout, std::cerr);
    cw::StopSignals::EndAsAsked();
    return status;
  } catch (...) {
    std::cerr << "Error: Camwright stopped on an unexpected failure.\n";
  }
  return cw::kExitRefused;
}
