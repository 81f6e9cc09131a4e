#include "inspect/script_demo_check.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "base/protocol.h"
#include "inspect/demo_info.h"
#include "map/game_folder.h"

namespace cw {
namespace {

bool Updated(const DemoInfo& demo, int entity) {
  return std::any_of(demo.levels.begin(), demo.levels.end(), [entity](const LevelInfo& level) {
    const EntityRecord* record = level.Entity(entity);
    return record != nullptr && record->updates > 0;
  });
}

bool InSoundList(const DemoInfo& demo, const std::string& name) {
  return std::any_of(demo.levels.begin(), demo.levels.end(), [&name](const LevelInfo& level) {
    return std::find(level.sounds.begin() + (level.sounds.empty() ? 0 : 1), level.sounds.end(), name) !=
           level.sounds.end();
  });
}

// Demo seconds as info shows them, to the hundredth, without trailing
// zeros: 65.35 s, 12.5 s, 400 s.
std::string Seconds(float value) {
  char digits[48];
  std::snprintf(digits, sizeof digits, "%.2f", static_cast<double>(value));
  std::string text = digits;
  text.erase(text.find_last_not_of('0') + 1);
  if (text.back() == '.') text.pop_back();
  return text + " s";
}

}  // namespace

void CheckAgainstDemo(ScriptCheck& check, const DemoInfo& demo, const std::string& gameDir) {
  std::vector<ScriptFinding>& findings = check.findings;
  for (const ScriptEntityUse& use : check.entities) {
    if (use.entity <= 0 || (use.eyes && use.entity == kCameraEntity) || Updated(demo, use.entity)) continue;
    findings.push_back({use.line, "the demo never updates entity " + std::to_string(use.entity) +
                                      (use.eyes   ? ": there are no eyes to look through"
                                       : use.shot ? ": the camera waits for it where it stands"
                                                  : ": it stands nowhere, and its axes read as their offsets")});
  }
  // The clock starts again with each level: a line timed after the end of
  // every level is never taken.
  float longest = 0;
  std::string ends;
  for (const LevelInfo& level : demo.levels) {
    if (!level.timeSeen) continue;
    longest = std::max(longest, level.lastTime);
    ends += (ends.empty() ? "" : ", ") + Seconds(level.lastTime);
  }
  for (const ScriptTimeUse& use : check.times) {
    if (ends.empty() || use.time <= longest) continue;
    findings.push_back({use.line, "the time " + Seconds(use.time) + " comes after the demo's last time (" +
                                      (demo.levels.size() > 1 ? "its levels end at " : "it ends at ") + ends +
                                      "): the line is never taken"});
  }
  for (const ScriptSoundUse& sound : check.sounds) {
    if (InSoundList(demo, sound.name)) continue;
    if (gameDir.empty()) {
      findings.push_back({sound.line, "the sound " + sound.name +
                                          " is in no sound list of the demo: the refilm adds it, and the game plays "
                                          "it only if its data has sound/" +
                                          sound.name});
    } else if (!FindGameFile(gameDir, "sound/" + sound.name).found) {
      findings.push_back(
          {sound.line, "the sound " + sound.name + " is in neither the demo's sound lists nor the game data"});
    }
  }
  std::stable_sort(findings.begin(), findings.end(),
                   [](const ScriptFinding& a, const ScriptFinding& b) { return a.line < b.line; });
}

}  // namespace cw
