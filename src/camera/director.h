#pragma once
// The camera director: turns the position, view and roll lists into the
// camera of every block.

#include "base/vec3.h"
#include "camera/command.h"
#include "camera/coord.h"
#include "camera/entity_shots.h"

namespace cw {

class EntityTable;

// A run of keyframes under way in a list (glide or sweep lines).
struct KeyframeRun {
  bool running = false;
  // The keyframe before the list's head, which shapes the curve's velocity
  // at the head; none at the run's first keyframe, which is at rest.
  bool hasBefore = false;
  CCoord before;
  float beforeTime = 0;
  // What a "now" axis of the run's keyframes reads: the camera's place, or
  // the point it looked at, when the run began.
  Vec3 base{0, 0, 0};
};

struct DirectorState {
  Vec3 cameraOrigin{0, 0, 0};
  // Filled from each source block, written with each result block.
  Vec3 cameraAngles{0, 0, 0};
  Vec3 lookAtPoint{0, 0, 0};
  CCoord cameraPlace;
  CCoord moveStart;
  CCoord viewTarget;
  CCoord previousTarget;
  bool viewFixed = true;
  bool turning = false;
  float currentRoll = 0;
  int eyesEntity = 0;
  KeyframeRun glide;
  KeyframeRun sweep;
  FollowState follow;
  OrbitState orbit;
};

// Every field back to its initial value except cameraAngles.
void ResetDirector(DirectorState& director);

// Before a block's messages: origin, look-at point, pitch and yaw.
void CameraStep(DirectorState& director, CommandLists& lists, const EntityTable& entities, float demoTime);

// First in the end-of-block stage: the roll.
void RollStep(DirectorState& director, CommandList& rollList, float demoTime);

void SetEyes(DirectorState& director, int entity);

// For every entity update: the eyes entity's angles become the camera's. An
// angle the update does not carry keeps the camera's current value.
void EyesAngles(DirectorState& director, int entity, const Vec3& angles, const bool present[3]);

}  // namespace cw
