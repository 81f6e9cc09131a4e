#pragma once
// Keeping the camera out of the map's walls, its void and its sky: a camera
// place there is moved along the line from what it looks at (or follows)
// toward it, to the first clear point a little before the wall. The camera
// leaves the wall's side again gradually, so that its way has no jump when
// the wall goes.

#include <string>

#include "map/solid_space.h"

namespace cw {

struct RefilmContext;

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

// A level begins with the map `mapName` ("maps/e1m3.bsp"): read once, and
// kept while the next level has the same. False with `problem` set when it
// cannot be read; that level's camera is then left where the script puts it.
bool EnterLevelMap(RefilmContext& context, const std::string& mapName);

// After the camera step: moves the camera out of what it must not stand in.
void KeepCameraInMap(RefilmContext& context);

}  // namespace cw
