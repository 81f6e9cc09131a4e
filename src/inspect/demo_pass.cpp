#include "inspect/demo_pass.h"

#include <cmath>

namespace cw {

const std::string& PassLevel::Map() const {
  static const std::string kNone;
  return models.size() > 1 ? models[1] : kNone;
}

std::string PassLevel::ModelName(int index) const {
  if (index <= 0 || static_cast<std::size_t>(index) >= models.size()) return {};
  return models[static_cast<std::size_t>(index)];
}

void LevelTrack::ServerInfo(const ServerInfoFields& fields) {
  if (firstProtocol == 0) firstProtocol = fields.protocol;
  if (!reading::ReadableLevel(fields)) {
    firstProtocol = fields.protocol;  // as info tells it: the protocol that stopped the reading
    throw StopPass{};
  }
  PassLevel& level = levels.emplace_back();
  level.protocol = fields.protocol;
  level.maxClients = fields.maxClients;
  level.levelName = std::string(fields.levelName);
  level.models.assign(1, std::string());
  fields.models.ForEach([&level](std::string_view name) { level.models.emplace_back(name); });
}

bool LevelTrack::Time(float seconds) {
  if (!std::isfinite(seconds)) return false;
  PassLevel& level = Current();
  if (!level.timeSeen) level.firstTime = seconds;
  level.timeSeen = true;
  level.lastTime = seconds;
  ++level.frames;
  return true;
}

PassLevel& LevelTrack::Current() {
  if (levels.empty()) levels.emplace_back();
  return levels.back();
}

std::unique_ptr<InputFile> OpenDemo(const std::string& path, std::string& openError) {
  if (KindOf(path) == FileKind::Other) {
    openError = "is not a file";
    return nullptr;
  }
  auto file = std::make_unique<InputFile>(path);
  if (!file->IsOpen()) {
    openError = "doesn't exist or cannot be read";
    return nullptr;
  }
  return file;
}

}  // namespace cw
