#pragma once
// The words of a command line, as both programs and every subcommand read
// them: GNU style. "--name VALUE" and "--name=VALUE", "-x VALUE", a "--no-"
// twin for each switch, options anywhere before "--", which ends them, so
// that a file whose name begins with a dash can still be named.

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace cw {

// One option a command knows.
struct OptionSpec {
  std::string_view name;  // without its dashes: "fps"
  char shortName = 0;     // 'j' for "-j", 0 for none
  bool takesValue = false;
  bool hasNoTwin = false;  // "--no-NAME" turns the switch off
};

struct GivenOption {
  std::string_view name;  // the option's long name, whatever form was typed
  std::string value;      // empty for a switch
  bool negated = false;   // given as "--no-NAME"
};

struct CommandLine {
  std::vector<GivenOption> options;   // in the order given
  std::vector<std::string> operands;  // every word that is no option, in order
  std::string mistake;                // what was wrong; empty when nothing was

  bool Has(std::string_view name) const;
};

// Reads `words` (without the program's name) against the options `specs`
// knows. The first mistake (an unknown option, a missing value, a value given
// to a switch) is kept and the rest is still read.
CommandLine ParseCommandLine(const std::vector<std::string>& words, std::span<const OptionSpec> specs);

// The options every program knows.
inline constexpr OptionSpec kHelpOption{"help", 'h'};
inline constexpr OptionSpec kVersionOption{"version"};

}  // namespace cw
