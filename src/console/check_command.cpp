#include "console/check_command.h"

#include <ostream>
#include <sstream>

#include "camera/script_check.h"
#include "console/exit_status.h"
#include "console/subcommand_kit.h"
#include "inspect/demo_info.h"
#include "inspect/script_demo_check.h"
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
    "                   the demo lacks; QUAKE_DIR in the environment does the same\n"
    "  -h, --help       print this help and exit\n"
    "\n"
    "Exit status: 0 nothing to report, 1 something reported (or the script\n"
    "cannot be read), 2 the demo named with --demo is damaged or of a protocol\n"
    "that is not read (the script's lines are still reported).\n";

constexpr OptionSpec kCheckOptions[] = {kHelpOption, {"demo", 'd', true}, {"game", 'g', true}};

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

}  // namespace cw
