#pragma once
// A read of a whole demo ahead of its refilm: the network protocols it uses
// and the entity numbers it names.

#include <bitset>
#include <cstdint>
#include <string>
#include <vector>

#include "base/protocol.h"
#include "stream/demo_walk.h"

namespace cw {

// A block in which the refilm's clock goes back (a new level, a time that
// runs backwards) to `time`, lower than every time it goes back to later.
struct ClockLow {
  int block = 0;
  float time = 0;
};

struct DemoSurvey {
  int protocol = 0;        // of the first svc_serverinfo; 0 when there is none
  std::string worldModel;  // the first model of that svc_serverinfo: the map
  int levels = 0;          // svc_serverinfo messages read
  // The first level that cannot be read: its protocol (0 when every level
  // can be read) and, for protocol 999, its flags.
  int unreadableProtocol = 0;
  std::uint32_t unreadableFlags = 0;
  std::bitset<kEntityNumberSpace> used;
  bool stopped = false;  // `keepGoing` asked for a stop: the rest is unknown
  // Where the refilm's clock will stand lowest from each block on, as far as
  // it goes back: in block order, each lower than those after it.
  std::vector<ClockLow> clockLows;
  // The latest the clock stands before the player's first update.
  float clockBeforePlayer = 0;
};

// Reads the demo without touching any of the caller's state. Stops at the
// first level it cannot read, since such a demo is refused anyway and its
// messages cannot be read further. `keepGoing`, when given, is told the
// bytes read now and then and may ask for a stop by answering false.
DemoSurvey SurveyDemo(const std::string& path, const KeepWalking& keepGoing = {});

// The camera's entity number: 449 unless the demo itself uses 449; then the
// highest number below 600 (the original client's limit) that the demo never
// uses; then the lowest from 600 on that it never uses, since the engines of
// FitzQuake's family take only numbers below 8192 unless told otherwise.
// Never 0 (the world) and never above what an entity number can carry; 0
// when no number is left.
int ChooseCameraEntity(const std::bitset<kEntityNumberSpace>& used);

}  // namespace cw
