#include "map/map_loading.h"

#include "map/game_folder.h"

namespace cw {

bool LoadSolidSpace(const std::string& quakeDir, const std::string& mapName, SolidSpace& space, std::string& error) {
  const GameFile map = FindGameFile(quakeDir, mapName);
  if (!map.found) {
    error = map.error;
    return false;
  }
  std::string why;
  if (!space.Read(map.bytes, why)) {
    error = map.where + ": " + why;
    return false;
  }
  return true;
}

}  // namespace cw
