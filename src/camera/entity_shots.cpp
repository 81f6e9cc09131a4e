#include "camera/entity_shots.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "base/entity_table.h"

namespace cw {
namespace {

constexpr double kDegrees = 180.0 / std::numbers::pi;
// Less way than this over the travel window is standing: the direction
// before it holds, so that a stop turns nothing.
constexpr float kStandingUnits = 16;
// More is a teleporter's jump, which says nothing of a direction.
constexpr float kJumpUnits = 800;
// However fast the entity turns, the camera swings round no faster than
// this, degrees a second, so that what it sees never whips past.
constexpr float kFastestSwing = 240;
// A follow never stands within 30 degrees of straight above or below the
// entity: along the ground it keeps at least tan(30) of its height away.
constexpr float kSteepest = 0.57735027f;

Vec3 Place(const TrackPoint& point) { return {point.x, point.y, point.z}; }

// An angle difference in (-180, 180].
float ShortWay(float degrees) {
  float way = std::fmod(degrees, 360.0f);
  if (way > 180) way -= 360;
  if (way <= -180) way += 360;
  return way;
}

Vec3 AroundEntity(const Vec3& entity, double yawDegrees, float ground, float rise) {
  const double yaw = yawDegrees / kDegrees;
  return {entity[0] + static_cast<float>(std::cos(yaw) * ground),
          entity[1] + static_cast<float>(std::sin(yaw) * ground), entity[2] + rise};
}

// The direction the entity went over the travel window, when it went.
void ReadTravel(FollowState& state, const TrackList& track, const TrackPoint& now, float demoTime) {
  const TrackPoint* then = track.At(demoTime - kFollowTravelWindow);
  if (then == nullptr) return;
  const float dx = now.x - then->x;
  const float dy = now.y - then->y;
  const float way = std::hypot(dx, dy);
  if (!(way >= kStandingUnits && way <= kJumpUnits)) return;
  state.travelYaw = static_cast<float>(std::atan2(dy, dx) * kDegrees);
  state.travelKnown = true;
}

// A follow starting afresh stands behind the entity's way at once; with no
// way known yet, on the side of it where the camera is.
void StartFollow(FollowState& state, const FollowShot& shot, const Vec3& entity, const Vec3& camera) {
  float yaw = 180;
  if (state.travelKnown) {
    yaw = state.travelYaw + 180;
  } else if (std::hypot(camera[0] - entity[0], camera[1] - entity[1]) >= 1) {
    yaw = static_cast<float>(std::atan2(camera[1] - entity[1], camera[0] - entity[0]) * kDegrees);
  }
  state.yaw = {ShortWay(yaw), 0};
  state.reach = {shot.distance, 0};
  state.rise = {shot.height, 0};
  state.placed = true;
}

// Where an eased start has come after `seconds`, counted in seconds at full
// speed: the speed rises smoothly from nothing to full over the first second.
double EasedSeconds(double seconds) {
  if (seconds >= 1) return seconds - 0.5;
  return seconds * seconds * seconds - seconds * seconds * seconds * seconds / 2;
}

double SmoothStep(double fraction) {
  const double s = std::clamp(fraction, 0.0, 1.0);
  return s * s * (3 - 2 * s);
}

}  // namespace

void Settle(Damped& state, float target, float lag, float seconds) {
  if (!(seconds > 0)) return;
  if (!(lag > 0)) {
    state = {target, 0};
    return;
  }
  // The exact motion of the spring over the step, so that a long block
  // neither overshoots nor rings.
  const double rate = 1.0 / lag;
  const double away = static_cast<double>(state.value) - target;
  const double pull = state.speed + rate * away;
  const double decay = std::exp(-rate * seconds);
  state.value = static_cast<float>(target + (away + pull * seconds) * decay);
  state.speed = static_cast<float>((state.speed - rate * pull * seconds) * decay);
}

bool FollowStep(FollowState& state, const FollowShot& shot, const TrackList& track, float demoTime, Vec3& camera) {
  const TrackPoint* now = track.At(demoTime);
  if (now == nullptr) return false;
  const Vec3 entity = Place(*now);
  // A state that lost its numbers (a shot near the largest float) starts afresh.
  const bool lost = !std::isfinite(state.yaw.value + state.yaw.speed + state.reach.value + state.reach.speed +
                                   state.rise.value + state.rise.speed);
  if (!state.placed || state.entity != shot.entity || lost) {
    state = FollowState{};
    state.entity = shot.entity;
    ReadTravel(state, track, *now, demoTime);
    StartFollow(state, shot, entity, camera);
  } else {
    ReadTravel(state, track, *now, demoTime);
    const float seconds = demoTime - state.lastTime;
    const float from = state.yaw.value;
    const float behind = state.travelKnown ? state.travelYaw + 180 : from;
    Settle(state.yaw, from + ShortWay(behind - from), shot.seconds, seconds);
    if (seconds > 0) {
      const float most = kFastestSwing * seconds;
      state.yaw.value = from + std::clamp(state.yaw.value - from, -most, most);
      state.yaw.speed = std::clamp(state.yaw.speed, -kFastestSwing, kFastestSwing);
    }
    state.yaw.value = ShortWay(state.yaw.value);
    Settle(state.reach, shot.distance, shot.seconds, seconds);
    Settle(state.rise, shot.height, shot.seconds, seconds);
  }
  state.lastTime = demoTime;
  const float ground = std::max({state.reach.value, shot.distance / 2, std::fabs(state.rise.value) * kSteepest});
  camera = AroundEntity(entity, state.yaw.value, ground, state.rise.value);
  return true;
}

bool OrbitStep(OrbitState& state, const OrbitShot& shot, const TrackList& track, float demoTime, Vec3& camera) {
  const TrackPoint* now = track.At(demoTime);
  if (now == nullptr) return false;
  const Vec3 entity = Place(*now);
  if (!state.started) {
    const float dx = camera[0] - entity[0];
    const float dy = camera[1] - entity[1];
    state.startReach = std::hypot(dx, dy);
    state.startAngle = state.startReach >= 1 ? static_cast<float>(std::atan2(dy, dx) * kDegrees) : 0;
    state.startRise = camera[2] - entity[2];
    // From a place too far for a number, the orbit starts on its circle.
    if (!std::isfinite(state.startReach) || !std::isfinite(state.startRise)) {
      state.startReach = shot.radius;
      state.startRise = shot.height;
      state.startAngle = 0;
    }
    state.startTime = demoTime;
    state.started = true;
  }
  const double since = std::max(0.0, static_cast<double>(demoTime) - state.startTime);
  const double turns = EasedSeconds(since) / shot.seconds;
  const double angle = state.startAngle + 360.0 * (turns - std::floor(turns));
  const double blend = SmoothStep(since);
  const auto reach = static_cast<float>(state.startReach + (shot.radius - state.startReach) * blend);
  const auto rise = static_cast<float>(state.startRise + (shot.height - state.startRise) * blend);
  camera = AroundEntity(entity, angle, reach, rise);
  return true;
}

}  // namespace cw
