#pragma once
// Where the pieces of a film are: the engine, the game data, the virtual
// display and the encoder. Each is looked for as a user would name it, and
// a piece that is missing is one sentence naming what mends it.

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace cw {

// How an environment variable is read; tests hand in their own.
using Environment = std::function<std::optional<std::string>(std::string_view name)>;
// This process's environment.
Environment ProcessEnvironment();

// A program as the shell finds it: a name with a slash as it stands, a
// plain name in the folders of PATH. Empty when there is no executable file.
std::string FindProgram(const std::string& name, const Environment& environment);

// Whether `path` is an executable file (through symbolic links).
bool IsExecutableFile(const std::string& path);

struct Found {
  std::string path;     // what was found; empty when nothing was
  std::string problem;  // why nothing was, naming what mends it
};

// The engine: `given` (--engine), else CAMWRIGHT_ENGINE, else QuakeSpasm
// along PATH or where Debian's package puts it.
Found FindEngine(const std::string& given, const Environment& environment);

// The game's id1 folder: under `given` (--game) or QUAKE_DIR, either of
// which may also name the id1 folder itself; without either, under the
// folder where Debian's game-data-packager installs the game.
Found FindGameData(const std::string& given, const Environment& environment);

// The wrapper that runs a program on a virtual display of its own.
Found FindVirtualDisplay(const Environment& environment);

// The encoder of videos.
Found FindEncoder(const Environment& environment);

// Whether a window can be shown: an X display is named.
bool HasDisplay(const Environment& environment);

// Where the engine draws: on a virtual display of its own when Xvfb is
// installed (the same pictures wherever it runs, and no window in the
// way), else on the display at hand (`path` empty).
Found ChooseDisplay(const Environment& environment);

// The program "play" that a user provides to play results: an executable of
// that name in the current folder, else the first along PATH. The play that
// Debian's sox package installs (a link to sox, which plays sound files) is
// none. Empty when there is none.
std::string FindPlayProgram(const Environment& environment);

inline constexpr const char* kDebianGameFolder = "/usr/share/games/quake";

}  // namespace cw
