#include "run/arguments.h"

namespace cw {
namespace {

bool IsOption(const std::string& word) { return word.size() > 1 && word[0] == '-'; }

}  // namespace

Arguments ParseArguments(const std::vector<std::string>& words) {
  Arguments arguments;
  bool optionsEnded = false;
  for (const std::string& word : words) {
    if (optionsEnded || !IsOption(word)) {
      arguments.names.push_back(word);
    } else if (word == "--") {
      optionsEnded = true;
    } else if (word == "--help" || word == "-h") {
      if (arguments.request == Request::Refilm) arguments.request = Request::Help;
    } else if (word == "--version") {
      if (arguments.request == Request::Refilm) arguments.request = Request::Version;
    } else if (arguments.request != Request::Mistake) {
      arguments.request = Request::Mistake;
      arguments.mistake = "unrecognized option '" + word + "'";
    }
  }
  return arguments;
}

bool AsksForHelpOrVersion(const std::vector<std::string>& words) {
  for (const std::string& word : words) {
    if (word == "--") return false;
    if (word == "--help" || word == "-h" || word == "--version") return true;
  }
  return false;
}

}  // namespace cw
