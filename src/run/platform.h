#pragma once
// What the core asks of the desktop: message boxes, running a command line,
// choosing a file. The console, the dialog and the tests each provide one.

#include <optional>
#include <string>

namespace cw {

class Programs;

enum class MessageKind {
  Error,     // exclamation icon, OK: refusals ("Error") and the generator's "Warning"
  Report,    // information icon, OK: the end of a run ("Done")
  Question,  // question icon, Yes and No
};

enum class MessageAnswer { Ok, Yes, No };

class Platform {
 public:
  virtual ~Platform() = default;
  // Shows `text` modally and waits until the user closes it.
  virtual MessageAnswer MessageBox(const std::string& text, const std::string& caption, MessageKind kind) = 0;
  // Runs a command line through the system's command interpreter and waits
  // for it; its exit status is not looked at.
  virtual void RunCommand(const std::string& commandLine) = 0;
  // Asks for an existing file matching "*.dem"; nothing when cancelled.
  virtual std::optional<std::string> OpenDemoFile() = 0;
  // Asked between blocks: true when the user wants the run stopped (an
  // interrupt on the terminal). The run then ends without writing anything.
  virtual bool StopRequested() { return false; }
  // Told now and then while a run reads its source: how much of the run's
  // reading is done, from 0 to 1.
  virtual void Progress(double /*fraction*/) {}
  // Whether RunCommand finds `program`: an executable of that name in the
  // current directory or along the search path.
  virtual bool FindsProgram(const std::string& /*program*/) { return true; }
  // What starts and stops other programs (the engine, the encoder of a
  // video); none where the platform cannot.
  virtual Programs* ProgramRunner() { return nullptr; }
};

}  // namespace cw
