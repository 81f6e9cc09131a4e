// camwright_screenshot FILE [ABOUT_FILE]: draws the main dialog as an
// interactive start shows it, without splash, and saves the picture as FILE
// (PNG); with ABOUT_FILE, the About box too.
#include <QtWidgets/QApplication>
#include <cstdio>

#include "about_dlg.h"
#include "camwright_dlg.h"
#include "qt_platform.h"
#include "refilm/options.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  if (argc != 2 && argc != 3) {
    std::fprintf(stderr, "usage: camwright_screenshot FILE.png [ABOUT.png]\n");
    return 2;
  }
  cw::RefilmOptions options;
  cw::QtPlatform platform;
  cw::CCamwrightDlg dialog(options, platform, [](cw::RefilmOptions&, cw::Platform&) { return cw::RunOutcome::Done; });
  dialog.OnInitDialog();
  dialog.show();
  QApplication::processEvents();
  bool saved = dialog.grab().save(QString::fromLocal8Bit(argv[1]), "PNG");
  if (argc == 3) {
    cw::CAboutDlg about(&dialog);
    about.show();
    QApplication::processEvents();
    saved = about.grab().save(QString::fromLocal8Bit(argv[2]), "PNG") && saved;
  }
  return saved ? 0 : 1;
}
