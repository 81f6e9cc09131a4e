#pragma once
// The solid space of a level's map, found by its name under a Quake folder
// as the game finds it (see FindGameFile).

#include <string>

#include "map/solid_space.h"

namespace cw {

// Reads the map `mapName` ("maps/e1m3.bsp", as a demo names it) under the
// Quake folder `quakeDir`. False with a reason, naming the file, when it is
// not found, would lie outside the folder, or is damaged; the space is then
// left as it was.
bool LoadSolidSpace(const std::string& quakeDir, const std::string& mapName, SolidSpace& space, std::string& error);

}  // namespace cw
