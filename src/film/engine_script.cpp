#include "film/engine_script.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <string_view>

namespace cw {
namespace {

constexpr std::size_t kFileSize = 32000;      // well inside the engine's command buffer
constexpr std::size_t kCommandLength = 1023;  // the engine's own limit on a command

// The commands of a demo that a film cannot let run.
constexpr std::array<std::string_view, 24> kDenied = {
    "screenshot",     "quit",        "disconnect",  "playdemo",       "timedemo",    "record",
    "stop",           "map",         "changelevel", "connect",        "reconnect",   "wait",
    "startdemos",     "demos",       "stopdemo",    "game",           "vid_restart", "host_framerate",
    "host_timescale", "host_maxfps", "r_norefresh", "con_notifytime", "exec",        "restart",
};

std::string FirstWord(const std::string& command) {
  std::size_t start = 0;
  while (start < command.size() && std::isspace(static_cast<unsigned char>(command[start]))) ++start;
  std::size_t end = start;
  while (end < command.size() && !std::isspace(static_cast<unsigned char>(command[end]))) ++end;
  std::string word = command.substr(start, end - start);
  for (char& c : word) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return word;
}

class Writer {
 public:
  explicit Writer(std::string stem) : stem_(std::move(stem)) { script_.files.emplace_back(); }

  void Line(const std::string& line) { script_.files.back() += line + "\n"; }
  // Ends a frame's commands; a full file hands over to the next one at the
  // start of the following frame's.
  void EndFrame() {
    Line("wait");
    if (script_.files.back().size() < kFileSize) return;
    Line("exec " + stem_ + std::to_string(script_.files.size()) + ".cfg");
    script_.files.emplace_back();
  }
  EngineScript Done() { return std::move(script_); }

 private:
  std::string stem_;
  EngineScript script_;
};

const char* Refresh(bool drawn) { return drawn ? "r_norefresh 0" : "r_norefresh 1"; }

}  // namespace

std::vector<std::string> ConsoleCommands(const std::string& text) {
  std::vector<std::string> commands;
  std::string command;
  bool quoted = false;
  for (const char c : text) {
    if (c == '"') quoted = !quoted;
    if (c == '\n' || (c == ';' && !quoted)) {
      commands.push_back(command);
      command.clear();
      if (c == '\n') quoted = false;
      continue;
    }
    command += c;
  }
  if (!command.empty()) commands.push_back(command);
  std::erase_if(commands, [](const std::string& each) { return each.find_first_not_of(" \t\r") == std::string::npos; });
  return commands;
}

bool FilmAllows(const std::string& command) {
  const std::string word = FirstWord(command);
  return std::find(kDenied.begin(), kDenied.end(), word) == kDenied.end();
}

EngineScript WriteEngineScript(const FramePlan& plan, const DemoTimeline& timeline, const std::string& demo,
                               const std::string& stem) {
  Writer writer(stem);
  if (plan.frames.empty()) return writer.Done();
  // Before playback: the engine as fast as it draws, no console lines timed
  // by the wall clock, the console gone at once when the level comes, the
  // first frame's time.
  writer.Line("host_maxfps 1000");
  writer.Line("vid_vsync 0");
  writer.Line("con_notifytime -1");
  writer.Line("scr_conspeed 100000");
  writer.Line("host_framerate " + plan.frames[0].step);
  writer.Line(Refresh(plan.frames[0].drawn));
  writer.EndFrame();

  std::size_t text = 0;  // the next of the demo's texts
  std::size_t blocksBefore = 0;
  for (std::size_t frame = 0; frame <= plan.frames.size(); ++frame) {
    if (frame == 0) {
      writer.Line("playdemo " + demo);
    } else {
      const PlannedFrame& before = plan.frames[frame - 1];
      if (before.picture >= 0) writer.Line(kPictureCommand);
      // The texts of the blocks the frame before read.
      std::string stuffed;
      for (; text < timeline.texts.size() && timeline.texts[text].block < before.blocksRead; ++text) {
        if (timeline.texts[text].block >= blocksBefore) stuffed += timeline.texts[text].text;
      }
      blocksBefore = before.blocksRead;
      for (const std::string& command : ConsoleCommands(stuffed)) {
        if (FilmAllows(command)) writer.Line(command.substr(0, kCommandLength));
      }
      if (frame == plan.frames.size()) break;
      if (plan.frames[frame].drawn != before.drawn) writer.Line(Refresh(plan.frames[frame].drawn));
    }
    if (frame + 1 < plan.frames.size() && plan.frames[frame + 1].step != plan.frames[frame].step) {
      writer.Line("host_framerate " + plan.frames[frame + 1].step);
    }
    writer.EndFrame();
  }
  writer.Line("quit");
  return writer.Done();
}

}  // namespace cw
