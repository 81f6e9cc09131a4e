#pragma once
// The words of a command line, as both programs read them: GNU style, with
// options anywhere before "--", which ends them, so that a file whose name
// begins with a dash can still be named.

#include <string>
#include <vector>

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
  std::string mistake;
};

// `words` excludes the program's name.
Arguments ParseArguments(const std::vector<std::string>& words);

// Whether the words ask for help or the version, which a program answers
// before anything else (the dialog program before its window system).
bool AsksForHelpOrVersion(const std::vector<std::string>& words);

}  // namespace cw
