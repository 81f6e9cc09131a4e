#include "camera/director.h"

#include <algorithm>

#include "base/entity_table.h"

namespace cw {
namespace {

// The roll a running pan gives the block until the roll step replaces it.
constexpr float kPanRoll = 10.0f;

bool HeadHasCome(const CommandList& list, float demoTime) { return !list.Empty() && list.Head().startTime <= demoTime; }

// A command is over once its end lies before the demo time.
bool IsOver(const CCommand& command, float demoTime) { return command.endTime < demoTime; }

// How far a running move has come. A move whose end is its start stands at
// its start point in the one block that sees it running.
float MoveFraction(const CCommand& move, float demoTime) {
  if (move.endTime == move.startTime) return 0.0f;
  return std::clamp((demoTime - move.startTime) / (move.endTime - move.startTime), 0.0f, 1.0f);
}

// How far a pan, turn or roll has come. One whose end is not after its start
// (an end equal to its start, or an earlier end line) reaches its target at
// once rather than swinging backwards for a block.
float SweepFraction(const CCommand& command, float demoTime) {
  if (!(command.endTime > command.startTime)) return 1.0f;
  return std::clamp((demoTime - command.startTime) / (command.endTime - command.startTime), 0.0f, 1.0f);
}

Vec3 Between(const Vec3& from, const Vec3& to, float fraction) {
  Vec3 point{};
  for (std::size_t i = 0; i < 3; ++i) point[i] = from[i] + fraction * (to[i] - from[i]);
  return point;
}

// A "now" axis gets its value from `base` and is fixed from then on.
void FreezeNowAxes(CCoord& coord, const Vec3& base) {
  for (std::size_t i = 0; i < 3; ++i) {
    if (coord.entity[i] != kAxisNow) continue;
    coord.offset[i] += base[i];
    coord.entity[i] = kAxisFixed;
  }
}

void TakePosition(DirectorState& director, CommandList& positions, const EntityTable& entities, float demoTime) {
  const CCommand& head = positions.Head();
  director.moveStart = head.coord;
  director.cameraPlace = head.coord;
  Evaluate(director.cameraPlace, director.cameraOrigin, entities, demoTime);
  positions.RemoveHead();
}

void RunMove(DirectorState& director, CCommand& move, const EntityTable& entities, float demoTime) {
  // Made in the command itself, so only the move's first block does it: a
  // "now" axis is measured from where the camera is when the move begins.
  FreezeNowAxes(move.coord, director.cameraOrigin);
  // Both ends are evaluated anew every block so that a move between entities
  // follows them. A "now" axis of the start keeps the camera's own value.
  Vec3 start = director.cameraOrigin;
  Vec3 end = director.cameraOrigin;
  Evaluate(director.moveStart, start, entities, demoTime);
  Evaluate(move.coord, end, entities, demoTime);
  director.cameraOrigin = Between(start, end, MoveFraction(move, demoTime));
}

void PositionCommand(DirectorState& director, CommandList& positions, const EntityTable& entities, float demoTime) {
  if (!HeadHasCome(positions, demoTime)) return;
  CCommand& head = positions.Head();
  if (head.word == ScriptWord::Move && !IsOver(head, demoTime)) {
    RunMove(director, head, entities, demoTime);
  } else {
    TakePosition(director, positions, entities, demoTime);
  }
}

void TakeView(DirectorState& director, CommandList& views) {
  CCommand& view = views.Head();
  director.viewFixed = true;
  // A "now" x freezes the whole target at the point looked at, shifted by
  // the offsets. Otherwise a "now" axis on y or z keeps following the
  // look-at point's own value.
  if (view.coord.entity[0] == kAxisNow) {
    for (std::size_t i = 0; i < 3; ++i) {
      view.coord.offset[i] += director.lookAtPoint[i];
      view.coord.entity[i] = kAxisFixed;
    }
  }
  director.viewTarget = view.coord;
  director.previousTarget = view.coord;
  views.RemoveHead();
}

// Pan and turn sweep from the previous target to their own. A pan moves the
// look-at point, and the angles follow it in the next block; a turn sweeps
// the angles themselves, with the yaw as a plain number (no wrap-around).
void RunSweep(DirectorState& director, CommandList& views, const EntityTable& entities, float demoTime) {
  CCommand& sweep = views.Head();
  director.viewFixed = false;
  Vec3 start = director.lookAtPoint;
  Vec3 end = director.lookAtPoint;
  Evaluate(director.previousTarget, start, entities, demoTime);
  Evaluate(sweep.coord, end, entities, demoTime);
  const float fraction = SweepFraction(sweep, demoTime);
  if (sweep.word == ScriptWord::Turn) {
    director.turning = true;
    Vec3 from{};
    Vec3 to{};
    LookAt(start, director.cameraOrigin, from);
    LookAt(end, director.cameraOrigin, to);
    director.cameraAngles[kPitch] = from[kPitch] + fraction * (to[kPitch] - from[kPitch]);
    director.cameraAngles[kYaw] = from[kYaw] + fraction * (to[kYaw] - from[kYaw]);
    // While a turn runs the look-at point holds no point: its x and y keep
    // the angles toward the end target.
    director.lookAtPoint[0] = to[kPitch];
    director.lookAtPoint[1] = to[kYaw];
  } else {
    director.lookAtPoint = Between(start, end, fraction);
    director.cameraAngles[kRoll] = kPanRoll;
  }
  if (IsOver(sweep, demoTime)) {
    director.viewFixed = true;
    director.turning = false;
    director.previousTarget = sweep.coord;
    director.viewTarget = sweep.coord;
    views.RemoveHead();
  }
}

void ViewCommand(DirectorState& director, CommandList& views, const EntityTable& entities, float demoTime) {
  if (!HeadHasCome(views, demoTime)) return;
  if (IsGradual(views.Head().word)) {
    RunSweep(director, views, entities, demoTime);
  } else {
    TakeView(director, views);
  }
}

}  // namespace

void ResetDirector(DirectorState& director) {
  const Vec3 angles = director.cameraAngles;
  director = DirectorState{};
  director.cameraAngles = angles;
}

void CameraStep(DirectorState& director, CommandLists& lists, const EntityTable& entities, float demoTime) {
  // The place is evaluated every block, so a camera standing at an entity
  // follows it.
  Evaluate(director.cameraPlace, director.cameraOrigin, entities, demoTime);
  PositionCommand(director, lists.position, entities, demoTime);
  if (director.viewFixed && director.eyesEntity == 0) {
    Evaluate(director.viewTarget, director.lookAtPoint, entities, demoTime);
  }
  // After the position command, so that a cut or a move of this block is
  // already seen from its new origin.
  if (!director.turning) LookAt(director.lookAtPoint, director.cameraOrigin, director.cameraAngles);
  director.turning = false;
  ViewCommand(director, lists.view, entities, demoTime);
}

void RollStep(DirectorState& director, CommandList& rollList, float demoTime) {
  float& roll = director.cameraAngles[kRoll];
  roll = director.currentRoll;
  if (!HeadHasCome(rollList, demoTime)) return;
  const CCommand& head = rollList.Head();
  if (!IsGradual(head.word)) {
    roll = director.currentRoll = head.param4;
    rollList.RemoveHead();
    return;
  }
  roll = director.currentRoll + SweepFraction(head, demoTime) * (head.param4 - director.currentRoll);
  if (IsOver(head, demoTime)) {
    roll = director.currentRoll = head.param4;
    rollList.RemoveHead();
  }
}

void SetEyes(DirectorState& director, int entity) { director.eyesEntity = entity; }

void EyesAngles(DirectorState& director, int entity, const Vec3& angles, const bool present[3]) {
  // 0 means no eyes: an update of entity 0 must not take the camera over.
  if (director.eyesEntity == 0 || entity != director.eyesEntity) return;
  for (std::size_t i = 0; i < 3; ++i) {
    if (present[i]) director.cameraAngles[i] = angles[i];
  }
}

}  // namespace cw
