#pragma once
// Writes a camera script for a demo: the camera at each zone's spot as the
// player walks through the map's zones, or a chase camera.

#include <iosfwd>
#include <string>

namespace cw {

struct Context;
class Platform;

struct GeneratorState {
  int currentZone = 0;
  float lastSwitchTime = 0;
};

// Returns false when the script file could not be written (the run then
// refuses to go on with a stale script).
bool GenerateScript(Context& context, Platform& platform, const std::string& sourceDemo,
                    const std::string& scriptFile);

// After each block of the analysis pass.
void WriteScriptStep(Context& context, std::ostream& script);

bool InsideZone(const Context& context, int zone, const float position[3]);

}  // namespace cw
