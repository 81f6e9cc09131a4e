// make-example-demo OUT.dem
//
// Writes a demo of an imaginary map, "maps/cwbox.bsp", to try the program on
// without anyone's recording: the player walks back and forth through four
// areas while monsters move and a door opens, takes damage and heals, hears
// sounds and gets messages, until the intermission. The output is the same
// on every run.
//
// The map's areas, as axis-aligned boxes in map units (x, y, z from .. to):
//
//   Entrance hall   x  -512 ..    0   y -256 .. 256   z -64 .. 192
//   Long corridor   x     0 ..  768   y  -64 ..  64   z -64 .. 128
//   Courtyard       x   768 .. 1536   y -512 .. 512   z -64 .. 320
//   Tower stairs    x  1024 .. 1536   y  512 .. 1024  z -64 .. 448
//
// The door between the hall and the corridor stands at x = 0. The player's
// path keeps at least 48 units inside an area except where it crosses from
// one to the next, and climbs the tower stairs from z 24 to z 280.

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "demo_builder.h"

namespace {

using cw::Vec3;
using cw::test::Baseline;
using cw::test::ClientData;
using cw::test::EntityUpdate;
using cw::test::MessageBytes;
using cw::test::Sound;

constexpr int kBlocksPerSecond = 20;
constexpr float kFrameInterval = 1.0f / kBlocksPerSecond;
constexpr float kFirstFrameTime = 1.0f;
constexpr float kIntermissionTime = 150.0f;
constexpr float kAfterIntermission = 6.0f;
constexpr float kWalkSpeed = 180.0f;  // map units per second
constexpr float kDegreesPerRadian = 57.29578f;

// Entities.
constexpr int kPlayer = 1;
constexpr int kSoldier = 2;  // patrols the courtyard
constexpr int kDog = 3;      // paces the corridor, killed at 100 s
constexpr int kDoor = 4;     // the hall's door
constexpr int kOgre = 5;     // walks the top of the tower
constexpr float kDogDeathTime = 100.0f;
constexpr float kDoorX = 0.0f;

// Model indexes (1-based, in the order of the server info).
enum Model { kWorld = 1, kDoorModel, kPlayerModel, kSoldierModel, kDogModel, kOgreModel, kTorchModel, kViewModel };
const std::vector<std::string> kModels = {"maps/cwbox.bsp",   "*1",
                                          "progs/player.mdl", "progs/soldier.mdl",
                                          "progs/dog.mdl",    "progs/ogre.mdl",
                                          "progs/flame.mdl",  "progs/v_shot.mdl"};
enum SoundIndex { kGunCock = 1, kPain, kSoldierShot, kHealth, kDoorSound, kDogBark, kDrip, kTalk };
const std::vector<std::string> kSounds = {"weapons/guncock.wav", "player/pain1.wav", "soldier/sattck1.wav",
                                          "items/health1.wav",   "doors/stndr1.wav", "dog/dattack1.wav",
                                          "ambience/drip1.wav",  "misc/talk.wav"};

// --- the player's path -------------------------------------------------

struct Waypoint {
  Vec3 at;
  float pause;  // seconds spent standing here
};

// Out through the hall, the corridor and the courtyard to the top of the
// tower; the walk then comes back the same way and starts again.
const std::vector<Waypoint> kOutward = {
    {{-384, 0, 24}, 1.0f},     // hall, by the entrance
    {{-256, -160, 24}, 0.0f},  // hall, south side
    {{-64, 0, 24}, 0.5f},      // hall, before the door
    {{384, 0, 24}, 0.0f},      // corridor, middle
    {{704, 0, 24}, 1.0f},      // corridor, end
    {{1024, -256, 24}, 0.0f},  // courtyard, south
    {{1280, 256, 24}, 1.5f},   // courtyard, north
    {{1280, 600, 24}, 0.0f},   // tower, foot of the stairs
    {{1280, 960, 280}, 3.0f},  // tower, top
};

struct Leg {
  Vec3 from;
  Vec3 to;
  float walk;   // seconds walking
  float pause;  // seconds standing at `to`
};

std::vector<Leg> BuildLegs() {
  std::vector<Waypoint> round = kOutward;
  for (auto it = kOutward.rbegin() + 1; it != kOutward.rend(); ++it) round.push_back(*it);
  std::vector<Leg> legs;
  for (std::size_t i = 0; i + 1 < round.size(); ++i) {
    const Vec3& a = round[i].at;
    const Vec3& b = round[i + 1].at;
    const float length =
        std::sqrt((b[0] - a[0]) * (b[0] - a[0]) + (b[1] - a[1]) * (b[1] - a[1]) + (b[2] - a[2]) * (b[2] - a[2]));
    legs.push_back({a, b, length / kWalkSpeed, round[i + 1].pause});
  }
  return legs;
}

struct Pose {
  Vec3 origin;
  float yaw;
  float pitch;
  bool walking;
};

Pose PlayerPose(const std::vector<Leg>& legs, float time) {
  float cycle = 0;
  for (const Leg& leg : legs) cycle += leg.walk + leg.pause;
  float left = std::fmod(std::max(0.0f, time - kFirstFrameTime), cycle);
  for (const Leg& leg : legs) {
    const float dx = leg.to[0] - leg.from[0];
    const float dy = leg.to[1] - leg.from[1];
    const float dz = leg.to[2] - leg.from[2];
    const float yaw = std::atan2(dy, dx) * kDegreesPerRadian;
    const float pitch = -std::atan2(dz, std::sqrt(dx * dx + dy * dy)) * kDegreesPerRadian;
    if (left < leg.walk) {
      const float f = left / leg.walk;
      return {
          {leg.from[0] + dx * f, leg.from[1] + dy * f, leg.from[2] + dz * f}, yaw < 0 ? yaw + 360 : yaw, pitch, true};
    }
    left -= leg.walk;
    if (left < leg.pause) return {leg.to, yaw < 0 ? yaw + 360 : yaw, 0.0f, false};
    left -= leg.pause;
  }
  return {legs.front().from, 0.0f, 0.0f, false};
}

// --- what happens to the player -------------------------------------------

struct HealthEvent {
  float time;
  int change;
  const char* message;  // printed, or nothing
};

const std::vector<HealthEvent> kHealthEvents = {
    {12.0f, -15, nullptr},
    {30.0f, -25, nullptr},
    {47.0f, -20, nullptr},
    {61.0f, 25, "You receive 25 health\n"},
    {75.0f, -30, nullptr},
    {90.0f, -10, nullptr},
    {105.0f, 50, "You receive 50 health\n"},
    {120.0f, -40, nullptr},
    {138.0f, 15, "You receive 15 health\n"},
};

int HealthAt(float time) {
  int health = 100;
  for (const HealthEvent& event : kHealthEvents) {
    if (event.time <= time) health = std::clamp(health + event.change, 1, 100);
  }
  return health;
}

// The event whose time falls within the frame that starts at `time`.
const HealthEvent* HealthEventIn(float time) {
  for (const HealthEvent& event : kHealthEvents) {
    if (event.time > time - kFrameInterval && event.time <= time) return &event;
  }
  return nullptr;
}

bool Crossed(float mark, float time) { return mark > time - kFrameInterval && mark <= time; }

// --- the other entities ----------------------------------------------------

Vec3 SoldierAt(float time) {
  const float phase = 0.25f * time;
  return {1152.0f + 256.0f * std::cos(phase), 128.0f * std::sin(phase), 24.0f};
}

Vec3 DogAt(float time) {
  const float t = std::min(time, kDogDeathTime);
  // Back and forth along the corridor, 64 .. 640.
  const float along = std::fmod(t * 120.0f, 1152.0f);
  return {64.0f + (along < 576.0f ? along : 1152.0f - along), 32.0f, 24.0f};
}

Vec3 OgreAt(float time) { return {1280.0f + 160.0f * std::sin(0.4f * time), 960.0f, 280.0f}; }

// The door lifts as the player comes near it and falls as the player leaves.
float DoorLift(const Vec3& player) {
  const float distance = std::fabs(player[0] - kDoorX);
  return 104.0f * std::clamp((256.0f - distance) / 128.0f, 0.0f, 1.0f);
}

float HeadingOf(const Vec3& from, const Vec3& to) {
  const float yaw = std::atan2(to[1] - from[1], to[0] - from[0]) * kDegreesPerRadian;
  return yaw < 0 ? yaw + 360 : yaw;
}

EntityUpdate Update(int entity, const Vec3& origin, float yaw, int frame) {
  EntityUpdate update;
  update.entity = entity;
  update.frame = frame;
  update.origin[0] = origin[0];
  update.origin[1] = origin[1];
  update.origin[2] = origin[2];
  update.angles[1] = yaw;
  return update;
}

ClientData PlayerData(float time, const Pose& pose, int frameNumber) {
  ClientData data;
  data.viewHeight = 22;
  if (pose.walking) {
    // Velocity bytes are sixteenths of a unit per second.
    const float radians = pose.yaw / kDegreesPerRadian;
    data.velocity[0] = static_cast<int>(kWalkSpeed / 16.0f * std::cos(radians));
    data.velocity[1] = static_cast<int>(kWalkSpeed / 16.0f * std::sin(radians));
  }
  if (HealthEventIn(time) && HealthEventIn(time)->change < 0) data.punch[0] = 250;  // a kick of the view
  data.items = 0x00000101;                                                          // shotgun, shells
  data.weaponFrame = frameNumber % 4 == 0 ? 1 : 0;
  data.armor = time < 60.0f ? 100 : 50;
  data.weapon = kViewModel;
  data.health = HealthAt(time);
  data.currentAmmo = 40 - static_cast<int>(time / 10.0f);
  data.ammo[0] = data.currentAmmo;
  data.activeWeapon = 1;
  return data;
}

// --- blocks -----------------------------------------------------------------

MessageBytes ServerInfoBlock() {
  cw::test::ServerInfo info;
  info.levelName = "The Box of Rooms";
  info.models = kModels;
  info.sounds = kSounds;
  MessageBytes m;
  m.Print(
       "\x02"
       "\nCAMWRIGHT EXAMPLE SERVER\n")
      .ServerInfoMessage(info)
      .CdTrack(4, 4)
      .SetView(kPlayer)
      .SignonNum(1);
  return m;
}

MessageBytes BaselineBlock(const std::vector<Leg>& legs) {
  MessageBytes m;
  m.SpawnBaseline({0, kWorld, 0, 0, 0, {0, 0, 0}, {0, 0, 0}});
  const Pose start = PlayerPose(legs, 0.0f);
  m.SpawnBaseline({kPlayer, kPlayerModel, 0, 1, 0, start.origin, {0, start.yaw, 0}});
  m.SpawnBaseline({kSoldier, kSoldierModel, 0, 0, 0, SoldierAt(0), {0, 90, 0}});
  m.SpawnBaseline({kDog, kDogModel, 0, 0, 0, DogAt(0), {0, 0, 0}});
  m.SpawnBaseline({kDoor, kDoorModel, 0, 0, 0, {kDoorX, 0, 0}, {0, 0, 0}});
  m.SpawnBaseline({kOgre, kOgreModel, 0, 0, 0, OgreAt(0), {0, 180, 0}});
  // Torches on the hall's walls and a dripping pipe in the corridor.
  m.SpawnStatic({0, kTorchModel, 0, 0, 0, {-448, -224, 96}, {0, 0, 0}});
  m.SpawnStatic({0, kTorchModel, 0, 0, 0, {-448, 224, 96}, {0, 0, 0}});
  m.SpawnStaticSound({384, 48, 96}, kDrip, 255, 192);
  m.SignonNum(2);
  return m;
}

MessageBytes SpawnBlock(const std::vector<Leg>& legs) {
  const Pose start = PlayerPose(legs, 0.0f);
  MessageBytes m;
  m.UpdateName(0, "walker").UpdateFrags(0, 0).UpdateColors(0, 0x4D);
  m.LightStyle(0, "m").LightStyle(1, "mmnmmommommnonmmonqnmmo").LightStyle(10, "mmamammmmammamamaaamammma");
  m.UpdateStat(12, 3);  // total monsters
  m.SetAngle({0, start.yaw, 0}).Time(0.0f).ClientDataMessage(PlayerData(0.0f, start, 0)).SignonNum(3);
  return m;
}

MessageBytes FrameBlock(const std::vector<Leg>& legs, int frameNumber, float time) {
  const Pose pose = PlayerPose(legs, time);
  const Pose before = PlayerPose(legs, time - kFrameInterval);
  MessageBytes m;
  m.Time(time).ClientDataMessage(PlayerData(time, pose, frameNumber));

  m.EntityUpdateMessage(Update(kPlayer, pose.origin, pose.yaw, pose.walking ? (frameNumber / 2) % 6 : 12));

  const Vec3 soldier = SoldierAt(time);
  m.EntityUpdateMessage(Update(kSoldier, soldier, HeadingOf(SoldierAt(time - 0.1f), soldier), (frameNumber / 3) % 8));

  const Vec3 dog = DogAt(time);
  if (time < kDogDeathTime) {
    m.EntityUpdateMessage(Update(kDog, dog, HeadingOf(DogAt(time - 0.1f), dog), (frameNumber / 2) % 6));
  } else {
    EntityUpdate corpse;
    corpse.entity = kDog;
    corpse.frame = 35;  // the last frame of its death
    m.EntityUpdateMessage(corpse);
  }

  EntityUpdate door;
  door.entity = kDoor;
  door.origin[2] = DoorLift(pose.origin);
  m.EntityUpdateMessage(door);

  const Vec3 ogre = OgreAt(time);
  m.EntityUpdateMessage(Update(kOgre, ogre, HeadingOf(OgreAt(time - 0.1f), ogre), (frameNumber / 3) % 8));

  // The door's sound as it starts to lift.
  if (DoorLift(pose.origin) > 0.0f && DoorLift(before.origin) == 0.0f) {
    m.PlaySound({kDoor, 1, kDoorSound, {kDoorX, 0, 56}, std::nullopt, std::nullopt});
  }
  if (const HealthEvent* event = HealthEventIn(time)) {
    if (event->change < 0) {
      m.Damage(0, -event->change, soldier);
      m.PlaySound({kSoldier, 1, kSoldierShot, soldier, std::nullopt, std::nullopt});
      m.PlaySound({kPlayer, 2, kPain, pose.origin, 255, 64});
      m.TempEntityMessage({2, 0, pose.origin, {0, 0, 0}, 0, 0});  // a gunshot puff
    } else {
      m.PlaySound({kPlayer, 3, kHealth, pose.origin, std::nullopt, std::nullopt});
      m.Print(event->message).StuffText("bf\n");
    }
  }
  if (Crossed(kDogDeathTime, time)) {
    m.PlaySound({kDog, 2, kDogBark, dog, std::nullopt, 32});
    m.TempEntityMessage({3, 0, dog, {0, 0, 0}, 0, 0});  // an explosion
    m.KilledMonster().UpdateStat(14, 1);
    m.Print("walker killed the dog\n");
  }
  if (Crossed(3.0f, time)) m.CenterPrint("Welcome to the Box of Rooms\n");
  if (Crossed(40.0f, time)) m.UpdateColors(0, 0x3B).Print("walker changed colours\n");
  if (Crossed(66.0f, time)) m.CenterPrint("The tower is open\n").PlaySound({kPlayer, 0, kTalk, pose.origin, {}, {}});
  if (Crossed(110.0f, time)) m.FoundSecret().CenterPrint("You found a secret area!\n").UpdateStat(13, 1);
  if (frameNumber % 160 == 80) m.PlaySound({kPlayer, 1, kGunCock, pose.origin, 180, std::nullopt});
  if (frameNumber % 90 == 45) m.Particle({1152, 0, 80}, {0, 0, 1}, 12, 224);  // the courtyard fountain
  return m;
}

// After the intermission the server sends the time and the player's state.
MessageBytes IntermissionBlock(float time, bool first) {
  MessageBytes m;
  m.Time(time);
  if (first) m.Intermission().CenterPrint("The Box is done.\n").CdTrack(3, 3);
  return m;
}

Vec3 ViewAngles(const std::vector<Leg>& legs, float time) {
  const Pose pose = PlayerPose(legs, time);
  return {pose.pitch, pose.yaw, 0.0f};
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "Usage: make-example-demo OUT.dem\n");
    return 2;
  }
  const std::vector<Leg> legs = BuildLegs();
  cw::test::DemoBuilder demo;
  demo.FirstLine("4\n");
  demo.Block(ServerInfoBlock());
  demo.Block(BaselineBlock(legs));
  demo.Block(SpawnBlock(legs), ViewAngles(legs, 0.0f));

  int frameNumber = 0;
  float time = kFirstFrameTime;
  for (; time < kIntermissionTime; time = kFirstFrameTime + static_cast<float>(++frameNumber) * kFrameInterval) {
    demo.Block(FrameBlock(legs, frameNumber, time), ViewAngles(legs, time));
  }
  const Vec3 lastView = ViewAngles(legs, time);
  for (bool first = true; time < kIntermissionTime + kAfterIntermission; first = false) {
    demo.Block(IntermissionBlock(time, first), lastView);
    time = kFirstFrameTime + static_cast<float>(++frameNumber) * kFrameInterval;
  }
  demo.Block(MessageBytes().Disconnect(), lastView);

  if (!demo.WriteFile(argv[1])) {
    std::fprintf(stderr, "make-example-demo: cannot write %s\n", argv[1]);
    return 1;
  }
  std::printf("%s: %d blocks\n", argv[1], demo.BlockCount());
  return 0;
}
