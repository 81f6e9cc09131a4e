#pragma once
// The desktop services of the dialog program: Qt message boxes and file
// chooser over the main dialog, and the shell for the "play" command.

#include <QtCore/QPointer>
#include <QtWidgets/QWidget>

#include "run/platform.h"

namespace cw {

inline constexpr const char* kDemoFileFilter = "Quake demo files (*.dem)";

class QtPlatform : public Platform {
 public:
  // The window that message boxes and the file chooser are modal over.
  void SetOwner(QWidget* owner) { owner_ = owner; }

  MessageAnswer MessageBox(const std::string& text, const std::string& caption, MessageKind kind) override;
  void RunCommand(const std::string& commandLine) override;
  std::optional<std::string> OpenDemoFile() override;
  bool StopRequested() override;

 private:
  QPointer<QWidget> owner_;
};

}  // namespace cw
