#pragma once
// What happens in a demo and when (`info --timeline`): level starts and
// ends, kills, secrets, pickups, damage, deaths, centerprinted texts, the
// intermission and the finale, each at its time in the level's clock.

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "inspect/demo_pass.h"

namespace cw {

enum class EventKind {
  Level,         // a server info: the map and the level's name
  Kill,          // svc_killedmonster
  Secret,        // svc_foundsecret
  Pickup,        // items gained or counts grown, with or without a bonus flash
  Loss,          // items gone while the player lives: a power that wears off, a key used
  Bonus,         // a bonus flash with nothing gained
  Damage,        // svc_damage
  Death,         // the health falls to 0 or below
  Respawn,       // the health comes back after a death
  Centerprint,   // svc_centerprint
  Intermission,  // svc_intermission
  Finale,        // svc_finale
  Cutscene,      // svc_cutscene
  End,           // the level's last time
};

// The kind's name in both outputs: "kill", "centerprint".
const char* EventKindName(EventKind kind);

struct DemoEvent {
  int level = 0;              // from 1, as info counts them
  std::optional<float> time;  // none in a level without a time
  EventKind kind = EventKind::Level;
  std::string text;                                // Level: the map; Centerprint, Finale, Cutscene: the text
  std::string levelName;                           // Level
  int count = 0;                                   // Kill, Secret: the how-manieth of the level
  std::optional<int> total;                        // Kill, Secret: the level's total, when the server told it
  std::vector<std::string> items;                  // Pickup, Loss: the items' names
  std::vector<std::pair<std::string, int>> gains;  // Pickup: "health", 25
  bool flash = false;                              // Pickup: a bonus flash came with it
  int armor = 0;                                   // Damage: taken by the armour
  int blood = 0;                                   // Damage: taken by the health
  int health = 0;                                  // Death, Respawn
};

struct Timeline {
  std::string path;
  PassOutcome outcome;
  int levelCount = 0;
  std::vector<DemoEvent> events;  // in the demo's order
};

Timeline ReadTimeline(const std::string& path);

}  // namespace cw
