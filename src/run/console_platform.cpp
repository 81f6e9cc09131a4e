#include "run/console_platform.h"

#include <cstdlib>
#include <ostream>

#include "run/stop_signals.h"

namespace cw {

MessageAnswer ConsolePlatform::MessageBox(const std::string& text, const std::string& caption, MessageKind kind) {
  std::ostream& stream = kind == MessageKind::Report ? out : err;
  stream << caption << ": " << text << '\n';
  stream.flush();
  // Nobody can answer on a console that only reports: the cautious answer.
  return kind == MessageKind::Question ? MessageAnswer::No : MessageAnswer::Ok;
}

bool ConsolePlatform::StopRequested() { return StopSignals::Requested(); }

void ConsolePlatform::RunCommand(const std::string& commandLine) {
  const int status = std::system(commandLine.c_str());
  (void)status;  // the command's own outcome is the user's business
}

}  // namespace cw
