#include "shell_command.h"

#include <sys/stat.h>
#include <unistd.h>

namespace cw {

std::string ShellQuote(const std::string& text) {
  std::string quoted = "'";
  for (const char c : text) {
    if (c == '\'') {
      quoted += "'\\''";  // close, an escaped quote, reopen
    } else {
      quoted += c;
    }
  }
  return quoted + "'";
}

std::string ProgramOf(const std::string& commandLine) { return commandLine.substr(0, commandLine.find(' ')); }

std::string ShellLineFor(const std::string& commandLine, bool programInCurrentDirectory) {
  const std::string program = ProgramOf(commandLine);
  std::string line = ShellQuote(programInCurrentDirectory ? "./" + program : program);
  const std::size_t space = commandLine.find(' ');
  if (space != std::string::npos) line += " " + ShellQuote(commandLine.substr(space + 1));
  return line;
}

bool ExecutableInCurrentDirectory(const std::string& name) {
  if (name.empty() || name.find('/') != std::string::npos) return false;
  struct stat status {};
  return ::stat(name.c_str(), &status) == 0 && S_ISREG(status.st_mode) && ::access(name.c_str(), X_OK) == 0;
}

}  // namespace cw
