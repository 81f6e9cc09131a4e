#pragma once
// The words of a refilm: help, version, the refilm's options and its names.

#include <string>
#include <vector>

#include "console/option_words.h"
#include "refilm/options.h"

namespace cw {

enum class Request {
  Refilm,   // the names are those of a refilm
  Help,     // --help or -h
  Version,  // --version
  Mistake,  // an option that is not one: `mistake` says which
};

struct Arguments {
  Request request = Request::Refilm;
  std::vector<std::string> names;  // every word that is no option, in order
  // The run the words ask for: the dialog's defaults, the options given,
  // then the names (see ApplyRefilmForm).
  RefilmOptions options;
  std::string mistake;
};

// The words of a refilm: help, version, the refilm's options and names.
Arguments ParseArguments(const std::vector<std::string>& words);

// Whether the words ask for help or the version, which a program answers
// before anything else (the dialog program before its window system).
bool AsksForHelpOrVersion(const std::vector<std::string>& words);

}  // namespace cw
