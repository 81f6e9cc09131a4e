#include "camera/keyframe_curve.h"

#include <algorithm>

namespace cw {

Vec3 KeyframeVelocity(const Keyframe* before, const Keyframe& at, const Keyframe* after) {
  Vec3 velocity{0, 0, 0};
  if (before == nullptr || after == nullptr) return velocity;
  const float into = at.time - before->time;
  const float out = after->time - at.time;
  if (!(into > 0 && out > 0)) return velocity;
  // The slopes of the two stretches, each weighted by the other's length:
  // the shorter stretch, whose slope tells more about this instant, counts more.
  for (std::size_t i = 0; i < 3; ++i) {
    const float slopeIn = (at.at[i] - before->at[i]) / into;
    const float slopeOut = (after->at[i] - at.at[i]) / out;
    velocity[i] = (out * slopeIn + into * slopeOut) / (into + out);
  }
  return velocity;
}

Vec3 KeyframeCurve(const Keyframe* before, const Keyframe& from, const Keyframe& to, const Keyframe* after,
                   float time) {
  const float span = to.time - from.time;
  if (!(span > 0)) return to.at;
  const float s = std::clamp((time - from.time) / span, 0.0f, 1.0f);
  // Cubic Hermite weights of the two points and the two velocities.
  const float s2 = s * s;
  const float s3 = s2 * s;
  const float fromWeight = 2 * s3 - 3 * s2 + 1;
  const float toWeight = 3 * s2 - 2 * s3;
  const float fromSlope = (s3 - 2 * s2 + s) * span;
  const float toSlope = (s3 - s2) * span;
  const Vec3 fromVelocity = KeyframeVelocity(before, from, &to);
  const Vec3 toVelocity = KeyframeVelocity(&from, to, after);
  Vec3 point{};
  for (std::size_t i = 0; i < 3; ++i) {
    point[i] = fromWeight * from.at[i] + toWeight * to.at[i] + fromSlope * fromVelocity[i] + toSlope * toVelocity[i];
  }
  return point;
}

}  // namespace cw
