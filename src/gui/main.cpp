// camwright: the dialog program. With file names it refilms them at once and
// ends; without, it shows the splash and the dialog. Where no display can be
// reached, file names are refilmed as the command-line program does.
#include <QtWidgets/QApplication>
#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#include "app/console_front.h"
#include "app/refilm_run.h"
#include "app/stop_signals.h"
#include "camwright_app.h"
#include "qt_platform.h"

namespace {

bool HasValue(const char* variable) {
  const char* value = std::getenv(variable);
  return value != nullptr && *value != '\0';
}

// No window system to talk to, and no Qt platform asked for by name.
bool NoDisplay() { return !HasValue("DISPLAY") && !HasValue("WAYLAND_DISPLAY") && !HasValue("QT_QPA_PLATFORM"); }

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
