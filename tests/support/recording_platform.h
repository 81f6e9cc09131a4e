#pragma once
// A platform for tests: records every message box and command line, answers
// questions as told, and offers a chosen file to the open-file dialog.

#include <optional>
#include <string>
#include <vector>

#include "run/platform.h"

namespace cw::test {

struct RecordedMessage {
  std::string caption;
  std::string text;
  MessageKind kind;
};

class RecordingPlatform : public Platform {
 public:
  MessageAnswer MessageBox(const std::string& text, const std::string& caption, MessageKind kind) override {
    messages.push_back({caption, text, kind});
    return kind == MessageKind::Question ? questionAnswer : MessageAnswer::Ok;
  }
  void RunCommand(const std::string& commandLine) override { commands.push_back(commandLine); }
  std::optional<std::string> OpenDemoFile() override { return fileToOffer; }

  std::vector<RecordedMessage> messages;
  std::vector<std::string> commands;
  MessageAnswer questionAnswer = MessageAnswer::Yes;
  std::optional<std::string> fileToOffer;
};

}  // namespace cw::test
