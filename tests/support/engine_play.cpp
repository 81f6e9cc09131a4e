#include "engine_play.h"

#include <sys/wait.h>

#include <cstdio>
#include <regex>

#include "shared_demos.h"

namespace cw::test {
namespace {

// The engine prints its frame count only when the demo has played to its end.
// When a centre print was on screen just then, the engine's console log puts
// the centre print's closing bar in front of that line, and engine-play then
// says "not played: N frames ..." although the demo did play to its end.
bool Finished(const std::string& output) {
  static const std::regex kFinished(R"(^(played|not played):[^\n]*[^0-9][1-9][0-9]* frames +[0-9.]+ seconds)");
  return output.find("Error") == std::string::npos && std::regex_search(output, kFinished);
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
