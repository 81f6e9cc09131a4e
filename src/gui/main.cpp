// camwright: the dialog program. With file names it refilms them at once and
// ends; without, it shows the splash and the dialog. Where no display can be
// reached, file names are refilmed as the command-line program does.
#include <QtWidgets/QApplication>
#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#include "camwright_app.h"
#include "console/arguments.h"
#include "console/console_front.h"
#include "console/stop_signals.h"
#include "qt_platform.h"
#include "run/refilm_run.h"
#include "system/system_programs.h"
#include "system/terminal_probe.h"

namespace {

bool HasValue(const char* variable) {
  const char* value = std::getenv(variable);
  return value != nullptr && *value != '\0';
}

// No window system to talk to, and no Qt platform asked for by name.
bool NoDisplay() { return !HasValue("DISPLAY") && !HasValue("WAYLAND_DISPLAY") && !HasValue("QT_QPA_PLATFORM"); }

// A refilm of the dialog: an interrupt on the terminal stops it cleanly, and
// then ends the program as the interrupt would have.
cw::RunOutcome DialogRefilm(cw::RefilmSession& session, cw::RefilmOptions& options, cw::Platform& platform) {
  cw::RunOutcome outcome;
  {
    cw::StopSignals stopSignals;
    outcome = session.Run(options, platform);
  }
  cw::StopSignals::EndAsAsked();
  return outcome;
}

int RunProgram(int argc, char** argv) {
  const std::vector<std::string> words(argv + 1, argv + argc);
  cw::SystemPrograms programs;
  // Help and version are answered before Qt starts, so that they need no
  // display; so are names when no display can be reached.
  if (cw::AsksForHelpOrVersion(words) || (NoDisplay() && !words.empty())) {
    cw::MarkErrorStreamWhenTerminal();
    const int status = cw::RunConsole(words, std::cout, std::cerr, cw::Program::Dialog, &programs);
    cw::StopSignals::EndAsAsked();
    return status;
  }
  if (NoDisplay()) {
    std::cerr << "camwright: no display to show the dialog on; give the demo names to refilm without it\n";
    return 1;
  }
  QApplication application(argc, argv);
  QApplication::setWindowIcon(QIcon(QStringLiteral(":/camwright/icon.png")));
  // QApplication has taken its own options (such as -platform) out of argv;
  // what remains is read as the command-line program reads it.
  const std::vector<std::string> rest(argv + 1, argv + argc);
  const cw::Arguments arguments = cw::ParseArguments(rest);
  // A mistake is told, with the usage, as the terminal program tells it.
  if (arguments.request == cw::Request::Mistake) return cw::RunConsole(rest, std::cout, std::cerr, cw::Program::Dialog);
  cw::QtPlatform platform;
  platform.SetProgramRunner(&programs);
  cw::RefilmSession session;
  cw::CCamwrightApp app(platform, [&session](cw::RefilmOptions& options, cw::Platform& owner) {
    return DialogRefilm(session, options, owner);
  });
  platform.SetOwner(&app.CreateDialog());
  return app.Run(arguments.options);
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
