#include "console/subcommand_kit.h"

#include <cstdlib>
#include <ostream>

#include "camera/script_number.h"
#include "console/exit_status.h"
#include "stream/demo_files.h"

namespace cw {

int Help(std::ostream& out, const char* usage, const char* help) {
  out << usage << '\n' << help;
  return out.flush() ? kExitDone : kExitRefused;
}

int Mistake(std::ostream& err, const std::string& mistake, const char* usage) {
  err << kCommandLineProgram << ": " << mistake << '\n' << usage;
  return kExitRefused;
}

int Refuse(std::ostream& err, const std::string& text) {
  err << "Error: " << text << '\n';
  return kExitRefused;
}

std::string ValueOf(const CommandLine& line, std::string_view name) {
  std::string value;
  for (const GivenOption& option : line.options) {
    if (option.name == name) value = option.value;
  }
  return value;
}

std::string GameFolder(const CommandLine& line) {
  std::string folder = ValueOf(line, "game");
  if (folder.empty()) {
    if (const char* environment = std::getenv("QUAKE_DIR")) folder = environment;
  }
  return folder;
}

std::string Quoted(const std::string& name) { return "\"" + name + "\""; }

std::string InputProblem(const std::string& what, const std::string& name) {
  if (KindOf(name) == FileKind::Other) return what + " " + Quoted(name) + " is not a file.";
  if (!FileExists(name)) return what + " " + Quoted(name) + " doesn't exist";
  return {};
}

bool ReadTime(const CommandLine& line, std::string_view name, std::optional<float>& time, std::string& mistake) {
  if (!line.Has(name)) return true;
  const std::string text = ValueOf(line, name);
  const NumberRead read = ReadDecimal(text);
  if (read.length == 0 || read.length != text.size()) {
    mistake = "option '--" + std::string(name) + "' needs a time in seconds, not '" + text + "'";
    return false;
  }
  time = read.value;
  return true;
}

}  // namespace cw
