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
#include "camwright_app.h"
#include "qt_platform.h"

namespace {

bool HasValue(const char* variable) {
  const char* value = std::getenv(variable);
  return value != nullptr && *value != '\0';
}

// No window system to talk to, and no Qt platform asked for by name.
bool NoDisplay() { return !HasValue("DISPLAY") && !HasValue("WAYLAND_DISPLAY") && !HasValue("QT_QPA_PLATFORM"); }

}  // namespace

int main(int argc, char** argv) {
  if (NoDisplay()) {
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    if (!arguments.empty()) return cw::RunConsole(arguments, std::cout, std::cerr);
    std::cerr << "camwright: no display to show the dialog on; give the demo names to refilm without it\n";
    return 1;
  }
  QApplication application(argc, argv);
  QApplication::setWindowIcon(QIcon(QStringLiteral(":/camwright/icon.png")));
  // QApplication has taken its own options (such as -platform) out of argv;
  // each remaining argument is one file name.
  const std::vector<std::string> arguments(argv + 1, argv + argc);
  cw::QtPlatform platform;
  cw::CCamwrightApp app(platform, cw::RefilmDemo);
  platform.SetOwner(&app.CreateDialog());
  return app.Run(arguments);
}
