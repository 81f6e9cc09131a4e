#include "film/film_setup.h"

#include <cstdlib>
#include <filesystem>

namespace cw {
namespace {

namespace fs = std::filesystem;

std::string Variable(const Environment& environment, std::string_view name) {
  const std::optional<std::string> value = environment(name);
  return value ? *value : std::string();
}

bool IsFolder(const fs::path& path) {
  std::error_code error;
  return fs::is_directory(path, error);
}

// The id1 folder of a Quake folder, or the folder itself when it is one:
// game data has its graphics in gfx.wad or in a pak file.
std::string Id1Folder(const std::string& folder) {
  if (folder.empty()) return {};
  std::error_code error;
  fs::path path = fs::absolute(fs::path(folder), error);
  if (error) return {};
  const auto holdsGame = [](const fs::path& id1) {
    std::error_code missing;
    return IsFolder(id1) && (fs::exists(id1 / "gfx.wad", missing) || fs::exists(id1 / "pak0.pak", missing));
  };
  if (holdsGame(path / "id1")) return (path / "id1").lexically_normal().string();
  if (path.filename() == "id1" && holdsGame(path)) return path.lexically_normal().string();
  return {};
}

}  // namespace

Environment ProcessEnvironment() {
  return [](std::string_view name) -> std::optional<std::string> {
    const char* value = std::getenv(std::string(name).c_str());
    if (value == nullptr) return std::nullopt;
    return std::string(value);
  };
}

bool IsExecutableFile(const std::string& path) {
  std::error_code error;
  const fs::file_status status = fs::status(path, error);
  constexpr fs::perms kExecutable = fs::perms::owner_exec | fs::perms::group_exec | fs::perms::others_exec;
  return !error && fs::is_regular_file(status) && (status.permissions() & kExecutable) != fs::perms::none;
}

std::string FindProgram(const std::string& name, const Environment& environment) {
  if (name.empty()) return {};
  if (name.find('/') != std::string::npos) return IsExecutableFile(name) ? name : std::string();
  const std::string path = Variable(environment, "PATH");
  for (std::size_t from = 0; from <= path.size();) {
    std::size_t end = path.find(':', from);
    if (end == std::string::npos) end = path.size();
    // An empty entry is the current folder, as the shell reads it.
    const std::string folder = end == from ? std::string(".") : path.substr(from, end - from);
    const std::string candidate = folder + "/" + name;
    if (IsExecutableFile(candidate)) return candidate;
    from = end + 1;
  }
  return {};
}

Found FindEngine(const std::string& given, const Environment& environment) {
  const auto named = [&environment](const std::string& program, const std::string& how) -> Found {
    const std::string path = FindProgram(program, environment);
    if (!path.empty()) return {path, {}};
    return {{}, "The engine \"" + program + "\" (" + how + ") is no program that can be run."};
  };
  if (!given.empty()) return named(given, "--engine");
  const std::string fromEnvironment = Variable(environment, "CAMWRIGHT_ENGINE");
  if (!fromEnvironment.empty()) return named(fromEnvironment, "CAMWRIGHT_ENGINE");
  std::string path = FindProgram("quakespasm", environment);
  if (path.empty() && IsExecutableFile("/usr/games/quakespasm")) path = "/usr/games/quakespasm";
  if (!path.empty()) return {path, {}};
  return {{},
          "No Quake engine is installed: install Debian's quakespasm package (apt-get install quakespasm), "
          "or name an engine with --engine PROGRAM or CAMWRIGHT_ENGINE."};
}

Found FindGameData(const std::string& given, const Environment& environment) {
  const auto named = [](const std::string& folder, const std::string& how) -> Found {
    const std::string id1 = Id1Folder(folder);
    if (!id1.empty()) return {id1, {}};
    return {{},
            "The folder \"" + folder + "\" (" + how + ") holds no Quake game data: name the folder that holds id1/."};
  };
  if (!given.empty()) return named(given, "--game");
  const std::string fromEnvironment = Variable(environment, "QUAKE_DIR");
  if (!fromEnvironment.empty()) return named(fromEnvironment, "QUAKE_DIR");
  const std::string debian = Id1Folder(kDebianGameFolder);
  if (!debian.empty()) return {debian, {}};
  return {{},
          "No Quake game data: name the folder that holds id1/ with --game DIR or QUAKE_DIR (Debian's "
          "game-data-packager installs the game in " +
              std::string(kDebianGameFolder) + ")."};
}

Found FindVirtualDisplay(const Environment& environment) {
  const std::string wrapper = FindProgram("xvfb-run", environment);
  const bool authority = !FindProgram("xauth", environment).empty();
  if (!wrapper.empty() && authority) return {wrapper, {}};
  return {{},
          "There is no display to draw on and no virtual one: install Debian's xvfb and xauth packages "
          "(apt-get install xvfb xauth)."};
}

Found FindEncoder(const Environment& environment) {
  const std::string ffmpeg = FindProgram("ffmpeg", environment);
  if (!ffmpeg.empty()) return {ffmpeg, {}};
  return {{},
          "Videos are encoded by ffmpeg, which is not installed: install Debian's ffmpeg package (apt-get install "
          "ffmpeg)."};
}

std::string FindPlayProgram(const Environment& environment) {
  if (IsExecutableFile("play")) return "./play";
  const std::string path = FindProgram("play", environment);
  if (path.empty()) return {};
  std::error_code error;
  const fs::path real = fs::canonical(path, error);
  if (!error && real.filename() == "sox") return {};
  return path;
}

bool HasDisplay(const Environment& environment) { return !Variable(environment, "DISPLAY").empty(); }

Found ChooseDisplay(const Environment& environment) {
  Found virtualDisplay = FindVirtualDisplay(environment);
  if (!virtualDisplay.path.empty() || !HasDisplay(environment)) return virtualDisplay;
  return {};
}

}  // namespace cw
