#pragma once
// The smooth curve of a run of keyframes (glide and sweep lines): the point
// is at each keyframe at that keyframe's time, and its velocity is
// continuous through every keyframe. The velocity at an inner keyframe is
// the slope of the parabola through it and its two neighbours, their times
// as the parameter (a Catmull-Rom curve whose knots are the keyframes' own
// times); the first and the last keyframe of a run are at rest, so a run
// starts and stops without a jolt.

#include "base/vec3.h"

namespace cw {

struct Keyframe {
  float time = 0;
  Vec3 at{0, 0, 0};
};

// The velocity the curve has at `at`, per second. Zero at either end of a
// run (no `before` or no `after`), and where a neighbour's time is not on
// its own side of `at`'s: keyframes out of order rest instead of flinging
// the point away.
Vec3 KeyframeVelocity(const Keyframe* before, const Keyframe& at, const Keyframe* after);

// The point at `time` between `from` and `to`, which `before` and `after`
// (the keyframes on either side of them, nullptr at a run's ends) bend the
// curve toward. Before `from`'s time it is at `from`, after `to`'s at `to`;
// at `to` too when `to` is not after `from`.
Vec3 KeyframeCurve(const Keyframe* before, const Keyframe& from, const Keyframe& to, const Keyframe* after, float time);

}  // namespace cw
