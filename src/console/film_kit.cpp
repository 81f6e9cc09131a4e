#include "console/film_kit.h"

#include <charconv>
#include <cstdio>
#include <ostream>

#include "console/refilm_options_cli.h"
#include "console/subcommand_kit.h"
#include "film/demo_timeline.h"
#include "film/film_setup.h"
#include "stream/demo_files.h"

namespace cw {
namespace {

constexpr int kSmallest = 16;
constexpr int kLargest = 7680;

bool ReadNumber(std::string_view text, double& value) {
  if (text.empty() || text.front() == '+') return false;
  const auto read = std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::fixed);
  return read.ec == std::errc() && read.ptr == text.data() + text.size();
}

bool ReadWhole(std::string_view text, int& value) {
  const auto read = std::from_chars(text.data(), text.data() + text.size(), value);
  return !text.empty() && read.ec == std::errc() && read.ptr == text.data() + text.size();
}

}  // namespace

std::string FilmOptionsHelp(const char* sizeDefault) {
  return HelpRows({
      {"--size WxH", std::string("the pictures' width and height in pixels (") + sizeDefault + ")"},
      {"-g, --game DIR",
       "the Quake folder that holds id1/ (or id1 itself); QUAKE_DIR in the environment does the same; without "
       "either, " +
           std::string(kDebianGameFolder)},
      {"--engine PROGRAM",
       "the Quake engine that plays the demo; CAMWRIGHT_ENGINE does the same; without either, QuakeSpasm "
       "(Debian's quakespasm package)"},
  });
}

bool FindFilmPieces(const CommandLine& line, FilmSettings& settings, std::ostream& err) {
  const Environment environment = ProcessEnvironment();
  const Found engine = FindEngine(ValueOf(line, "engine"), environment);
  const Found game = FindGameData(ValueOf(line, "game"), environment);
  const Found display = ChooseDisplay(environment);
  for (const std::string* problem : {&engine.problem, &game.problem, &display.problem}) {
    if (!problem->empty()) {
      Refuse(err, *problem);
      return false;
    }
  }
  settings.engine = engine.path;
  settings.id1 = game.path;
  settings.virtualDisplay = display.path;
  return true;
}

bool ReadSize(const CommandLine& line, bool evenOnly, FilmSettings& settings, std::string& mistake) {
  if (!line.Has("size")) return true;
  const std::string text = ValueOf(line, "size");
  const std::size_t cross = text.find('x');
  int width = 0;
  int height = 0;
  if (cross == std::string::npos || !ReadWhole(std::string_view(text).substr(0, cross), width) ||
      !ReadWhole(std::string_view(text).substr(cross + 1), height)) {
    mistake = "option '--size' needs WIDTHxHEIGHT in pixels, such as 1280x720, not '" + text + "'";
    return false;
  }
  if (width < kSmallest || height < kSmallest || width > kLargest || height > kLargest) {
    mistake = "option '--size': width and height must be from " + std::to_string(kSmallest) + " to " +
              std::to_string(kLargest) + " pixels, not '" + text + "'";
    return false;
  }
  if (evenOnly && (width % 2 != 0 || height % 2 != 0)) {
    mistake = "option '--size': a video's width and height must be even, not '" + text + "'";
    return false;
  }
  settings.width = width;
  settings.height = height;
  return true;
}

bool ReadTimes(const std::string& text, std::vector<double>& times) {
  times.clear();
  for (std::size_t from = 0; from <= text.size();) {
    std::size_t end = text.find(',', from);
    if (end == std::string::npos) end = text.size();
    double value = 0;
    if (!ReadNumber(std::string_view(text).substr(from, end - from), value)) return false;
    times.push_back(value);
    from = end + 1;
  }
  return !times.empty();
}

bool ReadFilmTime(const CommandLine& line, std::string_view name, std::optional<double>& time, std::string& mistake) {
  if (!line.Has(name)) return true;
  const std::string text = ValueOf(line, name);
  double value = 0;
  if (!ReadNumber(text, value)) {
    mistake = "option '--" + std::string(name) + "' needs a time in seconds, not '" + text + "'";
    return false;
  }
  time = value;
  return true;
}

bool DemoSpan(const std::string& demo, double& first, double& last, std::string& problem) {
  problem = InputProblem("The demo", demo);
  if (!problem.empty()) return false;
  InputFile file(demo);
  DemoTimeline timeline;
  std::string why;
  if (!ReadTimeline(file.Stream(), timeline, why)) {
    problem = "The demo " + Quoted(demo) + " cannot be played: " + why + ".";
    return false;
  }
  first = timeline.FilmStart();
  last = timeline.FilmEnd();
  return true;
}

std::string Seconds(double seconds) {
  char text[32];
  std::snprintf(text, sizeof text, "%.2f s", seconds);
  return text;
}

void WarnOutside(const std::vector<double>& times, double first, double last, std::ostream& err) {
  for (const double time : times) {
    if (time < first - 1e-6) {
      err << "Warning: " << Seconds(time) << " is before the demo's start at " << Seconds(first)
          << ": its first picture stands in.\n";
    } else if (time > last + 1e-6) {
      err << "Warning: " << Seconds(time) << " is after the demo's end at " << Seconds(last)
          << ": its last picture stands in.\n";
    }
  }
}

}  // namespace cw
