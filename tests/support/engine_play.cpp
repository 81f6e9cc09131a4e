#include "engine_play.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <system_error>

#include "shared_demos.h"

namespace cw::test {
namespace {

// The engine prints its frame count only when the demo has played to its end.
// When a centre print was on screen just then, the engine's console log puts
// the centre print's closing bar in front of that line, and engine-play then
// says "not played: N frames ..." although the demo did play to its end.
bool Finished(const std::string& output) {
  if (output.find("Error") != std::string::npos) return false;
  if (output.rfind("played:", 0) != 0 && output.rfind("not played:", 0) != 0) return false;
  const std::string line = output.substr(0, output.find('\n'));
  const std::size_t frames = line.find(" frames ");
  if (frames == std::string::npos || line.find(" seconds", frames) == std::string::npos) return false;
  // The frame count just before " frames" must be a number other than 0.
  std::size_t digits = frames;
  while (digits > 0 && line[digits - 1] >= '0' && line[digits - 1] <= '9') --digits;
  return digits < frames && line.substr(digits, frames - digits).find_first_not_of('0') != std::string::npos;
}

// engine-play's word for an engine that went away with neither a frame count
// nor an error of its own: killed, or its virtual display gone.
bool EndedWithoutAWord(const std::string& output) { return output == "not played: \n" || output == "not played:\n"; }

// The last lines of the engine's console log, to show why a play failed.
std::string LogTail(const std::filesystem::path& log) {
  std::ifstream in(log);
  std::string line;
  std::string lines[12];
  std::size_t count = 0;
  while (std::getline(in, line)) lines[count++ % 12] = line;
  std::ostringstream tail;
  tail << "the engine's log ends:\n";
  for (std::size_t i = count > 12 ? count - 12 : 0; i < count; ++i) tail << "  " << lines[i % 12] << '\n';
  return tail.str();
}

EnginePlayOutcome PlayOnce(const std::string& demo, const std::filesystem::path& log) {
  EnginePlayOutcome outcome;
  const std::string tool = SharedDemoDir() + "/../tools/engine-play";
  // A generous limit: the longest demo takes about 90 s on two cores.
  const std::string command = "KEEP_LOG='" + log.string() + "' bash '" + tool + "' '" + demo + "' 300 2>&1";
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return outcome;
  char line[512];
  while (fgets(line, sizeof line, pipe) != nullptr) outcome.output += line;
  const int status = pclose(pipe);
  outcome.engineMissing = WIFEXITED(status) && WEXITSTATUS(status) == 3;
  outcome.playedToTheEnd = Finished(outcome.output);
  return outcome;
}

}  // namespace

EnginePlayOutcome PlayInEngine(const std::string& demo) {
  const std::filesystem::path log =
      std::filesystem::temp_directory_path() / ("camwright-engine-" + std::to_string(getpid()) + ".log");
  EnginePlayOutcome outcome = PlayOnce(demo, log);
  // A demo plays the same frames on every run, so a fault of the demo's own
  // shows again on a second play; one play on which the engine vanished
  // without a word is the machine's.
  if (EndedWithoutAWord(outcome.output)) {
    const std::string first = LogTail(log);
    outcome = PlayOnce(demo, log);
    outcome.output += "(played again: on the first play the engine ended without a word; " + first + ")\n";
  }
  if (!outcome.playedToTheEnd && !outcome.engineMissing) outcome.output += LogTail(log);
  std::error_code ignored;
  std::filesystem::remove(log, ignored);
  return outcome;
}

}  // namespace cw::test
