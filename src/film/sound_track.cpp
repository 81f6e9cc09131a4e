#include "film/sound_track.h"

#include <algorithm>
#include <cmath>
#include <istream>
#include <numbers>

#include "base/protocol.h"
#include "stream/block.h"
#include "stream/demo_walk.h"
#include "stream/message_reader.h"

namespace cw {
namespace {

constexpr int kDefaultViewHeight = 22;
constexpr float kByteAttenuation = 64.0f;

// The sounds the engine itself plays for temporary entities.
constexpr const char* kSpikeHit = "weapons/tink1.wav";
constexpr const char* kRicochets[] = {"weapons/ric1.wav", "weapons/ric2.wav", "weapons/ric3.wav"};
constexpr const char* kExplosion = "weapons/r_exp3.wav";
constexpr const char* kWizardHit = "wizard/hit.wav";
constexpr const char* kKnightHit = "hknight/hit.wav";

enum TempEntity {
  kSpike = 0,
  kSuperSpike = 1,
  kExplosionKind = 3,
  kTarExplosion = 4,
  kWizSpike = 7,
  kKnightSpike = 8,
  kExplosion2 = 12
};

struct TrackReader : IgnoredMessages {
  const DemoTimeline& timeline;
  SoundTrack& track;
  CBlock& in;
  StreamState& stream;

  int level = -1;
  bool timed = false;  // the level has had a time
  float time = 0;
  std::vector<int> soundIndex;  // the level's sound list into track.names
  std::vector<Vec3> baselines;
  std::vector<Vec3> origins;
  int viewEntity = 0;
  int viewHeight = kDefaultViewHeight;
  Vec3 angles{0, 0, 0};
  SoundEvent listener;
  bool listenerSent = false;
  unsigned spikes = 0;  // the engine picks a spike's sound at random; this picks in turn

  TrackReader(const DemoTimeline& line, SoundTrack& target, CBlock& block, StreamState& state)
      : timeline(line), track(target), in(block), stream(state) {
    listener.kind = SoundEventKind::Listener;
  }

  int NameIndex(std::string_view name) {
    const auto found = std::find(track.names.begin(), track.names.end(), name);
    if (found != track.names.end()) return static_cast<int>(found - track.names.begin());
    track.names.emplace_back(name);
    return static_cast<int>(track.names.size()) - 1;
  }
  int LevelSound(int number) const {
    if (number <= 0 || static_cast<std::size_t>(number) >= soundIndex.size()) return -1;
    return soundIndex[static_cast<std::size_t>(number)];
  }
  Vec3& Slot(std::vector<Vec3>& table, int entity) {
    const auto index = static_cast<std::size_t>(std::clamp(entity, 0, kHighestEntity));
    if (table.size() <= index) table.resize(index + 1, Vec3{0, 0, 0});
    return table[index];
  }
  void Add(SoundEvent event) { track.events.push_back(event); }
  void Start(int entity, int channel, int sound, float volume, float attenuation, const Vec3& origin) {
    if (sound < 0) return;
    SoundEvent event;
    event.kind = SoundEventKind::Start;
    event.entity = entity;
    event.channel = channel;
    event.sound = sound;
    event.volume = volume;
    event.attenuation = attenuation;
    event.origin = origin;
    Add(event);
  }
  Vec3 ReadOrigin() {
    Vec3 origin{};
    for (float& axis : origin) axis = reading::Coord(in, stream);
    return origin;
  }

  void ServerInfo(int, const ServerInfoFields& info) {
    ++level;
    timed = false;
    soundIndex.assign(1, -1);
    info.sounds.ForEach([this](std::string_view name) { soundIndex.push_back(NameIndex(name)); });
    baselines.clear();
    origins.clear();
    viewEntity = 0;
    viewHeight = kDefaultViewHeight;
    listenerSent = false;
    SoundEvent stop;
    stop.kind = SoundEventKind::StopAll;
    Add(stop);
  }
  void SpawnBaseline(int, const BaselineFields& baseline) {
    Slot(baselines, baseline.entity) = baseline.origin;
    Slot(origins, baseline.entity) = baseline.origin;
  }
  void EntityUpdate(int, const EntityUpdateFields& update) {
    const Vec3 base = Slot(baselines, update.entity);
    Vec3& origin = Slot(origins, update.entity);
    for (std::size_t axis = 0; axis < 3; ++axis)
      origin[axis] = update.originPresent[axis] ? update.origin[axis] : base[axis];
  }
  void ClientData(int start, const ClientDataFields& data) {
    const int offset = data.byteOffset[kViewHeight];
    viewHeight = offset < 0 ? kDefaultViewHeight : static_cast<std::int8_t>(in.Data()[start + offset]);
  }
  void SetView(int, int entity) { viewEntity = entity; }
  void Time(int, float seconds) {
    time = seconds;
    timed = true;
  }
  void Damaged(int) { StopAll(); }

  void StopAll() {
    SoundEvent stop;
    stop.kind = SoundEventKind::StopAll;
    Add(stop);
  }

  void Other(int start, std::uint8_t type) {
    const int end = in.Position();
    in.RewindTo(start + 1);
    switch (type) {
      case svc_sound:
        Sound();
        break;
      case svc_stopsound: {
        const int both = static_cast<std::uint16_t>(in.ReadShort());
        SoundEvent stop;
        stop.kind = SoundEventKind::Stop;
        stop.entity = both >> 3;
        stop.channel = both & 7;
        Add(stop);
        break;
      }
      case svc_spawnstaticsound:
      case svc_spawnstaticsound2: {
        SoundEvent loop;
        loop.kind = SoundEventKind::Static;
        loop.origin = ReadOrigin();
        loop.sound =
            LevelSound(type == svc_spawnstaticsound2 ? static_cast<std::uint16_t>(in.ReadShort()) : in.ReadByte());
        loop.volume = static_cast<float>(in.ReadByte()) / 255.0f;
        loop.attenuation = static_cast<float>(in.ReadByte()) / kByteAttenuation;
        if (loop.sound >= 0) Add(loop);
        break;
      }
      case svc_localsound: {
        const int mask = in.ReadByte();
        const int number = (mask & SND_LARGESOUND) ? static_cast<std::uint16_t>(in.ReadShort()) : in.ReadByte();
        Start(viewEntity, -1, LevelSound(number), 1, 1, Vec3{0, 0, 0});
        break;
      }
      case svc_temp_entity:
        TempSound();
        break;
      case svc_disconnect:
        StopAll();
        break;
      default:
        break;
    }
    if (in.Position() < end) in.Skip(end - in.Position());
  }

  void Sound() {
    const int mask = in.ReadByte();
    const float volume = (mask & SND_VOLUME) ? static_cast<float>(in.ReadByte()) / 255.0f : 1.0f;
    const float attenuation = (mask & SND_ATTENUATION) ? static_cast<float>(in.ReadByte()) / kByteAttenuation : 1.0f;
    int entity = 0;
    int channel = 0;
    if (stream.Extended() && (mask & SND_LARGEENTITY)) {
      entity = static_cast<std::uint16_t>(in.ReadShort());
      channel = in.ReadByte();
    } else {
      const int both = static_cast<std::uint16_t>(in.ReadShort());
      entity = both >> 3;
      channel = both & 7;
    }
    const int number =
        stream.Extended() && (mask & SND_LARGESOUND) ? static_cast<std::uint16_t>(in.ReadShort()) : in.ReadByte();
    const Vec3 origin = ReadOrigin();
    Start(entity, channel, LevelSound(number), volume, attenuation, origin);
  }

  void TempSound() {
    const int kind = in.ReadByte();
    const char* name = nullptr;
    switch (kind) {
      case kSpike:
      case kSuperSpike:
        name = spikes % 5 != 4 ? kSpikeHit : kRicochets[spikes / 5 % 3];
        ++spikes;
        break;
      case kExplosionKind:
      case kTarExplosion:
      case kExplosion2:
        name = kExplosion;
        break;
      case kWizSpike:
        name = kWizardHit;
        break;
      case kKnightSpike:
        name = kKnightHit;
        break;
      default:
        return;
    }
    Start(-1, 0, NameIndex(name), 1, 1, ReadOrigin());
  }

  // At the end of a block: the time of its events, and the listener where the view went.
  void BlockDone(std::size_t firstEvent) {
    double filmTime = 0;
    if (level >= 0 && static_cast<std::size_t>(level) < timeline.levels.size()) {
      const LevelSpan& span = timeline.levels[static_cast<std::size_t>(level)];
      filmTime = span.filmStart + (timed ? static_cast<double>(time) - span.first : 0.0);
    }
    // A clock that steps back (a damaged demo) cannot move sounds before those already placed.
    if (firstEvent > 0) filmTime = std::max(filmTime, track.events[firstEvent - 1].time);
    for (std::size_t index = firstEvent; index < track.events.size(); ++index) track.events[index].time = filmTime;
    SoundEvent now = listener;
    now.entity = viewEntity;
    now.origin = Slot(origins, viewEntity);
    now.origin[2] += static_cast<float>(viewHeight);
    now.angles = angles;
    if (!listenerSent || now.entity != listener.entity || now.origin != listener.origin ||
        now.angles != listener.angles) {
      now.time = filmTime;
      listener = now;
      listenerSent = true;
      Add(now);
    }
  }
};

}  // namespace

Vec3 RightOf(const Vec3& angles) {
  constexpr double kRadians = std::numbers::pi / 180.0;
  const double yaw = angles[kYaw] * kRadians;
  const double pitch = angles[kPitch] * kRadians;
  const double roll = angles[kRoll] * kRadians;
  const double sy = std::sin(yaw);
  const double cy = std::cos(yaw);
  const double sp = std::sin(pitch);
  const double cp = std::cos(pitch);
  const double sr = std::sin(roll);
  const double cr = std::cos(roll);
  return {static_cast<float>(-sr * sp * cy + cr * sy), static_cast<float>(-sr * sp * sy - cr * cy),
          static_cast<float>(-sr * cp)};
}

SoundTrack ReadSoundTrack(std::istream& demo, const DemoTimeline& timeline) {
  SoundTrack track;
  Vec3 angles{};
  DemoWalk walk(demo, angles);
  if (!walk.FirstLineEnded()) return track;
  CBlock block;
  StreamState stream;
  TrackReader reader(timeline, track, block, stream);
  // A block cut short is one the engine cannot play: nothing of it is heard.
  while (walk.Next(block) && !walk.Cut()) {
    const std::size_t first = track.events.size();
    reader.angles = angles;
    ReadMessages(block, stream, reader);
    reader.BlockDone(first);
  }
  reader.StopAll();
  track.events.back().time = std::max(timeline.FilmEnd(), track.events.size() > 1 ? track.events.end()[-2].time : 0.0);
  return track;
}

}  // namespace cw
