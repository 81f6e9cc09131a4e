#include "console/check_command.h"

#include <algorithm>
#include <memory>
#include <ostream>
#include <sstream>

#include "camera/script_check.h"
#include "console/console_platform.h"
#include "console/exit_status.h"
#include "console/subcommand_kit.h"
#include "inspect/camera_map_check.h"
#include "inspect/demo_info.h"
#include "inspect/preview.h"
#include "inspect/script_demo_check.h"
#include "map/map_loading.h"
#include "run/context.h"
#include "run/refilm_run.h"
#include "stream/demo_files.h"

namespace cw {
namespace {

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
    "  -d, --demo DEMO  also name the lines timed after the end of every level of\n"
    "                   DEMO, the entities the script follows that DEMO never\n"
    "                   updates, and the sounds in none of its sound lists\n"
    "  -g, --game DIR   a Quake folder (holding id1/) whose data has the sounds\n"
    "                   the demo lacks; QUAKE_DIR in the environment does the same.\n"
    "                   With --demo, the camera is also run through the demo's\n"
    "                   first level as the preview runs it and held against the\n"
    "                   map: a camera in a wall, the void or the sky, a way\n"
    "                   through solid, and a wall hiding what it looks at for\n"
    "                   more than half a second, each with its time span, told\n"
    "                   against the line that placed the camera\n"
    "  -h, --help       print this help and exit\n"
    "\n"
    "Exit status: 0 nothing to report, 1 something reported (or the script\n"
    "cannot be read), 2 the demo named with --demo is damaged or of a protocol\n"
    "that is not read (the script's lines are still reported).\n";

constexpr OptionSpec kCheckOptions[] = {kHelpOption, {"demo", 'd', true}, {"game", 'g', true}};

// Runs the camera through the demo as the preview does and adds what the
// map's walls say of it. A map that cannot be read is said on `err`: the
// script's own findings still stand.
void CheckAgainstMap(ScriptCheck& check, const std::string& demo, const std::string& script, const std::string& gameDir,
                     std::ostream& err) {
  auto context = std::make_unique<Context>();
  context->options.sourceDemo = demo;
  context->options.scriptFile = script;
  context->options.generateScript = false;
  context->options.autoRun = true;
  // The preview's run writes nothing; a result name is all its checks ask.
  context->options.resultDemo = "(no result)";
  std::ostringstream quiet;
  ConsolePlatform platform(quiet, err);
  PreviewCollector collector;
  const RunOutcome outcome = PreviewDemo(*context, platform, collector);
  if (outcome == RunOutcome::Refused || outcome == RunOutcome::Stopped) return;
  const PreviewPicture& picture = collector.Picture();
  if (picture.map.empty()) return;
  SolidSpace space;
  std::string error;
  if (!LoadSolidSpace(gameDir, picture.map, space, error)) {
    err << "Warning: The camera is not held against the map: " << error << '\n';
    return;
  }
  for (const MapSpan& span : FindMapSpans(picture.camera, space)) {
    const int line = LineOfCommand(check.positionLines, span.positionCommand);
    if (line == 0) continue;
    check.findings.push_back({line, MapSpanText(span, LineOfCommand(check.viewLines, span.viewCommand))});
  }
  std::stable_sort(check.findings.begin(), check.findings.end(),
                   [](const ScriptFinding& a, const ScriptFinding& b) { return a.line < b.line; });
}

}  // namespace

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
      const std::string gameDir = GameFolder(line);
      CheckAgainstDemo(check, info, gameDir);
      if (gameDir.empty()) {
        err << "Note: Walls, the void and sight lines are checked only with the game's data: --game DIR or "
               "QUAKE_DIR.\n";
      } else {
        CheckAgainstMap(check, demo, script, gameDir, err);
      }
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

}  // namespace cw
