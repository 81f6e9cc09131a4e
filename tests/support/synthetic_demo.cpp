#include "synthetic_demo.h"

#include <cmath>
#include <fstream>
#include <ostream>
#include <sstream>

namespace cw::test {
namespace {

constexpr float kStartTime = 1.0f;
constexpr float kWalkSpeed = 160.0f;  // map units per second
constexpr float kSquareSide = 512.0f;
constexpr float kEyeHeight = 24.0f;

// Model and sound indexes in the server info below.
constexpr int kWorldModel = 1;
constexpr int kPlayerModel = 3;
constexpr int kSoldierModel = 4;
constexpr int kDogModel = 5;
constexpr int kPainSound = 2;
constexpr int kTalkSound = 3;

ServerInfo SyntheticServerInfo(const SyntheticDemoOptions& options) {
  ServerInfo info;
  info.levelName = options.levelName;
  info.models = {options.mapName, "*1", "progs/player.mdl", "progs/soldier.mdl", "progs/dog.mdl", "progs/v_shot.mdl"};
  info.sounds = {"weapons/r_exp3.wav", "player/pain1.wav", "misc/talk.wav", "items/health1.wav", "ambience/drip1.wav"};
  return info;
}

float FrameTime(const SyntheticDemoOptions& options, int frame) {
  return kStartTime + static_cast<float>(frame) / static_cast<float>(options.blocksPerSecond);
}

// The player walks the edge of a square around the origin, counter-clockwise.
struct Walk {
  Vec3 position;
  float yaw;
};

Walk PlayerWalk(float time) {
  const float perimeter = 4.0f * kSquareSide;
  const float travelled = std::fmod(time * kWalkSpeed, perimeter);
  const int side = static_cast<int>(travelled / kSquareSide) % 4;
  const float along = travelled - static_cast<float>(side) * kSquareSide;
  const float half = kSquareSide / 2.0f;
  switch (side) {
    case 0:
      return {{-half + along, -half, kEyeHeight}, 0.0f};
    case 1:
      return {{half, -half + along, kEyeHeight}, 90.0f};
    case 2:
      return {{half - along, half, kEyeHeight}, 180.0f};
    default:
      return {{-half, half - along, kEyeHeight}, 270.0f};
  }
}

// Monsters circle points of their own.
Vec3 MonsterPosition(int entity, float time) {
  const float radius = 100.0f + 30.0f * static_cast<float>(entity);
  const float phase = 0.5f * time + static_cast<float>(entity);
  return {300.0f * static_cast<float>(entity - 1) + radius * std::cos(phase), 400.0f + radius * std::sin(phase),
          kEyeHeight};
}

int PlayerHealth(int frame) { return 100 - 15 * ((frame / 80) % 5); }

ClientData PlayerClientData(int frame, const Walk& walk, float previousYaw) {
  ClientData data;
  data.viewHeight = 22;
  data.idealPitch = 0;
  // Velocity bytes are sixteenths of the speed; the player walks along one axis.
  const int speed = static_cast<int>(kWalkSpeed / 16.0f);
  if (walk.yaw == 0.0f) data.velocity[0] = speed;
  if (walk.yaw == 180.0f) data.velocity[0] = -speed;
  if (walk.yaw == 90.0f) data.velocity[1] = speed;
  if (walk.yaw == 270.0f) data.velocity[1] = -speed;
  if (walk.yaw != previousYaw) data.punch[1] = 2;
  data.items = 0x00000101;  // shotgun and shells
  data.weaponFrame = frame % 6;
  data.armor = 50;
  data.weapon = 2;
  data.health = PlayerHealth(frame);
  data.currentAmmo = 25 - (frame / 40) % 20;
  data.ammo[0] = data.currentAmmo;
  return data;
}

}  // namespace

int SyntheticFrameCount(const SyntheticDemoOptions& options) {
  const float frames = options.seconds * static_cast<float>(options.blocksPerSecond);
  return frames > 0.0f && frames < 1.0e8f ? static_cast<int>(frames) : 0;
}

void WriteSyntheticSignon(std::ostream& out, const SyntheticDemoOptions& options) {
  out << options.firstLine;

  MessageBytes info;
  info.Print(
          "\x02"
          "Synthetic test server\n")
      .ServerInfoMessage(SyntheticServerInfo(options))
      .CdTrack(2, 2)
      .SetView(1)
      .SignonNum(1);
  out << EncodeBlock({0, 0, 0}, info);

  MessageBytes baselines;
  baselines.SpawnBaseline({0, kWorldModel, 0, 0, 0, {0, 0, 0}, {0, 0, 0}});
  const Walk start = PlayerWalk(kStartTime);
  baselines.SpawnBaseline({1, kPlayerModel, 0, 1, 0, start.position, {0, start.yaw, 0}});
  for (int entity = 2; entity < 2 + options.otherEntities; ++entity) {
    const int model = entity % 2 == 0 ? kSoldierModel : kDogModel;
    baselines.SpawnBaseline({entity, model, 0, 0, 0, MonsterPosition(entity, kStartTime), {0, 0, 0}});
  }
  baselines.SpawnStatic({0, 2, 0, 0, 0, {0, 0, 64}, {0, 0, 0}});
  baselines.SpawnStaticSound({64, 64, 32}, 5, 255, 64);
  baselines.SignonNum(2);
  out << EncodeBlock({0, 0, 0}, baselines);

  MessageBytes spawn;
  spawn.UpdateName(0, "player")
      .UpdateFrags(0, 0)
      .UpdateColors(0, 0x4D)
      .LightStyle(0, "m")
      .LightStyle(1, "mmnmmommommnonmmonqnmmo")
      .UpdateStat(11, 0)
      .SetAngle({0, start.yaw, 0})
      .Time(kStartTime)
      .ClientDataMessage(PlayerClientData(0, start, start.yaw))
      .SignonNum(3);
  out << EncodeBlock({0, start.yaw, 0}, spawn);
}

MessageBytes SyntheticFrame(const SyntheticDemoOptions& options, int frame) {
  const float time = FrameTime(options, frame);
  const Walk walk = PlayerWalk(time);
  const Walk before = PlayerWalk(FrameTime(options, frame > 0 ? frame - 1 : 0));

  MessageBytes frameBytes;
  frameBytes.Time(time).ClientDataMessage(PlayerClientData(frame, walk, before.yaw));
  if (PlayerHealth(frame) < PlayerHealth(frame > 0 ? frame - 1 : 0)) {
    frameBytes.Damage(0, 15, MonsterPosition(2, time));
    frameBytes.PlaySound({1, 2, kPainSound, walk.position, std::nullopt, std::nullopt});
  }

  EntityUpdate player;
  player.entity = 1;
  player.frame = (frame / 2) % 6;
  player.origin[0] = walk.position[0];
  player.origin[1] = walk.position[1];
  player.origin[2] = walk.position[2];
  player.angles[1] = walk.yaw;
  frameBytes.EntityUpdateMessage(player);

  for (int entity = 2; entity < 2 + options.otherEntities; ++entity) {
    const Vec3 position = MonsterPosition(entity, time);
    EntityUpdate monster;
    monster.entity = entity;
    monster.frame = (frame / 3 + entity) % 8;
    monster.origin[0] = position[0];
    monster.origin[1] = position[1];
    monster.angles[1] = std::fmod(0.5f * time * 57.29578f + 90.0f + static_cast<float>(entity) * 57.29578f, 360.0f);
    frameBytes.EntityUpdateMessage(monster);
  }

  if (frame % 50 == 25) {
    TempEntity explosion;
    explosion.kind = 3;
    explosion.start = MonsterPosition(3, time);
    frameBytes.TempEntityMessage(explosion);
    frameBytes.PlaySound({3, 1, 1, explosion.start, 200, 64});
  }
  if (frame % 70 == 35) frameBytes.Particle(walk.position, {0, 0, 1}, 20, 73);
  if (frame % 200 == 100) frameBytes.Print("You got the shells\n");
  if (frame % 400 == 200) frameBytes.CenterPrint("Keep walking\n");
  if (frame % 300 == 150) frameBytes.StuffText("bf\n");
  if (frame % 250 == 125) frameBytes.PlaySound({1, 0, kTalkSound, walk.position, std::nullopt, std::nullopt});

  if (options.intermissionAtEnd && frame == SyntheticFrameCount(options) - options.blocksPerSecond) {
    frameBytes.Intermission();
  }
  return frameBytes;
}

Vec3 SyntheticViewAngles(const SyntheticDemoOptions& options, int frame) {
  return {0.0f, PlayerWalk(FrameTime(options, frame)).yaw, 0.0f};
}

std::string SyntheticFinalBlock() {
  MessageBytes last;
  last.Disconnect();
  return EncodeBlock({0, 0, 0}, last);
}

std::string MakeSyntheticDemo(const SyntheticDemoOptions& options) {
  std::ostringstream out;
  WriteSyntheticSignon(out, options);
  const int frames = SyntheticFrameCount(options);
  for (int frame = 0; frame < frames; ++frame) {
    out << EncodeBlock(SyntheticViewAngles(options, frame), SyntheticFrame(options, frame));
  }
  out << SyntheticFinalBlock();
  return out.str();
}

bool WriteSyntheticDemo(const std::string& path, const SyntheticDemoOptions& options) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  const std::string demo = MakeSyntheticDemo(options);
  out.write(demo.data(), static_cast<std::streamsize>(demo.size()));
  return static_cast<bool>(out);
}

}  // namespace cw::test
