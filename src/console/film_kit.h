#pragma once
// What the film subcommands (shots, render) share: their options for the
// engine and the game, the size of the pictures, times, and the warnings
// about times the demo does not reach.

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "console/option_words.h"
#include "film/engine_film.h"

namespace cw {

// The options of every film subcommand.
inline constexpr OptionSpec kGameOption{"game", 'g', true};
inline constexpr OptionSpec kEngineOption{"engine", 0, true};
inline constexpr OptionSpec kSizeOption{"size", 0, true};

// The --help lines of those options.
std::string FilmOptionsHelp(const char* sizeDefault);

// The engine, the game data and the display named by the words and the
// environment, into `settings`; false, having said what is missing on `err`.
bool FindFilmPieces(const CommandLine& line, FilmSettings& settings, std::ostream& err);

// "--size WxH", within what a screen can be; `evenOnly` for a video.
bool ReadSize(const CommandLine& line, bool evenOnly, FilmSettings& settings, std::string& mistake);

// Times "T" or "T,T,...", each a number of seconds.
bool ReadTimes(const std::string& text, std::vector<double>& times);
// One time given to option `name`.
bool ReadFilmTime(const CommandLine& line, std::string_view name, std::optional<double>& time, std::string& mistake);

// The first and last film times of a demo; false with the refusal's text.
bool DemoSpan(const std::string& demo, double& first, double& last, std::string& problem);

// "12.50 s"
std::string Seconds(double seconds);

// A warning on `err` for each time outside first..last: what the picture shows instead.
void WarnOutside(const std::vector<double>& times, double first, double last, std::ostream& err);

}  // namespace cw
