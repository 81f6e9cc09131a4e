#pragma once
// Where an entity is at one moment of a demo, and, for the player, what the
// client data says of it then: what `info --at T` answers.
//
// The place is the one the game shows at T: the entity's update at or
// before T and the next one, when that came in the very next frame,
// interpolated linearly in time (the game hides an entity for a frame that
// leaves it out, so no line is drawn across such a gap: the last update's
// place stands). The axes an update leaves out are its baseline's. The
// player is the entity the demo is seen through (svc_setview, 1 by default);
// its angles are the recording player's view angles, which each block's
// header carries, interpolated the same way; its velocity and state are
// those of the client data at or before T.

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "base/vec3.h"
#include "inspect/demo_pass.h"

namespace cw {

struct MomentQuestion {
  float time = 0;  // in the level's clock
  int level = 1;   // from 1, as info counts the levels
  int entity = 0;  // 0 asks for the player
};

// An entity as one update placed it.
struct EntitySample {
  float time = 0;
  int frame = 0;  // the level's frame (its svc_time) it came in
  Vec3 origin{0, 0, 0};
  Vec3 angles{0, 0, 0};
};

// The recording player's view angles of a block with a time.
struct ViewSample {
  float time = 0;
  Vec3 angles{0, 0, 0};
};

// The player's state from a client data message.
struct PlayerState {
  bool seen = false;
  float time = 0;  // of the level's clock when it came; before the level's first time, that time
  std::int32_t items = 0;
  int armor = 0;
  int weapon = 0;  // model index of the weapon in view
  int health = 0;
  int ammo = 0;
  std::array<int, 4> ammoCounts{};  // shells, nails, rockets, cells
  int activeWeapon = 0;
  Vec3 velocity{0, 0, 0};  // units per second
  int viewHeight = 22;     // the eyes above the origin
};

struct Moment {
  std::string path;
  MomentQuestion question;
  PassOutcome outcome;
  int levelCount = 0;
  PassLevel level;  // the level asked for, as read to its end
  int entity = 0;   // the entity answered for
  bool player = false;
  std::string entityName;  // "player 1", or its model's name
  // Why there is no answer ("no moment at 200: the level runs from 1.00 to
  // 155.95 s"); empty when there is one.
  std::string problem;

  // What the answer rests on: the entity's update at or before the time,
  // the next one when it came in the frame after, the one before for a
  // velocity from the last two; the view angles around the time.
  std::optional<EntitySample> before, after, earlier;
  std::optional<ViewSample> viewBefore, viewAfter;
  PlayerState state;

  // The answer.
  Vec3 origin{0, 0, 0};
  Vec3 angles{0, 0, 0};  // pitch, yaw, roll: yaw from 0 to 360, the others from -180 to 180
  std::optional<Vec3> velocity;
};

Moment ReadMoment(const std::string& path, const MomentQuestion& question);

// How the answer reads in a camera script: whole units, or one decimal where
// the tenth is not 0 ("12.5", "-128", "96").
std::string ScriptNumber(double value);

}  // namespace cw
