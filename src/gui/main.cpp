// camwright: the dialog program. With file names it refilms them at once and
// ends; without, it shows the splash and the dialog. Where no display can be
// reached, file names are refilmed as the command-line program does.
#include <QtWidgets/QApplication>
#include <cstdlib>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

#include "camwright_app.h"
#include "qt_platform.h"
#include "run/console_front.h"
#include "run/refilm_run.h"
#include "run/stop_signals.h"
#include "run/version.h"

namespace {

bool HasValue(const char* variable) {
  const char* value = std::getenv(variable);
  return value != nullptr && *value != '\0';
}

// No window system to talk to, and no Qt platform asked for by name.
bool NoDisplay() { return !HasValue("DISPLAY") && !HasValue("WAYLAND_DISPLAY") && !HasValue("QT_QPA_PLATFORM"); }

constexpr const char* kHelp =
    "Usage: camwright [RESULT.dem]\n"
    "  or:  camwright SOURCE.dem [SCRIPT.cam] RESULT.dem\n"
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
    "\n"
    "Without a display (neither DISPLAY nor WAYLAND_DISPLAY set, and no\n"
    "QT_QPA_PLATFORM asked for), names are refilmed on the terminal as\n"
    "camwright-cli does, with its exit status: 0 done, 1 refused, 2 done but\n"
    "the source was damaged. With a display the exit status is 0.\n";

bool OnlyArgument(int argc, char** argv, std::string_view word) { return argc == 2 && argv[1] == word; }

// A refilm of the dialog: an interrupt on the terminal stops it cleanly, and
// then ends the program as the interrupt would have.
cw::RunOutcome DialogRefilm(cw::Context& context, cw::Platform& platform) {
  cw::RunOutcome outcome;
  {
    cw::StopSignals stopSignals;
    outcome = cw::RefilmDemoSafely(context, platform);
  }
  cw::StopSignals::EndAsAsked();
  return outcome;
}

int RunProgram(int argc, char** argv) {
  // Answered before Qt starts, so that they need no display.
  if (OnlyArgument(argc, argv, "--help") || OnlyArgument(argc, argv, "-h")) {
    std::cout << kHelp;
    return std::cout.flush() ? 0 : 1;
  }
  if (OnlyArgument(argc, argv, "--version")) {
    std::cout << cw::kVersionText << '\n';
    return std::cout.flush() ? 0 : 1;
  }
  if (NoDisplay()) {
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    if (!arguments.empty()) {
      const int status = cw::RunConsole(arguments, std::cout, std::cerr);
      cw::StopSignals::EndAsAsked();
      return status;
    }
    std::cerr << "camwright: no display to show the dialog on; give the demo names to refilm without it\n";
    return 1;
  }
  QApplication application(argc, argv);
  QApplication::setWindowIcon(QIcon(QStringLiteral(":/camwright/icon.png")));
  // QApplication has taken its own options (such as -platform) out of argv;
  // each remaining argument is one file name.
  const std::vector<std::string> arguments(argv + 1, argv + argc);
  cw::QtPlatform platform;
  cw::CCamwrightApp app(platform, DialogRefilm);
  platform.SetOwner(&app.CreateDialog());
  return app.Run(arguments);
}

}  // namespace

int main(int argc, char** argv) {
  // Nothing may end the program abruptly; the run itself reports its own
  // failures, so this is the last net under the dialog.
  try {
    return RunProgram(argc, argv);
  } catch (...) {
    std::cerr << "Error: Camwright stopped on an unexpected failure.\n";
  }
  return 1;
}
