#include "inspect/preview.h"

#include <algorithm>
#include <cmath>

#include "autogen/disposition.h"
#include "base/protocol.h"
#include "camera/command.h"
#include "refilm/refilm_context.h"

namespace cw {
namespace {

// A script's numbers reach the largest float, and a move between two such
// places has no number for its middle: what cannot be drawn is left out.
bool Finite(const Vec3& point) { return std::isfinite(point[0]) && std::isfinite(point[1]) && std::isfinite(point[2]); }

// The command of `list` at work in the block placed at `placedAt`: a gradual
// head that has begun is still running; otherwise the last one taken.
int CommandAtWork(const CommandList& list, int total, float placedAt) {
  const int taken = total - list.Count();
  const bool running = !list.Empty() && IsGradual(list.Head().word) && list.Head().startTime <= placedAt;
  return running ? taken : taken - 1;
}

// A subtitle goes into the stream as console text that echoes it: the
// message is what stands between its first and last quote.
std::string SubtitleMessage(const std::string& text) {
  const std::size_t open = text.find('"');
  const std::size_t close = text.rfind('"');
  return open < close ? text.substr(open + 1, close - open - 1) : text;
}

}  // namespace

std::vector<ZoneBox> ZoneBoxes(const ZoneTables& tables) {
  std::vector<ZoneBox> boxes;
  for (int zone = 1; zone < kZoneCount; ++zone) {
    const CameraZone& defined = tables.zones[static_cast<std::size_t>(zone)];
    if (!defined.defined) continue;
    ZoneBox box;
    box.zone = zone;
    for (std::size_t axis = 0; axis < 3; ++axis) {
      box.low[axis] = static_cast<float>(std::min(defined.low[axis], defined.high[axis]));
      box.high[axis] = static_cast<float>(std::max(defined.low[axis], defined.high[axis]));
      box.spot[axis] = static_cast<float>(defined.spot[axis]);
    }
    boxes.push_back(box);
  }
  return boxes;
}

void PreviewCollector::ScriptRead(const RefilmContext& context) {
  step = &context;
  auto add = [this](const CommandList& list, bool view) {
    for (const CCommand& command : list) {
      // A gradual command (a move, pan or turn) is marked where it ends up,
      // when it ends; the others where they begin.
      const bool sweeps = IsGradual(command.word);
      const float at = sweeps && command.endTime > command.startTime ? command.endTime : command.startTime;
      pending.push_back({at, {command.startTime, std::string(NameOf(command.word)), {0, 0, 0}, view}, command.coord});
    }
  };
  TakeEvents(context.commands);
  add(context.commands.position, false);
  add(context.commands.view, true);
  positionTotal = context.commands.position.Count();
  viewTotal = context.commands.view.Count();
  std::stable_sort(pending.begin(), pending.end(),
                   [](const PendingMark& a, const PendingMark& b) { return a.at < b.at; });
}

void PreviewCollector::TakeEvents(const CommandLists& lists) {
  for (const CCommand& command : lists.palette) {
    if (command.word != ScriptWord::Fade) continue;
    picture.events.push_back({command.startTime, std::max(command.startTime, command.endTime), StripKind::Fade, {}});
  }
  for (const CCommand& command : lists.event) {
    StripEvent event{command.startTime, command.startTime, StripKind::OtherText, command.text};
    switch (command.word) {
      case ScriptWord::Text:
        if (command.messageType == svc_print) event.kind = StripKind::Print;
        if (command.messageType == svc_centerprint) event.kind = StripKind::Centerprint;
        break;
      case ScriptWord::Subtitle:
        event.kind = StripKind::Subtitle;
        event.what = SubtitleMessage(command.text);
        break;
      case ScriptWord::Sound:
        event.kind = StripKind::Sound;
        break;
      case ScriptWord::Eyes:
        event.kind = StripKind::Eyes;
        event.what = "eyes of entity " + std::to_string(std::lround(command.param4 / 100));
        break;
      default:
        continue;
    }
    picture.events.push_back(std::move(event));
  }
}

DemoTimes TimesOf(const PreviewPicture& picture) {
  DemoTimes times;
  auto note = [&times](float time) {
    times.first = times.any ? std::min(times.first, time) : time;
    times.last = times.any ? std::max(times.last, time) : time;
    times.any = true;
  };
  for (const TimedPoint& point : picture.player) note(point.time);
  for (const CameraSample& sample : picture.camera) note(sample.time);
  return times;
}

void PreviewCollector::BlockDone(const RefilmContext& context) {
  // The camera of this block was placed at the time the block before it set.
  const float placedAt = blockStart;
  blockStart = time;
  if (!Drawn() || !context.run.refilming) return;
  const DirectorState& director = context.director;
  // Before its first command the camera stands at the map's origin, and so
  // it does on a followed axis until that entity has been somewhere: no part
  // of the action.
  const bool atOrigin = director.cameraOrigin == Vec3{0, 0, 0};
  if (!(picture.camera.empty() && atOrigin) && Placed(director.cameraPlace, context.entities, placedAt) &&
      Finite(director.cameraOrigin) && Finite(director.cameraAngles)) {
    picture.camera.push_back(SampleOf(context, placedAt));
  }
  if (director.sweep.running && Finite(director.lookAtPoint)) picture.sweeps.push_back({time, director.lookAtPoint});
  TakeMarks(context);
}

CameraSample PreviewCollector::SampleOf(const RefilmContext& context, float placedAt) const {
  const DirectorState& director = context.director;
  const int eyes = director.eyesEntity;
  CameraSample sample{time, director.cameraOrigin, director.cameraAngles,
                      eyes == 0 || eyes == context.edits.cameraEntity};
  sample.positionCommand = CommandAtWork(context.commands.position, positionTotal, placedAt);
  sample.viewCommand = CommandAtWork(context.commands.view, viewTotal, placedAt);
  // A turn keeps angles where the point looked at would be.
  const bool turning = !context.commands.view.Empty() && context.commands.view.Head().word == ScriptWord::Turn &&
                       context.commands.view.Head().startTime <= placedAt;
  sample.looksAtPoint = sample.ownView && sample.viewCommand >= 0 && !turning && Finite(director.lookAtPoint);
  sample.lookAt = director.lookAtPoint;
  return sample;
}

void PreviewCollector::TakeMarks(const RefilmContext& context) {
  for (std::size_t index = nextMark; index < pending.size() && pending[index].at <= time; ++index) {
    PendingMark& mark = pending[index];
    if (mark.taken || !Placed(mark.coord, context.entities, time)) continue;
    // Taken at the time of the block that reaches it, as the camera takes
    // its commands; a "now" axis keeps what the camera, or its view, has now.
    mark.mark.at = mark.mark.view ? context.director.lookAtPoint : context.director.cameraOrigin;
    Evaluate(mark.coord, mark.mark.at, context.entities, time);
    if (Finite(mark.mark.at)) picture.marks.push_back(mark.mark);
    mark.taken = true;
  }
  while (nextMark < pending.size() && pending[nextMark].taken) ++nextMark;
}

// Whether each entity the point follows has been somewhere by now: before
// that, the point would stand at the map's origin, which says nothing.
bool PreviewCollector::Placed(const CCoord& coord, const EntityTable& entities, float at) {
  for (std::size_t axis = 0; axis < 3; ++axis) {
    const TrackList* track = entities.Track(coord.entity[axis]);
    if (coord.entity[axis] > 0 && (track == nullptr || track->At(at - coord.lag[axis]) == nullptr)) return false;
  }
  return true;
}

void PreviewCollector::ServerInfo(const ServerInfoFields& info) {
  ++level;
  places.NewLevel();
  if (level != 1) return;
  info.models.ForEach([this](std::string_view name) {
    if (picture.map.empty()) picture.map = std::string(name);
  });
  picture.levelName = std::string(info.levelName);
}

void PreviewCollector::Time(float seconds) {
  if (level > 1 || !std::isfinite(seconds)) return;
  time = seconds;
  timeSeen = true;
}

void PreviewCollector::EntityUpdate(const EntityUpdateFields& update) {
  if (!Drawn()) return;
  const Vec3 at = places.Place(update);
  if (update.entity == viewEntity) {
    picture.player.push_back({time, at});
  } else if (step != nullptr && step->entities.IsReferenced(update.entity)) {
    Follow(update.entity, at);
  }
}

void PreviewCollector::Follow(int entity, const Vec3& at) {
  for (auto& [number, path] : picture.followed) {
    if (number != entity) continue;
    path.push_back({time, at});
    return;
  }
  picture.followed.push_back({entity, {{time, at}}});
}

}  // namespace cw
