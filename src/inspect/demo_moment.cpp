#include "inspect/demo_moment.h"

#include <cmath>
#include <cstdio>
#include <limits>
#include <vector>

namespace cw {
namespace {

constexpr int kVelocityScale = 16;  // a velocity byte is sixteenths of the speed
constexpr int kDefaultViewHeight = 22;

// What one entity's updates in the level asked for give around the time.
struct EntityTrack {
  int model = -1;  // the first one named, by its baseline or an update
  int updates = 0;
  float firstTime = 0;
  float lastTime = 0;
  std::optional<EntitySample> earlier, before, after;
};

struct BaselinePose {
  bool seen = false;
  Vec3 origin{0, 0, 0};
  Vec3 angles{0, 0, 0};
};

std::string Seconds(double value) {
  if (!std::isfinite(value)) return "?";
  char text[64];
  std::snprintf(text, sizeof text, "%.2f", value);
  return text;
}

class MomentHandler : public PassHandler {
 public:
  explicit MomentHandler(const MomentQuestion& asked) : question(asked) {}

  void StartBlock(const CBlock& block, const Vec3& angles) {
    PassHandler::StartBlock(block, angles);
    blockAngles = angles;
    blockTimed = false;
  }

  void EndBlock() {
    if (!blockTimed) return;
    const ViewSample sample{levels.Current().lastTime, blockAngles};
    Bracket(sample, viewBefore, viewAfter);
  }

  void ServerInfo(int start, const ServerInfoFields& fields) {
    PassHandler::ServerInfo(start, fields);
    if (Asked()) viewAtMoment = kPlayerEntity;
  }

  void Time(int start, float seconds) {
    const int frames = levels.Current().frames;
    PassHandler::Time(start, seconds);
    if (Asked() && levels.Current().frames != frames) blockTimed = true;
  }

  void SetView(int start, int entity) {
    PassHandler::SetView(start, entity);
    if (Asked() && !PastTheMoment()) viewAtMoment = entity;
  }

  void SpawnBaseline(int start, const BaselineFields& baseline) {
    PassHandler::SpawnBaseline(start, baseline);
    if (!Asked() || baseline.entity < 0) return;
    Grown(baselines, baseline.entity) = {true, baseline.origin, baseline.angles};
    EntityTrack& track = Grown(tracks, baseline.entity);
    if (track.model < 0) track.model = baseline.model;
  }

  void EntityUpdate(int start, const EntityUpdateFields& update) {
    PassHandler::EntityUpdate(start, update);
    if (!Asked() || update.entity < 0) return;
    EntityTrack& track = Grown(tracks, update.entity);
    if (track.model < 0) track.model = update.model;
    const PassLevel& level = levels.Current();
    if (!level.timeSeen) return;
    EntitySample sample{level.lastTime, level.frames, update.origin, update.angles};
    const auto index = static_cast<std::size_t>(update.entity);
    if (index < baselines.size() && baselines[index].seen) {
      for (std::size_t axis = 0; axis < 3; ++axis) {
        if (!update.originPresent[axis]) sample.origin[axis] = baselines[index].origin[axis];
        if (!update.anglePresent[axis]) sample.angles[axis] = baselines[index].angles[axis];
      }
    }
    if (track.updates++ == 0) track.firstTime = sample.time;
    track.lastTime = sample.time;
    if (sample.time <= question.time) track.earlier = track.before;
    Bracket(sample, track.before, track.after);
  }

  void ClientData(int start, const ClientDataFields& data) {
    const PassLevel& level = levels.Current();
    if (!Asked() || PastTheMoment()) return;
    PlayerState next;
    next.seen = true;
    next.time = level.timeSeen ? level.lastTime : -std::numeric_limits<float>::infinity();
    next.items = data.itemsPresent ? data.items : state.items;
    next.armor = data.armor;
    next.weapon = data.weapon;
    next.health = data.health;
    next.ammo = data.ammo;
    next.ammoCounts = data.ammoCounts;
    next.activeWeapon = data.activeWeapon;
    const auto signedByte = [&](ClientDataByteField field, int absent) {
      const int offset = data.byteOffset[field];
      if (offset < 0) return absent;
      return static_cast<int>(static_cast<std::int8_t>(Bytes()[start + offset]));
    };
    next.velocity = {static_cast<float>(signedByte(kVelocityX, 0) * kVelocityScale),
                     static_cast<float>(signedByte(kVelocityY, 0) * kVelocityScale),
                     static_cast<float>(signedByte(kVelocityZ, 0) * kVelocityScale)};
    next.viewHeight = signedByte(kViewHeight, kDefaultViewHeight);
    state = next;
  }

  const MomentQuestion& question;
  std::vector<EntityTrack> tracks;
  std::optional<ViewSample> viewBefore, viewAfter;
  PlayerState state;
  int viewAtMoment = kPlayerEntity;

 private:
  bool Asked() const { return levels.Number() == question.level; }
  // Whether the level's clock has passed the time asked for.
  bool PastTheMoment() const {
    const PassLevel& level = levels.Levels().back();
    return level.timeSeen && level.lastTime > question.time;
  }

  // The last sample at or before the time, and the first after it, when
  // that follows such a sample.
  template <typename Sample>
  void Bracket(const Sample& sample, std::optional<Sample>& before, std::optional<Sample>& after) const {
    if (sample.time <= question.time) {
      before = sample;
      after.reset();
    } else if (before && !after) {
      after = sample;
    }
  }

  template <typename T>
  static T& Grown(std::vector<T>& list, int index) {
    const auto at = static_cast<std::size_t>(index);
    if (list.size() <= at) list.resize(at + 1);
    return list[at];
  }

  std::vector<BaselinePose> baselines;
  Vec3 blockAngles{0, 0, 0};
  bool blockTimed = false;
};

float Mix(float from, float to, float fraction) { return from + (to - from) * fraction; }

// The short way round, as the game turns between two angles.
float MixAngle(float from, float to, float fraction) {
  float turn = std::fmod(to - from, 360.0f);
  if (turn > 180) turn -= 360;
  if (turn < -180) turn += 360;
  return from + turn * fraction;
}

float Wrapped(float angle, float low) {
  if (!std::isfinite(angle)) return angle;
  float wrapped = std::fmod(angle - low, 360.0f);
  if (wrapped < 0) wrapped += 360;
  return wrapped + low;
}

Vec3 MixAngles(const Vec3& from, const Vec3& to, float fraction) {
  Vec3 mixed{};
  for (std::size_t axis = 0; axis < 3; ++axis) mixed[axis] = MixAngle(from[axis], to[axis], fraction);
  return {Wrapped(mixed[kPitch], -180), Wrapped(mixed[kYaw], 0), Wrapped(mixed[kRoll], -180)};
}

float Fraction(float from, float to, float at) { return to > from ? (at - from) / (to - from) : 0.0f; }

std::optional<Vec3> Velocity(const EntitySample& from, const EntitySample& to) {
  const float seconds = to.time - from.time;
  if (to.frame != from.frame + 1 || !(seconds > 0)) return std::nullopt;
  return Vec3{(to.origin[0] - from.origin[0]) / seconds, (to.origin[1] - from.origin[1]) / seconds,
              (to.origin[2] - from.origin[2]) / seconds};
}

std::string EntityName(const PassLevel& level, int entity, int model) {
  if (entity >= 1 && entity <= level.maxClients) return "player " + std::to_string(entity);
  return level.ModelName(model);
}

// The answer from what the pass kept, or why there is none.
void Answer(const MomentHandler& handler, const MomentQuestion& question, Moment& moment) {
  const PassLevel& level = moment.level;
  const std::string asked = "e" + std::to_string(moment.entity);
  if (!level.timeSeen) {
    moment.problem = "level " + std::to_string(question.level) + " has no time";
    return;
  }
  if (!(question.time >= level.firstTime && question.time <= level.lastTime)) {
    moment.problem = "no moment at " + Seconds(question.time) + ": the level runs from " + Seconds(level.firstTime) +
                     " to " + Seconds(level.lastTime) + " s";
    return;
  }
  const auto index = static_cast<std::size_t>(moment.entity);
  const EntityTrack* track = index < handler.tracks.size() ? &handler.tracks[index] : nullptr;
  if (track == nullptr || track->updates == 0) {
    moment.problem = asked + " has no update in level " + std::to_string(question.level);
    return;
  }
  if (!track->before) {
    moment.problem = "no moment at " + Seconds(question.time) + " for " + asked + ": its updates run from " +
                     Seconds(track->firstTime) + " to " + Seconds(track->lastTime) + " s";
    return;
  }
  const EntitySample& before = *track->before;
  moment.before = before;
  moment.earlier = track->earlier;
  if (track->after && track->after->frame == before.frame + 1) moment.after = track->after;

  const EntitySample& after = moment.after ? *moment.after : before;
  const float fraction = Fraction(before.time, after.time, question.time);
  for (std::size_t axis = 0; axis < 3; ++axis)
    moment.origin[axis] = Mix(before.origin[axis], after.origin[axis], fraction);
  moment.angles = MixAngles(before.angles, after.angles, fraction);
  moment.velocity =
      moment.after ? Velocity(before, after) : (moment.earlier ? Velocity(*moment.earlier, before) : std::nullopt);

  if (moment.player) {
    moment.viewBefore = handler.viewBefore;
    moment.viewAfter = handler.viewAfter;
    if (handler.viewBefore) {
      const ViewSample& from = *handler.viewBefore;
      const ViewSample& to = handler.viewAfter ? *handler.viewAfter : from;
      moment.angles = MixAngles(from.angles, to.angles, Fraction(from.time, to.time, question.time));
    }
    moment.state = handler.state;
    if (moment.state.seen) moment.velocity = moment.state.velocity;
  }
}

}  // namespace

Moment ReadMoment(const std::string& path, const MomentQuestion& question) {
  Moment moment;
  moment.path = path;
  moment.question = question;
  MomentHandler handler(question);
  moment.outcome = PassDemo(path, handler);
  moment.levelCount = handler.levels.Number();
  if (!moment.outcome.openError.empty()) return moment;
  if (moment.levelCount < question.level) {
    if (moment.outcome.unreadable) return moment;
    moment.problem = "the demo has " + std::to_string(moment.levelCount) +
                     (moment.levelCount == 1 ? " level" : " levels") + ": there is no level " +
                     std::to_string(question.level);
    return moment;
  }
  moment.level = handler.levels.Levels()[static_cast<std::size_t>(question.level - 1)];
  moment.entity = question.entity > 0 ? question.entity : handler.viewAtMoment;
  moment.player = moment.entity == handler.viewAtMoment;
  const auto index = static_cast<std::size_t>(moment.entity);
  moment.entityName =
      EntityName(moment.level, moment.entity, index < handler.tracks.size() ? handler.tracks[index].model : -1);
  Answer(handler, question, moment);
  return moment;
}

std::string ScriptNumber(double value) {
  if (!std::isfinite(value)) return "0";
  const double tenths = std::round(value * 10);
  char text[64];
  if (std::fmod(tenths, 10) == 0) {
    std::snprintf(text, sizeof text, "%.0f", tenths / 10 + 0.0);
  } else {
    std::snprintf(text, sizeof text, "%.1f", tenths / 10);
  }
  return text;
}

}  // namespace cw
