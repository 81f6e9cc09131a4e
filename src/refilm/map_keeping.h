#pragma once
// Keeping the camera out of the map's walls, its void and its sky: a camera
// place there is moved along the line from what it looks at (or follows)
// toward it, to the first clear point a little before the wall. The camera
// leaves the wall's side again gradually, so that its way has no jump when
// the wall goes.

#include <string>

namespace cw {

struct RefilmContext;

// A level begins with the map `mapName` ("maps/e1m3.bsp"): read once, and
// kept while the next level has the same. False with `problem` set when it
// cannot be read; that level's camera is then left where the script puts it.
bool EnterLevelMap(RefilmContext& context, const std::string& mapName);

// After the camera step: moves the camera out of what it must not stand in.
void KeepCameraInMap(RefilmContext& context);

}  // namespace cw
