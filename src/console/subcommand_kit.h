#pragma once
// What the subcommands that look before a refilm share: their help, their
// mistakes and refusals, the values of their options, their inputs.

#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>

#include "console/option_words.h"

namespace cw {

// Prints the usage and the help; the exit status.
int Help(std::ostream& out, const char* usage, const char* help);
// A mistake in the words, with the usage: exit status 1.
int Mistake(std::ostream& err, const std::string& mistake, const char* usage);
// "Error: TEXT": exit status 1.
int Refuse(std::ostream& err, const std::string& text);

// The value of the option given last, or empty.
std::string ValueOf(const CommandLine& line, std::string_view name);
// The Quake folder of --game, or of QUAKE_DIR.
std::string GameFolder(const CommandLine& line);
std::string Quoted(const std::string& name);
// An input that must be a readable file; the refusal's text otherwise.
std::string InputProblem(const std::string& what, const std::string& name);
// A time in seconds given to option `name`; false, with `mistake`, when it is none.
bool ReadTime(const CommandLine& line, std::string_view name, std::optional<float>& time, std::string& mistake);

}  // namespace cw
