#pragma once
// What keeping the camera in the map remembers from block to block and from
// level to level: the level's map, and how far the camera was moved.

#include <string>

#include "base/vec3.h"
#include "map/solid_space.h"

namespace cw {

// How far before the wall a moved camera stands.
inline constexpr float kWallClearance = 8.0f;
// How quickly a moved camera returns to its scripted place once the wall
// lets it: it closes most of the gap in about this many seconds.
inline constexpr float kEaseOutSeconds = 0.5f;

struct MapKeeping {
  SolidSpace space;     // the current level's map; empty when none could be read
  std::string mapName;  // the name `space` was read by
  std::string problem;  // why the last map asked for could not be read
  // How far from its target the camera stood in the last block, while it is
  // moved; below 0 when it stands at its scripted place.
  float reach = -1;
  float lastTime = 0;
  // The last place in the map the camera stood in this level, for a camera
  // that no line leads out of (it has no place yet, or looks from a wall).
  Vec3 lastInside{0, 0, 0};
  bool hasInside = false;
  int correctedBlocks = 0;  // blocks of the pass whose camera was moved

  void StartPass() {
    reach = -1;
    lastTime = 0;
    hasInside = false;
    correctedBlocks = 0;
  }
};

}  // namespace cw
