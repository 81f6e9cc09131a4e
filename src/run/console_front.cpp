#include "run/console_front.h"

#include <memory>
#include <ostream>

#include "run/arguments.h"
#include "run/command_line.h"
#include "run/console_platform.h"
#include "run/context.h"
#include "run/inspect_commands.h"
#include "run/refilm_run.h"
#include "run/stop_signals.h"
#include "run/version.h"

namespace cw {
namespace {

constexpr const char* kUsage =
    "Usage: camwright-cli SOURCE.dem RESULT.dem\n"
    "  or:  camwright-cli SOURCE.dem SCRIPT.cam RESULT.dem\n"
    "  or:  camwright-cli refilm SOURCE.dem [SCRIPT.cam] RESULT.dem\n"
    "  or:  camwright-cli info [--entities] [--json] DEMO.dem...\n"
    "  or:  camwright-cli check SCRIPT.cam [--demo DEMO.dem]\n"
    "  or:  camwright-cli preview SOURCE.dem [SCRIPT.cam] OUT.svg\n"
    "  or:  camwright-cli --help | --version\n";

constexpr const char* kHelp =
    "Re-films a recorded Quake demo (network protocol 15) through a scripted\n"
    "camera and writes the result as a new demo.\n"
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
    "The subcommands info, check and preview look before a refilm: what a demo\n"
    "holds and which entity is which, what the script reader makes of each line,\n"
    "and a picture of the camera's way. Each answers --help.\n"
    "\n"
    "Every option has its default: messages, console texts and centre prints\n"
    "are removed, the player bleeds, the view fades out 5 seconds after the\n"
    "intermission and the exact exit time is printed.\n"
    "\n"
    "Options:\n"
    "  -h, --help     print this help and exit\n"
    "      --version  print the version and exit\n"
    "      --         end the options: every word after it is a name\n"
    "\n"
    "A refilm without problems prints nothing. Exit status: 0 done, 1 refused\n"
    "(an \"Error\" on standard error), 2 done but the source was damaged.\n";

constexpr const char* kDialogUsage =
    "Usage: camwright [RESULT.dem]\n"
    "  or:  camwright SOURCE.dem [SCRIPT.cam] RESULT.dem\n";

constexpr const char* kDialogHelp =
    "Re-films a recorded Quake demo (network protocol 15) through a scripted\n"
    "camera and writes the result as a new demo: the dialog program.\n"
    "\n"
    "Without names, the dialog comes up after a 3-second splash. With names, each\n"
    "argument is one name, as for camwright-cli: two are the source and the\n"
    "result (the script temp.cam is generated), three are source, script and\n"
    "result, one alone is the result (the run asks for a source). The refilm\n"
    "runs at once with every option at its default, shows a message only when\n"
    "something went wrong, and the program ends; when the run refuses the\n"
    "names, the dialog stays open with them. Qt's own options (such as\n"
    "-platform NAME) may come before the names.\n"
    "\n"
    "Options:\n"
    "  -h, --help     print this help and exit\n"
    "      --version  print the version and exit\n"
    "      --         end the options: every word after it is a name\n"
    "\n"
    "Without a display (neither DISPLAY nor WAYLAND_DISPLAY set, and no\n"
    "QT_QPA_PLATFORM asked for), names are refilmed on the terminal as\n"
    "camwright-cli does, with its exit status: 0 done, 1 refused, 2 done but\n"
    "the source was damaged. With a display the exit status is 0.\n";

}  // namespace

int RefilmCommand(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err, Program program) {
  const bool dialog = program == Program::Dialog;
  const char* usage = dialog ? kDialogUsage : kUsage;
  const Arguments parsed = ParseArguments(arguments);
  switch (parsed.request) {
    case Request::Help:
      out << usage << (dialog ? kDialogHelp : kHelp);
      return out.flush() ? kExitDone : kExitRefused;
    case Request::Version:
      out << kVersionText << '\n';
      return out.flush() ? kExitDone : kExitRefused;
    case Request::Mistake:
      err << (dialog ? "camwright: " : "camwright-cli: ") << parsed.mistake << '\n' << usage;
      return kExitRefused;
    case Request::Refilm:
      break;
  }
  if (parsed.names.empty()) {
    err << usage;
    return kExitRefused;
  }
  auto context = std::make_unique<Context>();
  ApplyCommandLine(parsed.names, context->options);
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

namespace {

int Refilm(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err) {
  return RefilmCommand(arguments, out, err, Program::CommandLine);
}

// The subcommands of camwright-cli, by their first word. A first word that is
// none of these is a file name ("./info" names a file called info).
struct Subcommand {
  std::string_view word;
  int (*run)(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err);
};

constexpr Subcommand kSubcommands[] = {
    {"refilm", Refilm},
    {"info", InfoCommand},
    {"check", CheckCommand},
    {"preview", PreviewCommand},
};

}  // namespace

int RunConsole(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err, Program program) {
  if (program == Program::CommandLine && !arguments.empty()) {
    for (const Subcommand& subcommand : kSubcommands) {
      if (arguments.front() != subcommand.word) continue;
      return subcommand.run(std::vector<std::string>(arguments.begin() + 1, arguments.end()), out, err);
    }
  }
  return RefilmCommand(arguments, out, err, program);
}

}  // namespace cw
