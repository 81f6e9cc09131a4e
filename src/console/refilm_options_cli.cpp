#include "console/refilm_options_cli.h"

#include <cstdlib>

#include "console/refilm_names.h"
#include "refilm/option_values.h"
#include "refilm/options.h"

namespace cw {
namespace {

// A switch and the field it sets: on by its name, off by its "--no-" twin.
struct Switch {
  std::string_view name;
  bool RefilmOptions::*field;
};

constexpr Switch kSwitches[] = {
    {"centerprint-time", &RefilmOptions::centerprintTime},
    {"fade-out", &RefilmOptions::fadeOut},
    {"exit-time", &RefilmOptions::printExitTime},
    {"follow-chase", &RefilmOptions::followChase},
    {"bleeding", &RefilmOptions::playerBleeding},
    {"remove-centerprints", &RefilmOptions::removeCenterprint},
    {"remove-prints", &RefilmOptions::removePrint},
    {"remove-stufftext", &RefilmOptions::removeStufftext},
    {"remove-outside-fov", &RefilmOptions::removeOutsideFov},
    {"force", &RefilmOptions::force},
    {"quiet", &RefilmOptions::quiet},
};

constexpr OptionSpec kGenerateOption{"generate", 0, false, true};
constexpr OptionSpec kPlayOption{"play", 0, false, true};
constexpr OptionSpec kRenderOption{"render", 0, false, true};
constexpr OptionSpec kGameFolderOption{"game", 'g', true};
constexpr OptionSpec kEngineProgramOption{"engine", 0, true};
constexpr OptionSpec kRefilmOwn[] = {kGenerateOption,      kPlayOption, kRenderOption, kGameFolderOption,
                                     kEngineProgramOption, kHelpOption, kVersionOption};
constexpr auto kRefilmForm = WithRefilmOptions(kRefilmOwn);

// `text` broken into lines of at most `width` characters at its spaces.
std::string Wrapped(const std::string& text, std::size_t width) {
  std::string wrapped;
  std::size_t lineStart = 0;
  std::size_t from = 0;
  while (from < text.size()) {
    std::size_t end = text.find(' ', from);
    if (end == std::string::npos) end = text.size();
    if (end - lineStart > width && from > lineStart) {
      wrapped.back() = '\n';
      lineStart = from;
    }
    wrapped.append(text, from, end - from);
    if (end < text.size()) wrapped.push_back(' ');
    from = end + 1;
  }
  return wrapped + "\n";
}

bool SetColor(const GivenOption& option, int& color, RefilmOptions& options, std::string& mistake) {
  const std::optional<int> number = ColorNumber(option.value);
  if (!number) {
    mistake = "invalid colour '" + option.value + "' for '--" + std::string(option.name) +
              "': a colour name that --help lists, or a number from 0 to " + std::to_string(kColorCount - 1);
    return true;
  }
  color = *number;
  options.changeColors = true;
  return true;
}

}  // namespace

std::span<const OptionSpec> RefilmFormSpecs() { return kRefilmForm; }

bool ApplyFilmOption(const GivenOption& option, RefilmOptions& options) {
  if (option.name == kRenderOption.name) {
    options.makeVideo = !option.negated;
  } else if (option.name == kGameFolderOption.name) {
    options.gameFolder = option.value;
  } else if (option.name == kEngineProgramOption.name) {
    options.engineProgram = option.value;
  } else {
    return false;
  }
  return true;
}

std::string FilmFormHelp() {
  return HelpRows({
      {"--render",
       "also make the result into a video with its sound, RESULT.mp4, through the Quake engine and "
       "ffmpeg (off; see \"camwright-cli render --help\")"},
      {"-g, --game DIR",
       "the Quake folder (holding id1/) that plays the result and makes its video, and whose "
       "maps --keep-in-map reads; QUAKE_DIR does the same"},
      {"--engine PROGRAM", "the Quake engine for them; CAMWRIGHT_ENGINE does the same (QuakeSpasm)"},
  });
}

bool ApplyRefilmOption(const GivenOption& option, RefilmOptions& options, std::string& mistake) {
  for (const Switch& given : kSwitches) {
    if (option.name != given.name) continue;
    options.*given.field = !option.negated;
    return true;
  }
  const std::string_view name = option.name;
  if (name == "keep-in-map") {
    options.keepInMap = !option.negated;
    // QUAKE_DIR stands in for --game, as it does for preview and check; a
    // --game given before or after wins.
    const char* environment = std::getenv("QUAKE_DIR");
    if (options.gameFolder.empty() && environment != nullptr) options.gameFolder = environment;
    return true;
  }
  if (name == "shirt") return SetColor(option, options.shirtColor, options, mistake);
  if (name == "pants") return SetColor(option, options.pantsColor, options, mistake);
  if (name == "fps") {
    const FrameRateReading reading = ReadFrameRate(option.value);
    if (!reading.complaint.empty()) {
      mistake = "invalid frame rate '" + option.value + "' for '--fps': " + reading.complaint;
    } else {
      options.setFps = true;
      options.fps = *reading.value;
    }
    return true;
  }
  if (name == "chain") {
    options.chainDemo = true;
    options.chainName = option.value;
    return true;
  }
  if (name == "run-by" || name == "filming-by") {
    options.printCredits = true;
    (name == "run-by" ? options.runBy : options.filmingBy) = option.value;
    return true;
  }
  return false;
}

bool ApplyRefilmForm(const CommandLine& line, RefilmOptions& options, std::string& mistake) {
  bool generate = false;
  bool play = false;
  for (const GivenOption& option : line.options) {
    if (option.name == kGenerateOption.name) {
      generate = !option.negated;
    } else if (option.name == kPlayOption.name) {
      play = !option.negated;
    } else if (!ApplyFilmOption(option, options)) {
      ApplyRefilmOption(option, options, mistake);
    }
    if (!mistake.empty()) return false;
  }
  ApplyCommandLine(line.operands, options);
  if (line.operands.size() >= 3) options.generateScript = generate;
  options.playAfterAutoRun = play;
  return true;
}

std::string HelpRows(std::initializer_list<HelpRow> rows) {
  constexpr std::size_t kTextColumn = 29;
  constexpr std::size_t kWidth = 79;
  std::string help;
  for (const HelpRow& row : rows) {
    // "  -j, --jobs N" with a short name, "      --fps N" without.
    std::string line = (row.option[1] == '-' ? "      " : "  ") + row.option;
    line += line.size() + 2 <= kTextColumn ? std::string(kTextColumn - line.size(), ' ') : "  ";
    const std::string text = Wrapped(row.text, kWidth - kTextColumn);
    for (std::size_t from = 0; from < text.size();) {
      const std::size_t end = text.find('\n', from);
      help += line + text.substr(from, end - from) + '\n';
      line = std::string(kTextColumn, ' ');
      from = end + 1;
    }
  }
  return help;
}

std::string RefilmOptionsHelp() {
  std::string colors;
  for (const char* color : kColorNames) colors += std::string(colors.empty() ? "" : ", ") + color;
  const RefilmOptions defaults;
  const std::string pants = kColorNames[defaults.pantsColor];
  const std::string shirt = kColorNames[defaults.shirtColor];
  return "Refilm options:\n" +
         HelpRows({
             {"--centerprint-time", "show the demo time in the middle of the screen (off)"},
             {"--fade-out", "fade to black from the intermission on; the result ends 5 seconds after it (on)"},
             {"--exit-time", "print the exact exit time shortly before the exit, with a generated script (on)"},
             {"--follow-chase",
              "a generated script chases the player with a follow that keeps its distance "
              "and swings round behind him, not with a point where he was 0.3 s ago (off)"},
             {"--bleeding", "blood at the player while the health is below 100 (on)"},
             {"--remove-centerprints", "drop the messages printed in the middle of the screen (on)"},
             {"--remove-prints", "drop the usual printed messages (on)"},
             {"--remove-stufftext", "drop the console texts the server sends (on)"},
             {"--remove-outside-fov", "drop entities far outside the camera's field of view (off)"},
             {"--shirt COLOUR", "give the player this shirt colour; the pants stay " + pants +
                                    " unless --pants says otherwise (off: the colours of the demo)"},
             {"--pants COLOUR",
              "give the player these pants; the shirt stays " + shirt + " unless --shirt says otherwise"},
             {"--fps N", "keep at most N frames per second of demo time, a whole number from " +
                             std::to_string(kMinimumFps) + " to " + std::to_string(kMaximumFps) +
                             " (off: every frame)"},
             {"--chain DEMO", "when the result ends, the game plays DEMO (off)"},
             {"--run-by TEXT",
              "print the credits \"Run by TEXT\" and \"Filming by\" (see --filming-by) 2 "
              "seconds into the demo (off)"},
             {"--filming-by TEXT", "the same credits, with \"Filming by TEXT\""},
             {"--force",
              "replace a destination file that exists and is not a demo (off: such a file, a script "
              "say, is never replaced)"},
             {"--quiet", "no warning when the script has lines that are read otherwise than they look (off)"},
             {"--keep-in-map",
              "move the camera out of walls, the void and the sky along the line from what it "
              "looks at, easing in and out; needs --game or QUAKE_DIR (off)"},
         }) +
         "\n" +
         Wrapped(
             "Each switch has a --no- twin that turns it off; the defaults in parentheses are the dialog's. "
             "COLOUR is one of " +
                 colors + " (quote a name with a space), or its number from 0 to " + std::to_string(kColorCount - 1) +
                 ".",
             79);
}

}  // namespace cw
