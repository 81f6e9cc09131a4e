#pragma once
// The floors of a map's BSP file, read only to draw: the world's faces whose
// normal points up, seen from above. Nothing here trusts an offset or a
// count the file gives.

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
// all. False with a reason when the file is no BSP of a known layout or
// contradicts itself; the plan is then left as it was.
bool ReadBspFloors(const std::vector<std::uint8_t>& bytes, FloorPlan& plan, std::string& error,
                   std::size_t maxCorners = kMaxFloorCorners);

}  // namespace cw
