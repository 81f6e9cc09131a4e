#include "console/shell_line.h"

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

}  // namespace cw
