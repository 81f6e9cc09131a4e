#pragma once
// The desktop services of the dialog program: Qt message boxes and file
// chooser over the main dialog, the shell for the "play" command, and the
// programs that play and film results in the engine.

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
  bool FindsProgram(const std::string& program) override;
  Programs* ProgramRunner() override { return programs_; }
  // What starts the engine and the encoder, from the program's main.
  void SetProgramRunner(Programs* programs) { programs_ = programs; }

 private:
  QPointer<QWidget> owner_;
  Programs* programs_ = nullptr;
};

}  // namespace cw
