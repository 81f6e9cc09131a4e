// TEMPORARY: stand-ins for core entry points that are not on main yet, so
// that the dialog program links. CMake adds this file only while
// src/app/refilm_run.cpp is missing; delete it once the core has them.
#include <iostream>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/options.h"
#include "app/platform.h"
#include "app/refilm_run.h"

namespace cw {

RunOutcome RefilmDemo(Context&, Platform& platform) {
  platform.MessageBox("The refilm is not built into this program yet.", "Error", MessageKind::Error);
  return RunOutcome::Refused;
}

void ApplyCommandLine(const std::vector<std::string>& arguments, RefilmOptions& options) {
  if (arguments.empty()) return;
  options.autoRun = true;
  std::string source, script, result;
  if (arguments.size() == 1) {
    result = arguments[0];
  } else if (arguments.size() == 2) {
    source = arguments[0];
    result = arguments[1];
  } else {
    source = arguments[0];
    script = arguments[1];
    result = arguments[2];
    for (std::size_t i = 3; i < arguments.size(); ++i) result += " " + arguments[i];
  }
  options.scriptFile = script.empty() ? kDefaultScriptFile : script;
  if (!script.empty()) options.generateScript = false;
  options.sourceDemo = source;
  options.resultDemo = result;
}

int RunConsole(const std::vector<std::string>&, std::ostream&, std::ostream& err) {
  err << "camwright: the console refilm is not built into this program yet\n";
  return 1;
}

}  // namespace cw
