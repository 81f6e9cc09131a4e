#pragma once
// A straight line through the map's solid space: where it first meets what
// stops it, found as the game finds it for a point-sized thing, the crossing
// put a thirty-second of a unit before the surface so that the point
// reached is itself clear.

#include "base/vec3.h"
#include "map/solid_space.h"

namespace cw {

// What stops a line: solid alone (as the game's own traces), or the sky too.
enum class TraceStops { AtSolid, AtSolidOrSky };

struct SegmentTrace {
  float fraction = 1;              // how much of the segment is clear, 0 to 1
  Vec3 end{0, 0, 0};               // where the clear part ends: the segment's end when all of it is
  Contents met = Contents::Empty;  // what stopped it (solid or sky); empty when nothing did
  bool startsInside = false;       // the start itself lies in what stops: the fraction is 0
  Vec3 normal{0, 0, 0};            // the surface's normal, facing the start, when it met one
  bool Clear() const { return met == Contents::Empty; }
};

SegmentTrace TraceSegment(const SolidSpace& space, const Vec3& from, const Vec3& to,
                          TraceStops stops = TraceStops::AtSolid);

// Whether nothing that stops lies on the straight segment from `from` to `to`.
bool SegmentClear(const SolidSpace& space, const Vec3& from, const Vec3& to, TraceStops stops = TraceStops::AtSolid);

}  // namespace cw
