#include "camwright_app.h"

#include "console/refilm_names.h"

namespace cw {

CCamwrightApp::CCamwrightApp(Platform& platform, RunFunction run, QString splashPicture)
    : platform_(platform), run_(std::move(run)), splash_(std::move(splashPicture)) {}

CCamwrightApp::~CCamwrightApp() = default;

CCamwrightDlg& CCamwrightApp::CreateDialog() {
  if (dialog_ == nullptr) dialog_ = std::make_unique<CCamwrightDlg>(options_, platform_, run_, &splash_);
  return *dialog_;
}

bool CCamwrightApp::Start(const std::vector<std::string>& arguments) {
  RefilmOptions prepared;
  ApplyCommandLine(arguments, prepared);
  return StartWith(prepared);
}

bool CCamwrightApp::StartWith(const RefilmOptions& prepared) {
  CCamwrightDlg& dialog = CreateDialog();
  options_ = prepared;
  if (!options_.autoRun) splash_.EnableSplash(true);
  return dialog.OnInitDialog();
}

int CCamwrightApp::Run(const RefilmOptions& prepared) {
  if (StartWith(prepared)) dialog_->exec();
  // However the dialog closed, the program is over.
  return 0;
}

}  // namespace cw
