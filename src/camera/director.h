#pragma once
// The camera director: turns the position, view and roll lists into the
// camera of every block.

#include "base/vec3.h"
#include "camera/command.h"
#include "camera/coord.h"

namespace cw {

class EntityTable;

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
