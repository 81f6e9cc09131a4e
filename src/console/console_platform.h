#pragma once
// The platform of the command line: message boxes become lines on the
// terminal, "Caption: text"; errors and warnings on the error stream.

#include <iosfwd>

#include "run/platform.h"

namespace cw {

class ConsolePlatform : public Platform {
 public:
  ConsolePlatform(std::ostream& output, std::ostream& errors) : out(output), err(errors) {}
  MessageAnswer MessageBox(const std::string& text, const std::string& caption, MessageKind kind) override;
  void RunCommand(const std::string& commandLine) override;
  std::optional<std::string> OpenDemoFile() override { return std::nullopt; }
  bool StopRequested() override;
  bool FindsProgram(const std::string& program) override;
  Programs* ProgramRunner() override { return programs; }
  // What starts the engine and the encoder, from the front end.
  void SetProgramRunner(Programs* runner) { programs = runner; }

 private:
  std::ostream& out;
  std::ostream& err;
  Programs* programs = nullptr;
};

}  // namespace cw
