#include "console/refilm_names.h"

#include "refilm/options.h"

namespace cw {

void ApplyCommandLine(const std::vector<std::string>& arguments, RefilmOptions& options) {
  if (arguments.empty()) return;
  options.autoRun = true;
  std::string source;
  std::string script;
  std::string result;
  switch (arguments.size()) {
    case 1:
      result = arguments[0];
      break;
    case 2:
      source = arguments[0];
      result = arguments[1];
      break;
    default:
      source = arguments[0];
      script = arguments[1];
      result = arguments[2];
      for (std::size_t i = 3; i < arguments.size(); ++i) result += " " + arguments[i];
      break;
  }
  if (script.empty()) {
    options.scriptFile = kDefaultScriptFile;
  } else {
    options.scriptFile = script;
    options.generateScript = false;
  }
  options.sourceDemo = source;
  options.resultDemo = result;
}

}  // namespace cw
