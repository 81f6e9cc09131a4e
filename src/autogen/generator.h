#pragma once
// Writes a camera script for a demo: the camera at each zone's spot as the
// player walks through the map's zones, or a chase camera.

#include <iosfwd>
#include <string>

#include "stream/demo_walk.h"

namespace cw {

struct RefilmContext;
struct ZoneTables;

struct GeneratorState {
  int currentZone = 0;  // zone for which the camera was last placed; 0: none yet
  float lastSwitchTime = 0;
  // The player's point count when this generation's analysis pass began: the
  // trajectory outlives a run, and points of an earlier demo must not place
  // this demo's camera.
  int pointsBefore = 0;
};

// What a script is generated from: the map's zone file, or none.
inline constexpr const char* kNoZoneFileText =
    "No camera disposition file exists for this map. Using chasecam instead.";

// Writes a camera script for the demo read from `demo` into `script`: the
// camera at the spots of the zones that `zoneFile` describes, or a chase
// camera when there is none (nullptr) or the demo names no map. `keepGoing`
// is told the bytes read now and then; when it asks for a stop, generation
// ends where it is and the result is false.
bool GenerateScript(RefilmContext& context, GeneratorState& state, ZoneTables& zones, std::istream& demo,
                    std::istream* zoneFile, std::ostream& script, const KeepWalking& keepGoing);

// After each block of the analysis pass.
void WriteScriptStep(const RefilmContext& context, GeneratorState& state, const ZoneTables& zones,
                     std::ostream& script);

// True when the zone is defined and the position lies in its box, faces included.
bool InsideZone(const ZoneTables& zones, int zone, const float position[3]);

}  // namespace cw
