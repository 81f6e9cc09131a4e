#include "console/preview_command.h"

#include <cstdio>
#include <filesystem>
#include <memory>
#include <ostream>
#include <sstream>
#include <utility>

#include "autogen/disposition.h"
#include "camera/script_check.h"
#include "console/console_platform.h"
#include "console/exit_status.h"
#include "console/refilm_names.h"
#include "console/stop_signals.h"
#include "console/subcommand_kit.h"
#include "inspect/camera_map_check.h"
#include "inspect/preview.h"
#include "inspect/preview_svg.h"
#include "map/bsp_floors.h"
#include "map/game_folder.h"
#include "map/map_loading.h"
#include "run/context.h"
#include "run/refilm_run.h"
#include "stream/demo_files.h"

namespace cw {
namespace {

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
    "Under the plan a time strip marks the script's texts, fades, sounds and\n"
    "eyes views at their times.\n"
    "Without SCRIPT.cam the script is generated as the two-name refilm\n"
    "generates it, but only in memory: temp.cam is not written. A demo of\n"
    "several levels is drawn for its first level.\n"
    "\n"
    "Options:\n"
    "  -g, --game DIR  draw the map's floors from its BSP file (version 29 or\n"
    "                  BSP2) under the Quake folder DIR: in id1/pak0.pak,\n"
    "                  id1/pak1.pak or as id1/maps/MAPNAME.bsp; QUAKE_DIR in\n"
    "                  the environment does the same; a camera in a wall, the\n"
    "                  void or the sky, a way through solid and a wall hiding\n"
    "                  what the camera looks at are then drawn dashed red and\n"
    "                  listed under the picture, as check --demo lists them\n"
    "      --from T    draw from demo time T (seconds) on\n"
    "      --to T      draw up to demo time T\n"
    "      --at T      mark where the player (a ring with a cross) and the\n"
    "                  camera (a pointer along its view) are at demo time T,\n"
    "                  and T on the time strip; T lies within the demo's time\n"
    "                  and the time drawn\n"
    "      --quiet     no warning when the script has lines that are read\n"
    "                  otherwise than they look\n"
    "  -h, --help      print this help and exit\n"
    "\n"
    "The picture is plain SVG 1.1, written whole or not at all. Exit status: 0\n"
    "done, 1 refused (an \"Error\" on standard error), 2 done but the source\n"
    "was damaged.\n";

constexpr OptionSpec kPreviewOptions[] = {kHelpOption,     {"game", 'g', true}, {"from", 0, true},
                                          {"to", 0, true}, {"at", 0, true},     {"quiet", 0, false, true}};

// Whether the picture's name ends in .svg, in any case: a picture viewer
// would take SVG text named x.png for a broken PNG.
bool NamedSvg(const std::string& name) {
  std::string ending = name.size() >= 4 ? name.substr(name.size() - 4) : std::string();
  for (char& c : ending) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  return ending == ".svg";
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
  FloorPlan plan;
  if (!ReadBspFloors(map.bytes, plan, error)) {
    err << notDrawn << map.where << ": " << error << '\n';
    return;
  }
  if (plan.leftOut > 0) {
    err << "Warning: " << map.where << ": only the first " << kMaxFloorCorners
        << " corners of the map's floors are drawn; " << plan.leftOut << " floors are left out\n";
  }
  picture.floors = std::move(plan.floors);
}

// The lines of the script's position and view commands, read as check reads
// them; none for a generated script, which has no file to point into.
ScriptCheck ScriptLines(const RefilmOptions& options) {
  if (options.generateScript) return {};
  std::string text;
  int error = 0;
  if (!ReadWholeFile(options.scriptFile, text, error)) return {};
  std::istringstream lines(text);
  return CheckScript(lines);
}

void AddWarnings(PreviewPicture& picture, const RefilmOptions& options, const std::string& gameDir, std::ostream& err) {
  if (gameDir.empty() || picture.map.empty()) return;
  SolidSpace space;
  std::string error;
  if (!LoadSolidSpace(gameDir, picture.map, space, error)) {
    err << "Warning: The camera is not held against the map: " << error << '\n';
    return;
  }
  const ScriptCheck lines = ScriptLines(options);
  for (const MapSpan& span : FindMapSpans(picture.camera, space)) {
    const int line = LineOfCommand(lines.positionLines, span.positionCommand);
    const std::string text = MapSpanText(span, LineOfCommand(lines.viewLines, span.viewCommand));
    const std::string where = line > 0 ? options.scriptFile + ":" + std::to_string(line) + ": " : "";
    picture.warnings.push_back({span.from, span.to, where + text});
  }
}

// Why --at cannot be marked, or nothing.
std::string MomentOutside(float moment, const DemoTimes& times, const TimeRange& range) {
  if (!times.any) return "--at has no time to mark: the demo's first level has no blocks with a time";
  char text[160];
  if (moment < times.first || moment > times.last) {
    std::snprintf(text, sizeof text, "--at %g lies outside the demo's time, %.2f to %.2f s",
                  static_cast<double>(moment), static_cast<double>(times.first), static_cast<double>(times.last));
    return text;
  }
  if (!range.Holds(moment)) {
    std::snprintf(text, sizeof text, "--at %g lies outside the time drawn (--from, --to)", static_cast<double>(moment));
    return text;
  }
  return {};
}

}  // namespace

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
  std::optional<float> moment;
  if (!ReadTime(line, "from", range.from, mistake) || !ReadTime(line, "to", range.to, mistake) ||
      !ReadTime(line, "at", moment, mistake)) {
    return Mistake(err, mistake, kPreviewUsage);
  }

  auto context = std::make_unique<Context>();
  ApplyCommandLine(line.operands, context->options);
  for (const GivenOption& option : line.options) {
    if (option.name == "quiet") context->options.quiet = !option.negated;
  }
  const std::string picturePath = context->options.resultDemo;
  if (!NamedSvg(picturePath)) {
    return Refuse(err, "preview writes SVG; name the picture " +
                           std::filesystem::path(picturePath).replace_extension(".svg").string());
  }
  ConsolePlatform platform(out, err);
  StopSignals stopSignals;
  PreviewCollector collector;
  const RunOutcome outcome = PreviewDemo(*context, platform, collector);
  if (outcome == RunOutcome::Refused || outcome == RunOutcome::Stopped) return kExitRefused;

  PreviewPicture& picture = collector.Picture();
  if (moment) {
    const std::string outside = MomentOutside(*moment, TimesOf(picture), range);
    if (!outside.empty()) return Refuse(err, outside);
  }
  picture.title = std::filesystem::path(context->options.sourceDemo).filename().string();
  AddZones(picture);
  AddFloors(picture, GameFolder(line), err);
  AddWarnings(picture, context->options, GameFolder(line), err);

  // An interrupt while the map was read, or while the picture is drawn,
  // leaves nothing behind: the unfinished picture is never put in place.
  if (StopSignals::Requested()) return kExitRefused;
  ReplacingFile file;
  if (!file.Create(picturePath)) {
    return Refuse(err, "The picture " + Quoted(picturePath) + " cannot be created: " + SystemReason(file.Error()));
  }
  WritePreviewSvg(picture, range, moment, file.Stream());
  if (StopSignals::Requested()) return kExitRefused;
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
