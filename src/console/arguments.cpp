#include "console/arguments.h"

#include <algorithm>

#include "console/refilm_options_cli.h"

namespace cw {

Arguments ParseArguments(const std::vector<std::string>& words) {
  CommandLine line = ParseCommandLine(words, RefilmFormSpecs());
  Arguments arguments;
  const auto asked = std::find_if(line.options.begin(), line.options.end(), [](const GivenOption& option) {
    return option.name == kHelpOption.name || option.name == kVersionOption.name;
  });
  if (!line.mistake.empty()) {
    arguments.request = Request::Mistake;
    arguments.mistake = std::move(line.mistake);
  } else if (asked != line.options.end()) {
    arguments.request = asked->name == kHelpOption.name ? Request::Help : Request::Version;
  } else if (!ApplyRefilmForm(line, arguments.options, arguments.mistake)) {
    arguments.request = Request::Mistake;
  }
  arguments.names = std::move(line.operands);
  return arguments;
}

bool AsksForHelpOrVersion(const std::vector<std::string>& words) {
  // Read as a refilm's words, so that "--run-by -h" is a credit, not a request.
  const CommandLine line = ParseCommandLine(words, RefilmFormSpecs());
  return line.Has(kHelpOption.name) || line.Has(kVersionOption.name);
}

}  // namespace cw
