#pragma once
// Shots that keep to an entity: a follow, which chases it at a distance
// behind its way, and an orbit, which circles it. Each block gives the
// entity's place now and, for a follow, where it was a moment ago; the
// camera's place comes back.

#include "base/vec3.h"

namespace cw {

class TrackList;

// A follow's time constant when its line gives none, in seconds.
inline constexpr float kDefaultFollowSeconds = 0.5f;
// A follow reads the entity's way over this many seconds: its trajectory
// must reach back that far.
inline constexpr float kFollowTravelWindow = 0.5f;

// A value that follows its target as a critically damped spring: it comes
// without overshooting, and neither it nor its speed jumps.
struct Damped {
  float value = 0;
  float speed = 0;  // per second
};

// `state` after `seconds` of heading for `target` with time constant `lag`.
void Settle(Damped& state, float target, float lag, float seconds);

struct FollowState {
  bool placed = false;  // the camera stands beside the entity; false until it has been somewhere
  int entity = 0;
  float lastTime = 0;
  // Where the camera stands seen from the entity: the direction in degrees
  // (0 east, 90 north), the distance along the ground, the height.
  Damped yaw;
  Damped reach;
  Damped rise;
  // The direction of the entity's way, degrees; held while it stands.
  float travelYaw = 0;
  bool travelKnown = false;
};

struct FollowShot {
  int entity = 0;
  float distance = 0;
  float height = 0;
  float seconds = kDefaultFollowSeconds;
};

// The camera's place this block, or false while the entity has been
// nowhere yet (the camera then stays where it is). `camera` is where the
// camera stands now, which a follow starting afresh leaves at once for its
// place behind the entity. A follow of the same entity as the state's
// carries on from where that one stands.
bool FollowStep(FollowState& state, const FollowShot& shot, const TrackList& track, float demoTime, Vec3& camera);

struct OrbitState {
  bool started = false;
  float startTime = 0;
  float startAngle = 0;  // degrees
  float startReach = 0;
  float startRise = 0;
};

struct OrbitShot {
  int entity = 0;
  float radius = 0;
  float height = 0;
  float seconds = 0;  // of one turn; negative: clockwise seen from above
};

// As FollowStep: the camera circles from where it stands, speeding up over
// its first second, and reaches the orbit's radius and height in that second.
bool OrbitStep(OrbitState& state, const OrbitShot& shot, const TrackList& track, float demoTime, Vec3& camera);

}  // namespace cw
