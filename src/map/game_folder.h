#pragma once
// The game's files under a Quake folder, found as the game finds them: in
// the pak files first, then as files of their own.

#include <cstdint>
#include <string>
#include <vector>

#include "map/pak_files.h"

namespace cw {

struct GameFile {
  bool found = false;
  std::vector<std::uint8_t> bytes;
  std::string where;  // the pak file or the file it came from
  std::string error;  // why it was not found, or why a pak on the way could not be read
};

// Why a name of the game's files, as a demo or a script gives it, would
// reach outside the game folder (an absolute name, a ".." part, with either
// slash); empty when it stays inside.
std::string NameLeavingGameFolder(const std::string& name);

// A file of the game as the game finds it under a Quake folder: in the
// id1 folder's pak files, the highest-numbered first, then as a file of
// its own. `quakeDir` may also be the id1 folder itself. A name that would
// reach outside the folder is not looked up, and a file larger than
// `maxBytes` is not read: `error` says so.
GameFile FindGameFile(const std::string& quakeDir, const std::string& name, std::uint64_t maxBytes = kMaxGameFileBytes);

}  // namespace cw
