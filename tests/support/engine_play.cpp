#include "engine_play.h"

#include <sys/wait.h>

#include <cstdio>
#include <string>

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

}  // namespace

EnginePlayOutcome PlayInEngine(const std::string& demo) {
  EnginePlayOutcome outcome;
  const std::string tool = SharedDemoDir() + "/../tools/engine-play";
  // A generous limit: the longest demo takes about 90 s on two cores.
  const std::string command = "bash '" + tool + "' '" + demo + "' 300 2>&1";
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return outcome;
  char line[512];
  while (fgets(line, sizeof line, pipe) != nullptr) outcome.output += line;
  const int status = pclose(pipe);
  outcome.engineMissing = WIFEXITED(status) && WEXITSTATUS(status) == 3;
  outcome.playedToTheEnd = Finished(outcome.output);
  return outcome;
}

}  // namespace cw::test
