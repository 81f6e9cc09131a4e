// Feeds arbitrary bytes to the readers of what a user looks at before a
// refilm: a BSP file's floors and solid space, and the script check. Every
// floor read has at least three corners, a solid space read answers for
// points and lines (a clear line is clear all the way), and every
// finding names a line of the text.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "camera/script_check.h"
#include "map/bsp_floors.h"
#include "map/solid_space.h"
#include "map/solid_trace.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::vector<std::uint8_t> bytes(data, data + size);
  cw::FloorPlan plan;
  std::string error;
  if (cw::ReadBspFloors(bytes, plan, error)) {
    for (const cw::FloorPolygon& floor : plan.floors) {
      if (floor.points.size() < 3) std::abort();
    }
  } else if (error.empty()) {
    std::abort();
  }

  cw::SolidSpace space;
  error.clear();
  if (space.Read(bytes, error)) {
    const cw::SegmentTrace trace = cw::TraceSegment(space, {60, 64, 64}, {200, 64, 140}, cw::TraceStops::AtSolidOrSky);
    if (!(trace.fraction >= 0 && trace.fraction <= 1) || (trace.Clear() && trace.fraction != 1)) std::abort();
    space.ContentsAt({1e30f, -1e30f, 0});
  } else if (error.empty()) {
    std::abort();
  }

  const std::string text(reinterpret_cast<const char*>(data), size);
  std::istringstream script(text);
  const cw::ScriptCheck check = cw::CheckScript(script);
  const long lines = 1 + static_cast<long>(std::count(text.begin(), text.end(), '\n'));
  for (const cw::ScriptFinding& finding : check.findings) {
    if (finding.line < 1 || finding.line > lines || finding.text.empty()) std::abort();
  }
  return 0;
}
