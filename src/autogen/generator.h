#pragma once
// Writes a camera script for a demo: the camera at each zone's spot as the
// player walks through the map's zones, or a chase camera.

#include <iosfwd>
#include <string>

namespace cw {

struct Context;
class Platform;

struct GeneratorState {
  int currentZone = 0;  // zone for which the camera was last placed; 0: none yet
  float lastSwitchTime = 0;
  // The player's point count when this generation's analysis pass began: the
  // trajectory outlives a run, and points of an earlier demo must not place
  // this demo's camera.
  int pointsBefore = 0;
};

// Returns false when the script file could not be written (the run then
// refuses to go on with a stale script).
bool GenerateScript(Context& context, Platform& platform, const std::string& sourceDemo, const std::string& scriptFile);

// After each block of the analysis pass.
void WriteScriptStep(Context& context, std::ostream& script);

// True when the zone is defined and the position lies in its box, faces included.
bool InsideZone(const Context& context, int zone, const float position[3]);

}  // namespace cw
