#include "camera/director.h"

#include <algorithm>
#include <cmath>

#include "base/entity_table.h"
#include "camera/keyframe_curve.h"

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

// A curve or a shot through numbers near the largest float has no number
// for its point: the camera then holds where it is rather than going nowhere.
bool Finite(const Vec3& point) { return std::isfinite(point[0]) && std::isfinite(point[1]) && std::isfinite(point[2]); }

// Keyframe `index` of the run at the head of `list`, or nullptr past the
// run's end.
const CCommand* RunKeyframe(const CommandList& list, int index) {
  if (index >= list.Count() || list.At(index).word != list.Head().word) return nullptr;
  return &list.At(index);
}

Keyframe KeyframeNow(const CCommand& command, const Vec3& base, const EntityTable& entities, float demoTime) {
  Keyframe keyframe{command.startTime, base};
  Evaluate(command.coord, keyframe.at, entities, demoTime);
  return keyframe;
}

// The head of `list` is a keyframe whose time has come. Moves the run on
// past the keyframes whose next one's time has come too, and puts the
// curve's point now into `point`. False at the run's last keyframe: `point`
// is that keyframe's, where the run stays.
bool KeyframeStep(KeyframeRun& run, CommandList& list, const Vec3& current, const EntityTable& entities, float demoTime,
                  Vec3& point) {
  if (!run.running) {
    run = KeyframeRun{};
    run.running = true;
    run.base = current;
  }
  for (const CCommand* next = RunKeyframe(list, 1); next != nullptr && next->startTime <= demoTime;
       next = RunKeyframe(list, 1)) {
    run.before = list.Head().coord;
    run.beforeTime = list.Head().startTime;
    run.hasBefore = true;
    list.RemoveHead();
  }
  // Every keyframe is evaluated anew each block, so that one at an entity
  // follows it.
  const Keyframe from = KeyframeNow(list.Head(), run.base, entities, demoTime);
  const CCommand* next = RunKeyframe(list, 1);
  if (next == nullptr) {
    point = from.at;
    run.running = false;
    return false;
  }
  const Keyframe to = KeyframeNow(*next, run.base, entities, demoTime);
  Keyframe before{run.beforeTime, run.base};
  if (run.hasBefore) Evaluate(run.before, before.at, entities, demoTime);
  const CCommand* afterCommand = RunKeyframe(list, 2);
  const Keyframe after = afterCommand ? KeyframeNow(*afterCommand, run.base, entities, demoTime) : Keyframe{};
  point = KeyframeCurve(run.hasBefore ? &before : nullptr, from, to, afterCommand ? &after : nullptr, demoTime);
  return true;
}

void RunGlide(DirectorState& director, CommandList& positions, const EntityTable& entities, float demoTime) {
  Vec3 point{};
  if (KeyframeStep(director.glide, positions, director.cameraOrigin, entities, demoTime, point)) {
    if (Finite(point)) director.cameraOrigin = point;
    return;
  }
  // After its last keyframe the camera stands there, as at a stay's point.
  FreezeNowAxes(positions.Head().coord, director.glide.base);
  TakePosition(director, positions, entities, demoTime);
}

bool IsEntityShot(ScriptWord word) { return word == ScriptWord::Follow || word == ScriptWord::Orbit; }

// A follow or orbit runs until the next position command's time. It ends
// with the camera where it is; the next command is taken in the next block,
// as every command of a list is.
bool EndShot(DirectorState& director, CommandList& positions, float demoTime) {
  if (positions.Count() < 2 || positions.At(1).startTime > demoTime) return false;
  const CCommand& next = positions.At(1);
  // A follow of the same entity carries on from where this one stands.
  if (next.word != ScriptWord::Follow || next.coord.entity[0] != positions.Head().coord.entity[0]) {
    director.follow.placed = false;
  }
  director.orbit.started = false;
  CCoord here;
  here.offset = director.cameraOrigin;
  director.cameraPlace = here;
  director.moveStart = here;
  positions.RemoveHead();
  return true;
}

void RunEntityShot(DirectorState& director, CommandList& positions, const EntityTable& entities, float demoTime) {
  if (EndShot(director, positions, demoTime)) return;
  const CCommand& head = positions.Head();
  const TrackList* track = entities.Track(head.coord.entity[0]);
  // Until the entity has been somewhere the camera stays where it is.
  if (track == nullptr) return;
  Vec3 place = director.cameraOrigin;
  if (head.word == ScriptWord::Follow) {
    const FollowShot shot{head.coord.entity[0], head.param1, head.param2, head.param3};
    FollowStep(director.follow, shot, *track, demoTime, place);
  } else {
    const OrbitShot shot{head.coord.entity[0], head.param1, head.param2, head.param3};
    OrbitStep(director.orbit, shot, *track, demoTime, place);
  }
  if (Finite(place)) director.cameraOrigin = place;
}

void PositionCommand(DirectorState& director, CommandList& positions, const EntityTable& entities, float demoTime) {
  if (!HeadHasCome(positions, demoTime)) return;
  CCommand& head = positions.Head();
  if (IsKeyframe(head.word)) {
    RunGlide(director, positions, entities, demoTime);
  } else if (IsEntityShot(head.word)) {
    RunEntityShot(director, positions, entities, demoTime);
  } else if (head.word == ScriptWord::Move && !IsOver(head, demoTime)) {
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

// The camera looks at the point on the run's curve, so it turns the short
// way round wherever the point goes.
void RunKeyframeView(DirectorState& director, CommandList& views, const EntityTable& entities, float demoTime) {
  director.viewFixed = false;
  Vec3 point{};
  const bool running = KeyframeStep(director.sweep, views, director.lookAtPoint, entities, demoTime, point);
  if (Finite(point)) director.lookAtPoint = point;
  if (!running) {
    // After its last keyframe the camera keeps looking there, as at a
    // view's point.
    CCommand& last = views.Head();
    FreezeNowAxes(last.coord, director.sweep.base);
    director.viewTarget = last.coord;
    director.previousTarget = last.coord;
    director.viewFixed = true;
    views.RemoveHead();
  }
  LookAt(director.lookAtPoint, director.cameraOrigin, director.cameraAngles);
}

void ViewCommand(DirectorState& director, CommandList& views, const EntityTable& entities, float demoTime) {
  if (!HeadHasCome(views, demoTime)) return;
  if (IsKeyframe(views.Head().word)) {
    RunKeyframeView(director, views, entities, demoTime);
  } else if (IsGradual(views.Head().word)) {
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
