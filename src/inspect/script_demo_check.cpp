#include "inspect/script_demo_check.h"

#include <algorithm>

#include "base/protocol.h"
#include "inspect/demo_info.h"
#include "inspect/game_map.h"

namespace cw {
namespace {

bool Updated(const DemoInfo& demo, int entity) {
  return std::any_of(demo.levels.begin(), demo.levels.end(), [entity](const LevelInfo& level) {
    const auto index = static_cast<std::size_t>(entity);
    return index < level.entities.size() && level.entities[index].updates > 0;
  });
}

bool InSoundList(const DemoInfo& demo, const std::string& name) {
  return std::any_of(demo.levels.begin(), demo.levels.end(), [&name](const LevelInfo& level) {
    return std::find(level.sounds.begin() + (level.sounds.empty() ? 0 : 1), level.sounds.end(), name) !=
           level.sounds.end();
  });
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
