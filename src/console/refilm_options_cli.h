#pragma once
// The options of a refilm on the command line: every control of the dialog,
// GNU style, on every form that refilms (the bare form and "refilm" of
// camwright-cli, "batch", and the dialog program started with names). Each
// sets the field of RefilmOptions that the dialog's control of the same
// meaning sets; what is not given keeps the dialog's default.

#include <array>
#include <cstddef>
#include <initializer_list>
#include <span>
#include <string>

#include "console/option_words.h"

namespace cw {

struct RefilmOptions;

// The options that every refilm form takes, in the order --help lists them.
inline constexpr OptionSpec kRefilmOptions[] = {
    {"centerprint-time", 0, false, true},
    {"fade-out", 0, false, true},
    {"exit-time", 0, false, true},
    {"follow-chase", 0, false, true},
    {"bleeding", 0, false, true},
    {"remove-centerprints", 0, false, true},
    {"remove-prints", 0, false, true},
    {"remove-stufftext", 0, false, true},
    {"remove-outside-fov", 0, false, true},
    {"shirt", 0, true},
    {"pants", 0, true},
    {"fps", 0, true},
    {"chain", 0, true},
    {"run-by", 0, true},
    {"filming-by", 0, true},
    {"force", 0, false, true},
    {"quiet", 0, false, true},
    {"keep-in-map", 0, false, true},
};

// A command's own options after kRefilmOptions, as one table.
template <std::size_t N>
constexpr std::array<OptionSpec, std::size(kRefilmOptions) + N> WithRefilmOptions(const OptionSpec (&own)[N]) {
  std::array<OptionSpec, std::size(kRefilmOptions) + N> all{};
  std::size_t next = 0;
  for (const OptionSpec& spec : kRefilmOptions) all[next++] = spec;
  for (const OptionSpec& spec : own) all[next++] = spec;
  return all;
}

// When `option` is one of kRefilmOptions, sets it in `options` and
// returns true; a value it cannot take leaves `mistake` saying so (the
// dialog's words for a frame rate). False for any other option.
bool ApplyRefilmOption(const GivenOption& option, RefilmOptions& options, std::string& mistake);

// The options of a single refilm's command line: kRefilmOptions, then
// --generate, --play, --render, --game, --engine, --help and --version.
std::span<const OptionSpec> RefilmFormSpecs();

// --render, --game DIR and --engine PROGRAM into `options`; false for any
// other option.
bool ApplyFilmOption(const GivenOption& option, RefilmOptions& options);
// Their --help lines.
std::string FilmFormHelp();

// A single refilm's words: every option of RefilmFormSpecs() but help and
// version, then the names as ApplyCommandLine takes them. --generate makes
// the three-name form write its script from the demo first (the two-name
// form always does), --play plays the result after the run. False, with
// `mistake`, when a value is refused.
bool ApplyRefilmForm(const CommandLine& line, RefilmOptions& options, std::string& mistake);

// Lines of --help in help2man's layout: the option ("-j, --jobs N" or
// "--fps N"), then its text from the 30th column on, wrapped at the 79th.
struct HelpRow {
  std::string option;
  std::string text;
};
std::string HelpRows(std::initializer_list<HelpRow> rows);

// The lines of --help for kRefilmOptions, headed "Refilm options:".
std::string RefilmOptionsHelp();

}  // namespace cw
