// Feeds arbitrary bytes to the disposition reader, then checks what every
// reading must leave: boxes in order, symmetric links, a file name built from
// the same bytes as a world model name.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>

#include "autogen/disposition.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  std::istringstream in(text);
  cw::ZoneTables tables;
  cw::ReadDispositionFile(in, tables);

  for (const cw::CameraZone& zone : tables.zones) {
    for (int axis = 0; axis < 3; ++axis) {
      if (zone.low[axis] > zone.high[axis]) std::abort();
    }
  }
  for (std::size_t a = 0; a < tables.zoneLinks.size(); ++a) {
    for (std::size_t b = 0; b < tables.zoneLinks.size(); ++b) {
      if (tables.zoneLinks[a][b] != tables.zoneLinks[b][a]) std::abort();
    }
  }
  const std::string name = cw::DispositionFileName(text);
  if (name.size() < 4 || name.compare(name.size() - 4, 4, ".log") != 0) std::abort();
  return 0;
}
