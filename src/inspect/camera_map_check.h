#pragma once
// The camera of a preview run held against the map's walls: where it stands
// in a wall, the void or the sky, where its way passes through solid, and
// where a wall hides what it looks at. Samples (one a block) are merged into
// spans of time, each told against the command that placed the camera.

#include <string>
#include <vector>

#include "inspect/preview.h"

namespace cw {

class SolidSpace;

enum class MapTrouble { InSolid, InSky, ThroughSolid, SightBlocked };

struct MapSpan {
  MapTrouble kind = MapTrouble::InSolid;
  int positionCommand = 0;  // the command that placed the camera, in the script's order
  int viewCommand = -1;     // for a sight blocked: the command that aims it
  float from = 0;
  float to = 0;
};

// A wall must hide what the camera looks at for longer than this to be told:
// a pillar passing by is part of a film.
inline constexpr float kLongestHiddenSight = 0.5f;

// In the order of their start; samples before the first position command
// are passed over.
std::vector<MapSpan> FindMapSpans(const std::vector<CameraSample>& camera, const SolidSpace& space);

// The script line of the `command`th position or view command, from the
// check's list of their lines; 0 when it is not known.
int LineOfCommand(const std::vector<int>& lines, int command);

// "the camera stands in the sky from 16.0 s to 17.5 s", with `viewLine` the
// line of a sight's view command (0 when not known).
std::string MapSpanText(const MapSpan& span, int viewLine);

}  // namespace cw
