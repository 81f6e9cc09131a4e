#include "autogen/generator.h"

#include <cstdio>
#include <string>

#include "autogen/disposition.h"
#include "base/protocol.h"
#include "camera/script_words.h"
#include "refilm/message_loop.h"
#include "refilm/refilm_context.h"
#include "stream/block.h"
#include "stream/demo_walk.h"

namespace cw {
namespace {

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

void WriteLine(std::ostream& script, const std::string& line) { script << line << '\n'; }

// Where the chase camera stands: behind the player and above.
constexpr std::string_view kChasePoint = "p~0.3 p~0.3 p+30";
// The follow of --follow-chase: about as far behind as the player runs in
// 0.3 s, and as high.
constexpr std::string_view kChaseFollow = "p 96 30";

std::string ChaseLine(const RefilmContext& context, const std::string& time) {
  if (context.options.followChase) return ScriptLineText(time, ScriptWord::Follow, kChaseFollow);
  return ScriptLineText(time, ScriptWord::Stay, kChasePoint);
}

void WriteChaseCamera(const RefilmContext& context, std::ostream& script) {
  WriteLine(script, ScriptLineText("0", ScriptWord::Stay, "p"));
  WriteLine(script, ChaseLine(context, "1.5"));
}

// The camera goes to zone `next` as the player enters it.
void WriteZoneChange(const RefilmContext& context, GeneratorState& state, const ZoneTables& zones, std::ostream& script,
                     int next) {
  const CameraZone& zone = zones.zones[static_cast<std::size_t>(next)];
  const float now = context.run.demoTime;
  if (state.currentZone == 0) {
    // The first zone's spot holds from the start, even when the player
    // reaches it only later.
    WriteLine(script, ScriptLineText("0", ScriptWord::Stay, FormatSpot(zone)));
    WriteLine(script, ScriptLineText("0", ScriptWord::View, "e1"));
  } else if (zones.zoneLinks[static_cast<std::size_t>(state.currentZone)][static_cast<std::size_t>(next)]) {
    // Glide over the player's whole stay in the zone left, and stand at the
    // new spot as the player arrives.
    WriteLine(script, ScriptLineText(FormatTime(state.lastSwitchTime), ScriptWord::Move, FormatSpot(zone)));
    WriteLine(script, EndLineText(FormatTime(now - kMoveEndsBefore), ScriptWord::Move));
  } else {
    WriteLine(script, ScriptLineText(FormatTime(now), ScriptWord::Stay, FormatSpot(zone)));
  }
  state.currentZone = next;
  state.lastSwitchTime = now;
}

}  // namespace

bool InsideZone(const ZoneTables& zones, int zone, const float position[3]) {
  if (zone < 0 || zone >= kZoneCount) return false;
  const CameraZone& box = zones.zones[static_cast<std::size_t>(zone)];
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

void WriteScriptStep(const RefilmContext& context, GeneratorState& state, const ZoneTables& zones,
                     std::ostream& script) {
  if (context.entities.PointCount(kPlayerEntity) <= state.pointsBefore) return;
  const TrackPoint* latest = context.entities.LatestPoint(kPlayerEntity);
  if (latest == nullptr) return;
  const float position[3] = {latest->x, latest->y, latest->z};
  if (state.currentZone != 0 && InsideZone(zones, state.currentZone, position)) return;
  // Inside several zones at once: each gets its lines in ascending order, and
  // the last one stays current.
  for (int zone = 1; zone < kZoneCount; ++zone) {
    if (InsideZone(zones, zone, position)) WriteZoneChange(context, state, zones, script, zone);
  }
}

namespace {

// Generates into `script` (see GenerateScript) while the camera rests.
bool GeneratePasses(RefilmContext& context, GeneratorState& state, ZoneTables& zones, std::istream& demo,
                    std::istream* zoneFile, std::ostream& script, const KeepWalking& keepGoing) {
  state = GeneratorState{};
  StartPass(context, Pass::Generation);
  CBlock input;
  CBlock output;
  DemoWalk walk(demo, context.director.cameraAngles, keepGoing);

  // First pass: up to this demo's own server info, which names the map.
  while (!context.parser.serverInfoSeen && walk.Next(input)) ProcessBlock(context, input, output);
  if (walk.End() == WalkEnd::Stopped) return false;

  context.entities.Reference(kPlayerEntity);
  state.pointsBefore = context.entities.PointCount(kPlayerEntity);
  WriteLine(script, ScriptLineText("0", ScriptWord::View, "p"));

  // A demo without server info names no map: the chase camera.
  if (!context.parser.serverInfoSeen || zoneFile == nullptr) {
    WriteChaseCamera(context, script);
    return true;
  }
  ReadDispositionFile(*zoneFile, zones);
  bool firstLevel = true;
  while (walk.Next(input)) {
    const float lastTime = context.run.demoTime;
    ProcessBlock(context, input, output);
    if (firstLevel && context.parser.levelsSeen > 1) {
      // The zones are those of the first level's map. The levels after it
      // are filmed by the chase camera, from the first level's last moment:
      // their own clock starts again, and a line at one of their times
      // would be taken in the first level already. The rest of the demo is
      // still read for the exits of its levels.
      firstLevel = false;
      WriteLine(script, ChaseLine(context, FormatTime(lastTime)));
    }
    if (firstLevel) WriteScriptStep(context, state, zones, script);
  }
  return walk.End() != WalkEnd::Stopped;
}

// The camera rests for as long as the passes run, however they end.
class CameraResting {
 public:
  explicit CameraResting(RunFlags& flags) : run(flags) { run.generating = true; }
  ~CameraResting() { run.generating = false; }
  CameraResting(const CameraResting&) = delete;
  CameraResting& operator=(const CameraResting&) = delete;

 private:
  RunFlags& run;
};

}  // namespace

bool GenerateScript(RefilmContext& context, GeneratorState& state, ZoneTables& zones, std::istream& demo,
                    std::istream* zoneFile, std::ostream& script, const KeepWalking& keepGoing) {
  const CameraResting resting(context.run);
  return GeneratePasses(context, state, zones, demo, zoneFile, script, keepGoing);
}

}  // namespace cw
