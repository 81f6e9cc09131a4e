#pragma once
// Plays a demo in a real engine through the shared folder's engine-play.

#include <string>

namespace cw::test {

struct EnginePlayOutcome {
  bool engineMissing = false;  // no engine or virtual display on this machine
  bool playedToTheEnd = false;
  std::string output;  // what engine-play printed
};

EnginePlayOutcome PlayInEngine(const std::string& demo);

}  // namespace cw::test
