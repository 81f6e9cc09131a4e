#include "console/console_front.h"

#include <memory>
#include <ostream>

#include "console/arguments.h"
#include "console/batch.h"
#include "console/check_command.h"
#include "console/info_command.h"
#include "console/preview_command.h"
#include "console/progress.h"
#include "console/refilm_options_cli.h"
#include "console/render_command.h"
#include "console/shots_command.h"
#include "console/stop_signals.h"
#include "console/version.h"
#include "run/context.h"
#include "run/refilm_run.h"

namespace cw {
namespace {

constexpr const char* kUsage =
    "Usage: camwright-cli [OPTION]... SOURCE.dem RESULT.dem\n"
    "  or:  camwright-cli [OPTION]... SOURCE.dem SCRIPT.cam RESULT.dem\n"
    "  or:  camwright-cli refilm [OPTION]... SOURCE.dem [SCRIPT.cam] RESULT.dem\n"
    "  or:  camwright-cli batch [OPTION]... (--script FILE | --generate) --out DIR DEMO...\n"
    "  or:  camwright-cli info [--entities | --at T | --timeline] [--json] DEMO.dem...\n"
    "  or:  camwright-cli check SCRIPT.cam [--demo DEMO.dem]\n"
    "  or:  camwright-cli preview SOURCE.dem [SCRIPT.cam] OUT.svg\n"
    "  or:  camwright-cli shots DEMO --at T[,T...] --out DIR\n"
    "  or:  camwright-cli render DEMO OUT.mp4\n"
    "  or:  camwright-cli --help | --version\n";

constexpr const char* kHelp =
    "Re-films a recorded Quake demo (network protocol 15, 666 or 999) through\n"
    "a scripted camera and writes the result as a new demo.\n"
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
    "  batch ... --out DIR DEMO...\n"
    "      Every DEMO into DIR under its own name, several at once, with the same\n"
    "      options (see \"camwright-cli batch --help\").\n"
    "\n"
    "The subcommands info, check and preview look before a refilm: what a demo\n"
    "holds and which entity is which, where the player is at a moment and what\n"
    "happens when, what the script reader makes of each line, and a picture of\n"
    "the camera's way. shots and render show a demo through a Quake engine:\n"
    "pictures at chosen times, a video with its sound. Each answers --help.\n"
    "\n"
    "Options may stand anywhere before \"--\", as \"--name VALUE\" or\n"
    "\"--name=VALUE\". An option not given keeps the dialog's default: messages,\n"
    "console texts and centre prints are removed, the player bleeds, the view\n"
    "fades out 5 seconds after the intermission and the exact exit time is\n"
    "printed.\n"
    "\n"
    "Options:\n"
    "      --generate             write SCRIPT.cam from the demo first, as the\n"
    "                             dialog's \"Generate automaticly\" does; the\n"
    "                             two-name form always generates temp.cam\n"
    "      --play                 play the result when done: \"play RESULT.dem\" when\n"
    "                             there is a program play, else in the Quake\n"
    "                             engine (off)\n"
    "  -h, --help                 print this help and exit\n"
    "      --version              print the version and exit\n"
    "      --                     end the options: every word after it is a name\n"
    "\n";

constexpr const char* kHelpEnd =
    "\n"
    "A refilm without problems prints nothing; one that takes more than a second\n"
    "shows its progress while standard error is a terminal. A bad option or value\n"
    "is refused before anything is written. Exit status: 0 done, 1 refused (an\n"
    "\"Error\" on standard error), 2 done but the source was damaged.\n";

constexpr const char* kDialogUsage =
    "Usage: camwright [OPTION]... [RESULT.dem]\n"
    "  or:  camwright [OPTION]... SOURCE.dem [SCRIPT.cam] RESULT.dem\n";

constexpr const char* kDialogHelp =
    "Re-films a recorded Quake demo (network protocol 15, 666 or 999) through\n"
    "a scripted camera and writes the result as a new demo: the dialog program.\n"
    "\n"
    "Without names, the dialog comes up after a 3-second splash. With names, each\n"
    "argument is one name, as for camwright-cli: two are the source and the\n"
    "result (the script temp.cam is generated), three are source, script and\n"
    "result, one alone is the result (the run asks for a source). The refilm\n"
    "runs at once with the options given and every other option at its default,\n"
    "shows a message only when something went wrong, and the program ends; when\n"
    "the run refuses the names, the dialog stays open with them. Options given\n"
    "without names are set in the dialog. Qt's own options (such as\n"
    "-platform NAME) may come before the names.\n"
    "\n"
    "Options:\n"
    "      --generate             write SCRIPT.cam from the demo first (\"Generate\n"
    "                             automaticly\"); two names always generate temp.cam\n"
    "      --play                 play the result after a run started with names\n"
    "                             (off)\n"
    "  -h, --help                 print this help and exit\n"
    "      --version              print the version and exit\n"
    "      --                     end the options: every word after it is a name\n"
    "\n";

constexpr const char* kDialogHelpEnd =
    "\n"
    "Without a display (neither DISPLAY nor WAYLAND_DISPLAY set, and no\n"
    "QT_QPA_PLATFORM asked for), names are refilmed on the terminal as\n"
    "camwright-cli does, with its exit status: 0 done, 1 refused, 2 done but\n"
    "the source was damaged. With a display the exit status is 0.\n";

}  // namespace

int RefilmCommand(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err, Program program,
                  Programs* programs) {
  const bool dialog = program == Program::Dialog;
  const char* usage = dialog ? kDialogUsage : kUsage;
  const Arguments parsed = ParseArguments(arguments);
  switch (parsed.request) {
    case Request::Help:
      out << usage << (dialog ? kDialogHelp : kHelp) << "Play and video options:\n"
          << FilmFormHelp() << '\n'
          << RefilmOptionsHelp();
      if (!dialog) out << '\n' << BatchOptionsHelp();
      out << (dialog ? kDialogHelpEnd : kHelpEnd);
      return out.flush() ? kExitDone : kExitRefused;
    case Request::Version:
      out << kVersionText << '\n';
      return out.flush() ? kExitDone : kExitRefused;
    case Request::Mistake:
      err << ProgramName(program) << ": " << parsed.mistake << '\n' << usage;
      return kExitRefused;
    case Request::Refilm:
      break;
  }
  if (parsed.names.empty()) {
    err << usage;
    return kExitRefused;
  }
  auto context = std::make_unique<Context>();
  context->options = parsed.options;
  ProgressConsolePlatform platform(out, err, context->options.sourceDemo);
  platform.SetProgramRunner(programs);
  StopSignals stopSignals;
  const RunOutcome outcome = RefilmDemoSafely(*context, platform);
  if (context->videoFailed) return kExitRefused;
  switch (outcome) {
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

int Refilm(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err, Programs* programs) {
  return RefilmCommand(arguments, out, err, Program::CommandLine, programs);
}

// The subcommands of camwright-cli, by their first word. A first word that is
// none of these is a file name ("./info" names a file called info).
struct Subcommand {
  std::string_view word;
  int (*run)(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err);
};

constexpr Subcommand kSubcommands[] = {
    {"info", InfoCommand},
    {"check", CheckCommand},
    {"preview", PreviewCommand},
};

// The subcommands that may start other programs: the engine, the encoder.
struct FilmSubcommand {
  std::string_view word;
  int (*run)(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err, Programs* programs);
};

constexpr FilmSubcommand kFilmSubcommands[] = {
    {"refilm", Refilm}, {"batch", BatchCommand}, {"shots", ShotsCommand}, {"render", RenderCommand}};

}  // namespace

int RunConsole(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err, Program program,
               Programs* programs) {
  if (program == Program::CommandLine && !arguments.empty()) {
    for (const FilmSubcommand& subcommand : kFilmSubcommands) {
      if (arguments.front() != subcommand.word) continue;
      return subcommand.run(std::vector<std::string>(arguments.begin() + 1, arguments.end()), out, err, programs);
    }
    for (const Subcommand& subcommand : kSubcommands) {
      if (arguments.front() != subcommand.word) continue;
      return subcommand.run(std::vector<std::string>(arguments.begin() + 1, arguments.end()), out, err);
    }
  }
  return RefilmCommand(arguments, out, err, program, programs);
}

}  // namespace cw
