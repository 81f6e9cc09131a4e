#include "inspect/camera_map_check.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>

#include "map/solid_space.h"
#include "map/solid_trace.h"

namespace cw {
namespace {

// A point looked at may lie on a floor or just inside it (an item, a
// corpse): a wall within this much of it hides nothing.
constexpr double kTargetSlack = 16.0;

double Distance(const Vec3& a, const Vec3& b) {
  const double x = double{a[0]} - b[0];
  const double y = double{a[1]} - b[1];
  const double z = double{a[2]} - b[2];
  return std::sqrt(x * x + y * y + z * z);
}

bool SightBlocked(const SolidSpace& space, const CameraSample& sample) {
  const SegmentTrace trace = TraceSegment(space, sample.origin, sample.lookAt);
  if (trace.Clear()) return false;
  return Distance(trace.end, sample.lookAt) > kTargetSlack;
}

// One open span of each kind; a sample of the same kind and command that
// follows the span's last sample stretches it.
class SpanMerger {
 public:
  void Add(MapTrouble kind, const CameraSample& sample, float from, std::size_t index) {
    Open& open = opens[static_cast<std::size_t>(kind)];
    const bool continues = open.active && open.lastIndex + 1 == index &&
                           open.span.positionCommand == sample.positionCommand &&
                           (kind != MapTrouble::SightBlocked || open.span.viewCommand == sample.viewCommand);
    if (!continues) {
      Close(open);
      open.span = {kind, sample.positionCommand, kind == MapTrouble::SightBlocked ? sample.viewCommand : -1, from,
                   sample.time};
      open.active = true;
    }
    open.span.to = sample.time;
    open.lastIndex = index;
  }
  std::vector<MapSpan> Finish() {
    for (Open& open : opens) Close(open);
    std::stable_sort(spans.begin(), spans.end(), [](const MapSpan& a, const MapSpan& b) { return a.from < b.from; });
    return std::move(spans);
  }

 private:
  struct Open {
    MapSpan span;
    std::size_t lastIndex = 0;
    bool active = false;
  };
  void Close(Open& open) {
    if (!open.active) return;
    open.active = false;
    const bool brief =
        open.span.kind == MapTrouble::SightBlocked && open.span.to - open.span.from <= kLongestHiddenSight;
    if (!brief) spans.push_back(open.span);
  }
  std::array<Open, 4> opens;
  std::vector<MapSpan> spans;
};

}  // namespace

std::vector<MapSpan> FindMapSpans(const std::vector<CameraSample>& camera, const SolidSpace& space) {
  SpanMerger merger;
  for (std::size_t index = 0; index < camera.size(); ++index) {
    const CameraSample& sample = camera[index];
    if (sample.positionCommand < 0) continue;
    const Contents contents = space.ContentsAt(sample.origin);
    if (OutsideMap(contents)) {
      merger.Add(contents == Contents::Sky ? MapTrouble::InSky : MapTrouble::InSolid, sample, sample.time, index);
      continue;
    }
    // A cut to a new place is no way through the wall between; a way the
    // same command makes is.
    if (index > 0) {
      const CameraSample& before = camera[index - 1];
      if (before.positionCommand == sample.positionCommand && !OutsideMap(space.ContentsAt(before.origin)) &&
          !SegmentClear(space, before.origin, sample.origin)) {
        merger.Add(MapTrouble::ThroughSolid, sample, before.time, index);
      }
    }
    if (sample.looksAtPoint && SightBlocked(space, sample))
      merger.Add(MapTrouble::SightBlocked, sample, sample.time, index);
  }
  return merger.Finish();
}

int LineOfCommand(const std::vector<int>& lines, int command) {
  return command >= 0 && static_cast<std::size_t>(command) < lines.size() ? lines[static_cast<std::size_t>(command)]
                                                                          : 0;
}

std::string MapSpanText(const MapSpan& span, int viewLine) {
  char times[64];
  std::snprintf(times, sizeof times, "from %.2f s to %.2f s", static_cast<double>(span.from),
                static_cast<double>(span.to));
  switch (span.kind) {
    case MapTrouble::InSolid:
      return std::string("the camera stands in solid (a wall, or the void outside the map) ") + times;
    case MapTrouble::InSky:
      return std::string("the camera stands in the sky, outside the map, ") + times;
    case MapTrouble::ThroughSolid:
      return std::string("the camera's way passes through solid ") + times;
    case MapTrouble::SightBlocked:
      break;
  }
  const std::string aim = viewLine > 0 ? "what line " + std::to_string(viewLine) + " looks at" : "what it looks at";
  return "a wall hides " + aim + " from the camera " + times;
}

}  // namespace cw
