#pragma once
// What the message parser keeps from block to block.

#include <array>
#include <string>

namespace cw {

inline constexpr int kNameTableSize = 256;
inline constexpr std::size_t kLevelNameLimit = 31;

struct ParserValues {
  bool serverInfoSeen = false;
  int protocol = 0;       // of the last svc_serverinfo; 0 before any
  std::string levelName;  // at most kLevelNameLimit characters
  std::array<std::string, kNameTableSize> modelNames;
  std::array<std::string, kNameTableSize> soundNames;
  int modelCount = 0;
  int soundCount = 0;
  int healthSeen = 0;
  float exactExitTime = 0;
};

}  // namespace cw
