#include "console/console_platform.h"

#include <cstdlib>
#include <filesystem>
#include <ostream>

#include "console/shell_line.h"
#include "console/stop_signals.h"
#include "film/film_setup.h"

namespace cw {

MessageAnswer ConsolePlatform::MessageBox(const std::string& text, const std::string& caption, MessageKind kind) {
  std::ostream& stream = kind == MessageKind::Report ? out : err;
  stream << caption << ": " << text << '\n';
  stream.flush();
  // Nobody can answer on a console that only reports: the cautious answer.
  return kind == MessageKind::Question ? MessageAnswer::No : MessageAnswer::Ok;
}

bool ConsolePlatform::StopRequested() { return StopSignals::Requested(); }

namespace {

// As the dialog finds its program: an executable file of that plain name in
// the current directory comes before the search path.
bool ProgramInCurrentDirectory(const std::string& name) {
  namespace fs = std::filesystem;
  if (name.empty() || name.find('/') != std::string::npos) return false;
  std::error_code error;
  const fs::file_status status = fs::status(name, error);
  constexpr fs::perms kExecutable = fs::perms::owner_exec | fs::perms::group_exec | fs::perms::others_exec;
  return !error && fs::is_regular_file(status) && (status.permissions() & kExecutable) != fs::perms::none;
}

}  // namespace

bool ConsolePlatform::FindsProgram(const std::string& program) {
  const Environment environment = ProcessEnvironment();
  if (program == "play") return !FindPlayProgram(environment).empty();
  return ProgramInCurrentDirectory(program) || !FindProgram(program, environment).empty();
}

void ConsolePlatform::RunCommand(const std::string& commandLine) {
  const std::string line = ShellLineFor(commandLine, ProgramInCurrentDirectory(ProgramOf(commandLine)));
  const int status = std::system(line.c_str());
  (void)status;  // the command's own outcome is the user's business
}

}  // namespace cw
