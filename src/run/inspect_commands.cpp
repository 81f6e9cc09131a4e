#include "run/inspect_commands.h"

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <ostream>
#include <sstream>

#include "autogen/disposition.h"
#include "camera/script_check.h"
#include "camera/script_number.h"
#include "inspect/demo_info.h"
#include "inspect/game_map.h"
#include "inspect/info_report.h"
#include "inspect/preview.h"
#include "inspect/preview_svg.h"
#include "inspect/script_demo_check.h"
#include "run/arguments.h"
#include "run/command_line.h"
#include "run/console_front.h"
#include "run/console_platform.h"
#include "run/context.h"
#include "run/refilm_run.h"
#include "run/stop_signals.h"
#include "stream/demo_files.h"

namespace cw {
namespace {

constexpr const char* kInfoUsage =
    "Usage: camwright-cli info [--json] DEMO.dem...\n"
    "  or:  camwright-cli info --entities [--json] DEMO.dem...\n";

constexpr const char* kInfoHelp =
    "Tells what a demo holds, without refilming it: the network protocol, the\n"
    "map and the level's name, the CD track, the number of blocks and of levels,\n"
    "the demo time from the first to the last svc_time of each level, the exit\n"
    "time (the intermission) as the printed exit time shows it, the length of\n"
    "the player's path in map units, the count of each message type, the\n"
    "longest block, and the stream problems met, with the block and the byte\n"
    "offset of the first. A demo of a protocol that Camwright does not read\n"
    "tells its protocol and no more.\n"
    "\n"
    "With --entities, one line per entity number instead: its model (a player\n"
    "is \"player N\"), the demo times of its first and last update, its number\n"
    "of updates, the distance it travelled, and where it was first and last.\n"
    "Its number is what a script writes as \"e17\".\n"
    "\n"
    "Options:\n"
    "  -e, --entities  list the entities\n"
    "      --json      one JSON object per demo, each on a line of its own\n"
    "  -h, --help      print this help and exit\n"
    "\n"
    "The JSON keys of info: file, protocol, readable, firstLine, map, levelName,\n"
    "cdTrack, blocks, levelCount, duration, exitTime, exitTimeText, playerPath,\n"
    "longestBlock {block, bytes}, messages {type: count}, problems {count, first\n"
    "{block, offset, what}}, levels [{map, levelName, cdTrack, firstTime,\n"
    "lastTime, exitTime, viewEntity}]. Of --entities: file, protocol, readable,\n"
    "entities [{level, entity, name, models, updates, firstTime, lastTime,\n"
    "distance, first [x, y, z], last [x, y, z]}]. Times are demo seconds,\n"
    "distances map units; what the demo does not tell is null. A demo that\n"
    "cannot be read gives {file, error}.\n"
    "\n"
    "Exit status: 0 every demo was read whole, 1 refused (a demo missing or no\n"
    "file, a mistake in the words), 2 a demo is damaged or of a protocol that\n"
    "is not read.\n";

constexpr const char* kCheckUsage = "Usage: camwright-cli check SCRIPT.cam [--demo DEMO.dem] [--game DIR]\n";

constexpr const char* kCheckHelp =
    "Reads a camera script as a refilm reads it and lists each line that the\n"
    "reader passes over or reads otherwise than it looks, as FILE:LINE: TEXT:\n"
    "unknown command words, numbers that read as 0 or as less than is written,\n"
    "a missing or empty quoted name, a coordinate that reads as a fixed 0, an\n"
    "\"end\" with nothing to close, times out of order within one kind of\n"
    "command (legal, but the lines still run in their order), and a last line\n"
    "without a line break. A refilm reads scripts as it always has.\n"
    "\n"
    "Options:\n"
    "  -d, --demo DEMO  also name the entities the script follows that DEMO never\n"
    "                   updates, and the sounds in none of its sound lists\n"
    "  -g, --game DIR   a Quake folder (holding id1/) whose data has the sounds\n"
    "                   the demo lacks; QUAKE_DIR in the environment does the same\n"
    "  -h, --help       print this help and exit\n"
    "\n"
    "Exit status: 0 nothing to report, 1 something reported (or the script\n"
    "cannot be read), 2 the demo named with --demo is damaged or of a protocol\n"
    "that is not read (the script's lines are still reported).\n";

constexpr const char* kPreviewUsage =
    "Usage: camwright-cli preview SOURCE.dem OUT.svg [OPTION]...\n"
    "  or:  camwright-cli preview SOURCE.dem SCRIPT.cam OUT.svg [OPTION]...\n";

constexpr const char* kPreviewHelp =
    "Runs the refilm of SOURCE.dem without writing a demo and draws, seen from\n"
    "above with north up, where the camera goes and looks: the player's way,\n"
    "the camera's way with dots at round times, short strokes for where it\n"
    "looks, the entities the script follows, each position and view command\n"
    "with its time and word, and the zones of the map's zone file (MAPNAME.log\n"
    "in the current directory) when there is one. Colours tell the demo time\n"
    "(see the legend); the picture is scaled to what happens in the time drawn.\n"
    "Without SCRIPT.cam the script is generated as the two-name refilm\n"
    "generates it, but only in memory: temp.cam is not written. A demo of\n"
    "several levels is drawn for its first level.\n"
    "\n"
    "Options:\n"
    "  -g, --game DIR  draw the map's floors from its BSP file (version 29 or\n"
    "                  BSP2) under the Quake folder DIR: in id1/pak0.pak,\n"
    "                  id1/pak1.pak or as id1/maps/MAPNAME.bsp; QUAKE_DIR in\n"
    "                  the environment does the same\n"
    "      --from T    draw from demo time T (seconds) on\n"
    "      --to T      draw up to demo time T\n"
    "  -h, --help      print this help and exit\n"
    "\n"
    "The picture is plain SVG 1.1, written whole or not at all. Exit status: 0\n"
    "done, 1 refused (an \"Error\" on standard error), 2 done but the source\n"
    "was damaged.\n";

constexpr OptionSpec kInfoOptions[] = {kHelpOption, {"entities", 'e'}, {"json"}};
constexpr OptionSpec kCheckOptions[] = {kHelpOption, {"demo", 'd', true}, {"game", 'g', true}};
constexpr OptionSpec kPreviewOptions[] = {kHelpOption, {"game", 'g', true}, {"from", 0, true}, {"to", 0, true}};

int Help(std::ostream& out, const char* usage, const char* help) {
  out << usage << '\n' << help;
  return out.flush() ? kExitDone : kExitRefused;
}

int Mistake(std::ostream& err, const std::string& mistake, const char* usage) {
  err << "camwright-cli: " << mistake << '\n' << usage;
  return kExitRefused;
}

int Refuse(std::ostream& err, const std::string& text) {
  err << "Error: " << text << '\n';
  return kExitRefused;
}

// The value of the option given last, or empty.
std::string ValueOf(const CommandLine& line, std::string_view name) {
  std::string value;
  for (const GivenOption& option : line.options) {
    if (option.name == name) value = option.value;
  }
  return value;
}

// The Quake folder of --game, or of QUAKE_DIR.
std::string GameFolder(const CommandLine& line) {
  std::string folder = ValueOf(line, "game");
  if (folder.empty()) {
    if (const char* environment = std::getenv("QUAKE_DIR")) folder = environment;
  }
  return folder;
}

std::string Quoted(const std::string& name) { return "\"" + name + "\""; }

// An input that must be a readable file; the refusal's text otherwise.
std::string InputProblem(const std::string& what, const std::string& name) {
  if (KindOf(name) == FileKind::Other) return what + " " + Quoted(name) + " is not a file.";
  if (!FileExists(name)) return what + " " + Quoted(name) + " doesn't exist";
  return {};
}

bool ReadTime(const CommandLine& line, std::string_view name, std::optional<float>& time, std::string& mistake) {
  if (!line.Has(name)) return true;
  const std::string text = ValueOf(line, name);
  const NumberRead read = ReadDecimal(text);
  if (read.length == 0 || read.length != text.size()) {
    mistake = "option '--" + std::string(name) + "' needs a time in seconds, not '" + text + "'";
    return false;
  }
  time = read.value;
  return true;
}

void AddZones(PreviewPicture& picture) {
  if (picture.map.empty()) return;
  const std::string name = DispositionFileName(picture.map);
  if (KindOf(name) != FileKind::Regular) return;
  InputFile file(name);
  ZoneTables zones;
  ReadDispositionFile(file.Stream(), zones);
  picture.zones = ZoneBoxes(zones);
}

void AddFloors(PreviewPicture& picture, const std::string& gameDir, std::ostream& err) {
  if (gameDir.empty() || picture.map.empty()) return;
  const GameFile map = FindGameFile(gameDir, picture.map);
  const char* notDrawn = "Warning: The map's floors are not drawn: ";
  if (!map.found) {
    err << notDrawn << map.error << '\n';
    return;
  }
  // A damaged pak file passed over on the way.
  if (!map.error.empty()) err << "Warning: " << map.error << '\n';
  std::string error;
  if (!ReadBspFloors(map.bytes, picture.floors, error)) err << notDrawn << map.where << ": " << error << '\n';
}

}  // namespace

int InfoCommand(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err) {
  const CommandLine line = ParseCommandLine(arguments, kInfoOptions);
  if (!line.mistake.empty()) return Mistake(err, line.mistake, kInfoUsage);
  if (line.Has("help")) return Help(out, kInfoUsage, kInfoHelp);
  if (line.operands.empty()) {
    err << kInfoUsage;
    return kExitRefused;
  }
  const bool json = line.Has("json");
  const bool entities = line.Has("entities");
  int status = kExitDone;
  for (const std::string& path : line.operands) {
    const DemoInfo info = ReadDemoInfo(path);
    if (!info.openError.empty()) {
      const std::string problem = InputProblem("The demo", path);
      err << "Error: " << (problem.empty() ? "The demo " + Quoted(path) + " cannot be read" : problem) << '\n';
      status = kExitRefused;
      if (!json) continue;
    } else if ((info.unreadable || info.problemCount > 0) && status == kExitDone) {
      status = kExitProblems;
    }
    if (json) {
      (entities ? WriteEntitiesJson : WriteInfoJson)(info, out);
    } else {
      (entities ? WriteEntitiesText : WriteInfoText)(info, out);
    }
  }
  return out.flush() ? status : kExitRefused;
}

int CheckCommand(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err) {
  const CommandLine line = ParseCommandLine(arguments, kCheckOptions);
  if (!line.mistake.empty()) return Mistake(err, line.mistake, kCheckUsage);
  if (line.Has("help")) return Help(out, kCheckUsage, kCheckHelp);
  if (line.operands.size() != 1) {
    err << kCheckUsage;
    return kExitRefused;
  }
  const std::string& script = line.operands.front();
  if (const std::string problem = InputProblem("The script file", script); !problem.empty()) {
    return Refuse(err, problem);
  }
  std::string text;
  int error = 0;
  if (!ReadWholeFile(script, text, error)) {
    return Refuse(err, "The script file " + Quoted(script) + " cannot be read: " + SystemReason(error));
  }
  std::istringstream lines(text);
  ScriptCheck check = CheckScript(lines);

  int status = kExitDone;
  if (line.Has("demo")) {
    const std::string demo = ValueOf(line, "demo");
    if (const std::string problem = InputProblem("The demo", demo); !problem.empty()) return Refuse(err, problem);
    const DemoInfo info = ReadDemoInfo(demo);
    if (info.unreadable) {
      err << "Warning: The demo " << Quoted(demo) << " uses network protocol " << info.protocol
          << ", which this version does not read: the script is not held against it.\n";
      status = kExitProblems;
    } else {
      CheckAgainstDemo(check, info, GameFolder(line));
      if (info.problemCount > 0) {
        err << "Warning: The demo " << Quoted(demo) << " is damaged (" << info.firstProblem.what
            << "): what it holds may be incomplete.\n";
        status = kExitProblems;
      }
    }
  }
  for (const ScriptFinding& finding : check.findings)
    out << script << ':' << finding.line << ": " << finding.text << '\n';
  if (!out.flush()) return kExitRefused;
  if (status == kExitDone && !check.findings.empty()) status = kExitRefused;
  return status;
}

int PreviewCommand(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err) {
  const CommandLine line = ParseCommandLine(arguments, kPreviewOptions);
  if (!line.mistake.empty()) return Mistake(err, line.mistake, kPreviewUsage);
  if (line.Has("help")) return Help(out, kPreviewUsage, kPreviewHelp);
  if (line.operands.size() != 2 && line.operands.size() != 3) {
    err << kPreviewUsage;
    return kExitRefused;
  }
  TimeRange range;
  std::string mistake;
  if (!ReadTime(line, "from", range.from, mistake) || !ReadTime(line, "to", range.to, mistake)) {
    return Mistake(err, mistake, kPreviewUsage);
  }

  auto context = std::make_unique<Context>();
  ApplyCommandLine(line.operands, context->options);
  const std::string picturePath = context->options.resultDemo;
  ConsolePlatform platform(out, err);
  StopSignals stopSignals;
  PreviewCollector collector;
  const RunOutcome outcome = PreviewDemo(*context, platform, collector);
  if (outcome == RunOutcome::Refused || outcome == RunOutcome::Stopped) return kExitRefused;

  PreviewPicture& picture = collector.Picture();
  picture.title = std::filesystem::path(context->options.sourceDemo).filename().string();
  AddZones(picture);
  AddFloors(picture, GameFolder(line), err);

  ReplacingFile file;
  if (!file.Create(picturePath)) {
    return Refuse(err, "The picture " + Quoted(picturePath) + " cannot be created: " + SystemReason(file.Error()));
  }
  WritePreviewSvg(picture, range, file.Stream());
  if (!file.Finish() || !file.Commit()) {
    return Refuse(err, "The picture " + Quoted(picturePath) + " could not be written: " + SystemReason(file.Error()));
  }
  if (outcome == RunOutcome::DoneWithProblems) {
    out << "Done: " << context->options.sourceDemo << " is damaged; the picture shows what could be read.\n";
    return kExitProblems;
  }
  return kExitDone;
}

}  // namespace cw
