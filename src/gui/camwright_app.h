#pragma once
// The application object: creates the main dialog, takes the file names from
// the command line when there is one, and runs the dialog until it closes.

#include <memory>
#include <string>
#include <vector>

#include "camwright_dlg.h"
#include "refilm/options.h"
#include "splash_wnd.h"

namespace cw {

class CCamwrightApp {
 public:
  CCamwrightApp(Platform& platform, RunFunction run, QString splashPicture = QString::fromLatin1(kSplashPicture));
  ~CCamwrightApp();

  // The main dialog, with its defaults; made on the first call.
  CCamwrightDlg& CreateDialog();
  // Up to the dialog's initialisation: with arguments, the names are taken
  // from them and the refilm runs at once; without, the splash is allowed.
  // Returns false when the dialog has already closed (the automatic run is
  // over).
  bool Start(const std::vector<std::string>& arguments);
  // The same with the options the command line prepared (ParseArguments):
  // names were given when they ask for an automatic run.
  bool StartWith(const RefilmOptions& prepared);
  // Start, then the dialog until it closes. The program's exit status.
  int Run(const RefilmOptions& prepared);

  RefilmOptions& Options() { return options_; }
  CSplash& Splash() { return splash_; }

 private:
  Platform& platform_;
  RunFunction run_;
  RefilmOptions options_;
  CSplash splash_;
  std::unique_ptr<CCamwrightDlg> dialog_;
};

}  // namespace cw
