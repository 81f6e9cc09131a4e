#pragma once
// The game's own files, read only to draw: pak files, and the floors of a
// map's BSP file (version 29, the original, and BSP2, its larger-limits
// successor). Nothing here trusts an offset or a count the file gives.

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace cw {

// A floor of the map: a polygon seen from above (x, y), at its mean height.
struct FloorPolygon {
  std::vector<std::pair<float, float>> points;
  float height = 0;
};

// A floor plan holds at most this many corners in all: several times those
// of the largest real maps, and a picture of them still some megabytes.
inline constexpr std::size_t kMaxFloorCorners = std::size_t{1} << 20;

struct FloorPlan {
  std::vector<FloorPolygon> floors;
  std::size_t leftOut = 0;  // floors past the corner budget, not read
};

// The world's faces whose normal points up (floors, stairs, gentle slopes),
// from the bytes of a BSP file, the first ones up to `maxCorners` corners in
// all. False with a reason when the file is no BSP of a known version or
// contradicts itself; the plan is then left as it was.
bool ReadBspFloors(const std::vector<std::uint8_t>& bytes, FloorPlan& plan, std::string& error,
                   std::size_t maxCorners = kMaxFloorCorners);

// A file of the game is never larger than this: several times the largest
// real map. A larger one is refused before it is read.
inline constexpr std::uint64_t kMaxGameFileBytes = std::uint64_t{256} << 20;

enum class PakLookup { Found, Missing, Damaged };

// The bytes of the entry `name` ("maps/e1m3.bsp", letters in any case) of a
// pak file; an entry larger than `maxBytes` is damage.
PakLookup ReadPakEntry(const std::string& pak, const std::string& name, std::vector<std::uint8_t>& bytes,
                       std::string& error, std::uint64_t maxBytes = kMaxGameFileBytes);

// Why a name of the game's files, as a demo or a script gives it, would
// reach outside the game folder (an absolute name, a ".." part, with either
// slash); empty when it stays inside.
std::string NameLeavingGameFolder(const std::string& name);

struct GameFile {
  bool found = false;
  std::vector<std::uint8_t> bytes;
  std::string where;  // the pak file or the file it came from
  std::string error;  // why it was not found, or why a pak on the way could not be read
};

// A file of the game as the game finds it under a Quake folder: in the
// id1 folder's pak files, the highest-numbered first, then as a file of
// its own. `quakeDir` may also be the id1 folder itself. A name that would
// reach outside the folder is not looked up, and a file larger than
// `maxBytes` is not read: `error` says so.
GameFile FindGameFile(const std::string& quakeDir, const std::string& name, std::uint64_t maxBytes = kMaxGameFileBytes);

}  // namespace cw
