// camwright_screenshot FILE: draws the main dialog as an interactive start
// shows it, without splash, and saves the picture as FILE (PNG).
#include <QtWidgets/QApplication>
#include <cstdio>

#include "app/context.h"
#include "camwright_dlg.h"
#include "qt_platform.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: camwright_screenshot FILE.png\n");
    return 2;
  }
  cw::Context context;
  cw::QtPlatform platform;
  cw::CCamwrightDlg dialog(context, platform, [](cw::Context&, cw::Platform&) { return cw::RunOutcome::Done; });
  dialog.OnInitDialog();
  dialog.show();
  QApplication::processEvents();
  const bool saved = dialog.grab().save(QString::fromLocal8Bit(argv[1]), "PNG");
  return saved ? 0 : 1;
}
