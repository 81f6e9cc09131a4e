#include "autogen/generator.h"

#include <cstdio>
#include <fstream>
#include <string>

#include "app/context.h"
#include "app/platform.h"
#include "app/refilm_run.h"
#include "autogen/disposition.h"
#include "demo/block.h"
#include "demo/demo_streams.h"
#include "demo/message_loop.h"
#include "demo/protocol.h"

namespace cw {
namespace {

constexpr const char* kNoDispositionText = "No camera disposition file exists for this map. Using chasecam instead.";
constexpr const char* kWarningCaption = "Warning";
constexpr float kMoveEndsBefore = 0.001f;

// Six significant digits, trailing zeros dropped: 12.5, 12.3457, 39.999.
std::string FormatTime(float seconds) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", static_cast<double>(seconds));
  return text;
}

std::string FormatSpot(const CameraZone& zone) {
  return std::to_string(zone.spot[0]) + " " + std::to_string(zone.spot[1]) + " " + std::to_string(zone.spot[2]);
}

// Every line is flushed at once, so that what was written survives whatever
// happens to the run afterwards.
void WriteLine(std::ostream& script, const std::string& line) {
  script << line << '\n';
  script.flush();
}

void WriteChaseCamera(std::ostream& script) {
  WriteLine(script, "0 stay p");
  WriteLine(script, "1.5 stay p~0.3 p~0.3 p+30");
}

bool ReadBlock(Context& context, std::istream& demo, CBlock& block) {
  block.ReadFrom(demo, context.director.cameraAngles);
  return !block.IsEndMarker();
}

// The camera goes to zone `next` as the player enters it.
void WriteZoneChange(Context& context, std::ostream& script, int next) {
  GeneratorState& state = context.generator;
  const CameraZone& zone = context.zones.zones[static_cast<std::size_t>(next)];
  const float now = context.run.demoTime;
  if (state.currentZone == 0) {
    // The first zone's spot holds from the start, even when the player
    // reaches it only later.
    WriteLine(script, "0 stay " + FormatSpot(zone));
    WriteLine(script, "0 view e1");
  } else if (context.zones.zoneLinks[static_cast<std::size_t>(state.currentZone)][static_cast<std::size_t>(next)]) {
    // Glide over the player's whole stay in the zone left, and stand at the
    // new spot as the player arrives.
    WriteLine(script, FormatTime(state.lastSwitchTime) + " move " + FormatSpot(zone));
    WriteLine(script, FormatTime(now - kMoveEndsBefore) + " end move");
  } else {
    WriteLine(script, FormatTime(now) + " stay " + FormatSpot(zone));
  }
  state.currentZone = next;
  state.lastSwitchTime = now;
}

}  // namespace

bool InsideZone(const Context& context, int zone, const float position[3]) {
  if (zone < 0 || zone >= kZoneCount) return false;
  const CameraZone& box = context.zones.zones[static_cast<std::size_t>(zone)];
  // A zone that the file does not define has an empty box at 0,0,0, which
  // must not catch a player standing there.
  if (!box.defined) return false;
  for (int axis = 0; axis < 3; ++axis) {
    // As numbers: a corner beyond float's exact integers is not rounded.
    const double at = position[axis];
    if (static_cast<double>(box.low[axis]) > at || at > static_cast<double>(box.high[axis])) return false;
  }
  return true;
}

void WriteScriptStep(Context& context, std::ostream& script) {
  const GeneratorState& state = context.generator;
  if (context.entities.PointCount(kPlayerEntity) <= state.pointsBefore) return;
  const TrackPoint* latest = context.entities.LatestPoint(kPlayerEntity);
  if (latest == nullptr) return;
  const float position[3] = {latest->x, latest->y, latest->z};
  if (state.currentZone != 0 && InsideZone(context, state.currentZone, position)) return;
  // Inside several zones at once: each gets its lines in ascending order, and
  // the last one stays current.
  for (int zone = 1; zone < kZoneCount; ++zone) {
    if (InsideZone(context, zone, position)) WriteZoneChange(context, script, zone);
  }
}

bool GenerateScript(Context& context, Platform& platform, const std::string& sourceDemo,
                    const std::string& scriptFile) {
  context.generator = GeneratorState{};
  std::ofstream script(scriptFile, std::ios::out | std::ios::trunc);
  if (!script) return false;
  DemoInput demoFile(sourceDemo);
  std::ifstream& demo = demoFile.Stream();
  SkipFirstLine(demo);  // the CD track line

  // The time of an earlier run must not date this demo's first lines.
  context.run.demoTime = 0;
  CBlock input;
  CBlock output;

  // First pass: up to this demo's own server info, which names the map.
  context.parser.serverInfoSeen = false;
  while (!context.parser.serverInfoSeen && ReadBlock(context, demo, input)) ProcessBlock(context, input, output);

  context.entities.Reference(kPlayerEntity);
  context.generator.pointsBefore = context.entities.PointCount(kPlayerEntity);
  WriteLine(script, "0 view p");

  // A demo without server info names no map: the chase camera, without a
  // warning about a map that is not known.
  if (!context.parser.serverInfoSeen) {
    WriteChaseCamera(script);
  } else if (const std::string dispositionName = DispositionFileName(context.parser.modelNames[1]);
             !FileExists(dispositionName)) {
    platform.MessageBox(kNoDispositionText, kWarningCaption, MessageKind::Error);
    WriteChaseCamera(script);
  } else {
    std::ifstream disposition(dispositionName);
    ReadDispositionFile(disposition, context.zones);
    while (ReadBlock(context, demo, input)) {
      ProcessBlock(context, input, output);
      WriteScriptStep(context, script);
    }
  }
  script.close();
  return !script.fail();
}

}  // namespace cw
