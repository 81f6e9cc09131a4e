#include "shared_demos.h"

#include <algorithm>
#include <filesystem>

namespace cw::test {
namespace {

std::vector<std::string> DemosIn(const std::filesystem::path& folder) {
  std::vector<std::string> names;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
    if (entry.path().extension() == ".dem") names.push_back(entry.path().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace

std::string SharedDemoDir() {
#ifdef CAMWRIGHT_SHARED_DIR
  const std::filesystem::path demos = std::filesystem::path(CAMWRIGHT_SHARED_DIR) / "demos";
  if (std::filesystem::is_directory(demos)) return demos.string();
#endif
  return {};
}

std::vector<std::string> Protocol15Demos() {
  const std::string dir = SharedDemoDir();
  return dir.empty() ? std::vector<std::string>{} : DemosIn(dir);
}

std::vector<std::string> OtherProtocolDemos() {
  const std::string dir = SharedDemoDir();
  if (dir.empty()) return {};
  std::vector<std::string> names = DemosIn(std::filesystem::path(dir) / "fitzquake666");
  for (std::string& name : DemosIn(std::filesystem::path(dir) / "other-protocols")) names.push_back(name);
  return names;
}

}  // namespace cw::test
