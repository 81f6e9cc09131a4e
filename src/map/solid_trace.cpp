#include "map/solid_trace.h"

namespace cw {
namespace {

// How far before a surface the crossing is put, as the game puts it.
constexpr double kSurfaceGap = 1.0 / 32;
// Steps of a tenth of the piece at most, back from a crossing that the
// rounding left inside what stops.
constexpr int kBackSteps = 10;

SpacePoint Between(const SpacePoint& a, const SpacePoint& b, double fraction) {
  return {a[0] + (b[0] - a[0]) * fraction, a[1] + (b[1] - a[1]) * fraction, a[2] + (b[2] - a[2]) * fraction};
}

Vec3 ToVec3(const SpacePoint& point) {
  return {static_cast<float>(point[0]), static_cast<float>(point[1]), static_cast<float>(point[2])};
}

class Tracer {
 public:
  Tracer(const SolidSpace& solid, TraceStops stopsAt, SegmentTrace& result)
      : space(solid), stops(stopsAt), trace(result) {}

  bool Stops(Contents contents) const {
    return contents == Contents::Solid || (stops == TraceStops::AtSolidOrSky && contents == Contents::Sky);
  }

  // The piece from p1 to p2 (at fractions f1 and f2 of the whole segment)
  // through the subtree `child`; false once something stopped it. Each call
  // goes one node down the checked tree, so the recursion is no deeper than
  // the tree.
  bool Check(std::int32_t child, double f1, double f2, const SpacePoint& p1, const SpacePoint& p2, int depth) {
    // A leaf the piece lies in is clear: what stops is met where a plane is crossed.
    if (child < 0 || depth > space.Depth()) return true;
    const SolidNode& node = space.Node(child);
    const SolidPlane& plane = space.PlaneOf(node);
    const double t1 = plane.Distance(p1);
    const double t2 = plane.Distance(p2);
    if (t1 >= 0 && t2 >= 0) return Check(node.children[0], f1, f2, p1, p2, depth + 1);
    if (t1 < 0 && t2 < 0) return Check(node.children[1], f1, f2, p1, p2, depth + 1);

    // The crossing, put just on the near side.
    double fraction = t1 < 0 ? (t1 + kSurfaceGap) / (t1 - t2) : (t1 - kSurfaceGap) / (t1 - t2);
    if (!(fraction >= 0)) fraction = 0;
    if (fraction > 1) fraction = 1;
    double middleF = f1 + (f2 - f1) * fraction;
    SpacePoint middle = Between(p1, p2, fraction);
    const int near = t1 < 0 ? 1 : 0;
    if (!Check(node.children[near], f1, middleF, p1, middle, depth + 1)) return false;
    const Contents beyond = space.PlaceFrom(node.children[1 - near], middle).contents;
    if (!Stops(beyond)) return Check(node.children[1 - near], middleF, f2, middle, p2, depth + 1);

    // The far side stops the line here.
    trace.met = beyond;
    const float sign = near == 0 ? 1.0f : -1.0f;
    trace.normal = {plane.normal[0] * sign, plane.normal[1] * sign, plane.normal[2] * sign};
    for (int step = 0; Stops(space.PlaceFrom(space.Root(), middle).contents); ++step) {
      fraction -= 0.1;
      if (step == kBackSteps || fraction < 0) {
        middleF = f1;
        middle = p1;
        break;
      }
      middleF = f1 + (f2 - f1) * fraction;
      middle = Between(p1, p2, fraction);
    }
    trace.fraction = static_cast<float>(middleF);
    trace.end = ToVec3(middle);
    return false;
  }

 private:
  const SolidSpace& space;
  TraceStops stops;
  SegmentTrace& trace;
};

}  // namespace

SegmentTrace TraceSegment(const SolidSpace& space, const Vec3& from, const Vec3& to, TraceStops stops) {
  SegmentTrace trace;
  trace.end = to;
  if (!space.Loaded()) return trace;
  Tracer tracer(space, stops, trace);
  const Contents start = space.ContentsAt(from);
  if (tracer.Stops(start)) {
    trace.fraction = 0;
    trace.end = from;
    trace.met = start;
    trace.startsInside = true;
    return trace;
  }
  tracer.Check(space.Root(), 0, 1, ToSpacePoint(from), ToSpacePoint(to), 1);
  return trace;
}

bool SegmentClear(const SolidSpace& space, const Vec3& from, const Vec3& to, TraceStops stops) {
  return TraceSegment(space, from, to, stops).Clear();
}

}  // namespace cw
