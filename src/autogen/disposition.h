#pragma once
// Camera disposition files: the zones of a map, each with a box, a camera
// spot and the zones whose cameras are linked with it.

#include <array>
#include <iosfwd>
#include <string>

namespace cw {

inline constexpr int kZoneCount = 50;

struct CameraZone {
  int spot[3] = {0, 0, 0};
  int low[3] = {0, 0, 0};
  int high[3] = {0, 0, 0};
  bool defined = false;  // a record for this zone was read completely
};

struct ZoneTables {
  std::array<CameraZone, kZoneCount> zones{};
  std::array<std::array<bool, kZoneCount>, kZoneCount> zoneLinks{};
};

// Clears both tables and fills them from the file's words.
void ReadDispositionFile(std::istream& in, ZoneTables& tables);

// The disposition file's name for a world model name ("maps/e1m1.bsp" gives "e1m1.log").
std::string DispositionFileName(const std::string& worldModel);

}  // namespace cw
