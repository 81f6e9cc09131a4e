#pragma once
// What the message parser keeps from block to block.

#include <array>
#include <string>
#include <vector>

#include "refilm/pass.h"

namespace cw {

// Names kept of a level's model list, and of the sound list of a protocol-15
// level, whose sound numbers are bytes.
inline constexpr int kNameTableSize = 256;
inline constexpr std::size_t kLevelNameLimit = 31;

struct ParserValues {
  bool serverInfoSeen = false;
  int protocol = 0;       // of the last svc_serverinfo; 0 before any
  std::string levelName;  // at most kLevelNameLimit characters
  std::array<std::string, kNameTableSize> modelNames;
  // As long as the level's protocol lets its sound list grow: sized at each
  // svc_serverinfo, so that a fresh state allocates nothing.
  std::vector<std::string> soundNames;
  int modelCount = 0;
  int soundCount = 0;
  int healthSeen = 0;
  // The exit time of the level being read, and of every level: a refilm
  // prints it ahead of the exit, from what its script's generation read.
  float exactExitTime = 0;
  std::vector<float> levelExitTimes;
  // The svc_serverinfo messages of this pass so far: the level being read
  // is the last of them.
  int levelsSeen = 0;

  // A pass begins: its levels are counted from the first again, and the
  // generation finds every exit afresh. What the pass before left otherwise
  // (the refilm's exit times, the health, the names) stays until this
  // pass's own messages replace it.
  void StartPass(Pass pass) {
    serverInfoSeen = false;
    levelsSeen = 0;
    if (pass == Pass::Generation) levelExitTimes.clear();
  }
};

}  // namespace cw
