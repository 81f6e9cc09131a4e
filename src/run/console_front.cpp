#include "run/console_front.h"

#include <memory>
#include <ostream>

#include "run/command_line.h"
#include "run/console_platform.h"
#include "run/context.h"
#include "run/refilm_run.h"
#include "run/stop_signals.h"
#include "run/version.h"

namespace cw {
namespace {

constexpr const char* kUsage =
    "Usage: camwright-cli SOURCE.dem RESULT.dem           refilm with a generated camera script\n"
    "       camwright-cli SOURCE.dem SCRIPT.cam RESULT.dem  refilm with your camera script\n"
    "       camwright-cli --help | --version\n";

constexpr const char* kHelp =
    "\n"
    "Camwright re-films a recorded Quake demo (network protocol 15) through a\n"
    "scripted camera and writes the result as a new demo.\n"
    "\n"
    "  SOURCE.dem RESULT.dem\n"
    "      The camera script is generated into temp.cam: the camera follows the\n"
    "      player from the spots of the map's zone file (MAPNAME.log in the\n"
    "      current directory), or chases the player when there is none.\n"
    "  SOURCE.dem SCRIPT.cam RESULT.dem\n"
    "      The camera follows SCRIPT.cam. Further words are joined to the result\n"
    "      name with single spaces.\n"
    "  RESULT.dem\n"
    "      One name alone is the result: the run is refused (no source).\n"
    "\n"
    "Every option has its default: messages, console texts and centre prints\n"
    "are removed, the player bleeds, the view fades out 5 seconds after the\n"
    "intermission and the exact exit time is printed.\n"
    "\n"
    "A refilm without problems prints nothing. Exit status: 0 done, 1 refused\n"
    "(an \"Error\" on standard error), 2 done but the source was damaged.\n";

}  // namespace

int RunConsole(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err) {
  if (arguments.empty()) {
    err << kUsage;
    return kExitRefused;
  }
  if (arguments.size() == 1 && (arguments[0] == "--help" || arguments[0] == "-h")) {
    out << kUsage << kHelp;
    return kExitDone;
  }
  if (arguments.size() == 1 && arguments[0] == "--version") {
    out << kVersionText << '\n';
    return kExitDone;
  }
  auto context = std::make_unique<Context>();
  ApplyCommandLine(arguments, context->options);
  ConsolePlatform platform(out, err);
  StopSignals stopSignals;
  switch (RefilmDemoSafely(*context, platform)) {
    case RunOutcome::Done:
      return kExitDone;
    case RunOutcome::DoneWithProblems:
      return kExitProblems;
    case RunOutcome::Refused:
    case RunOutcome::Stopped:
      break;
  }
  return kExitRefused;
}

}  // namespace cw
