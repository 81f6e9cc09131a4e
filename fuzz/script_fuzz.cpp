// Feeds arbitrary bytes to the coordinate parser and to the script reader,
// line after line until the script ends, then lets the director run the
// commands over a few blocks.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <sstream>
#include <string>
#include <string_view>

#include "base/entity_table.h"
#include "camera/command.h"
#include "camera/coord.h"
#include "camera/director.h"
#include "camera/script_parser.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  auto entities = std::make_unique<cw::EntityTable>();

  cw::CCoord coord = cw::ParseCoord(text, *entities);
  cw::Vec3 point{0, 0, 0};
  cw::Evaluate(coord, point, *entities, 1.0f);

  cw::CommandLists lists;
  std::istringstream script(text);
  bool scriptEnded = false;
  // Each call reads at least one byte or ends the script.
  for (std::size_t calls = 0; !scriptEnded && calls <= size; ++calls) {
    cw::ParseScript(script, lists, *entities, scriptEnded);
  }
  if (!scriptEnded) __builtin_trap();

  entities->AddTrackPoint(cw::kPlayerEntity, 0.5f, 10, 20, 30);
  cw::DirectorState director;
  for (float demoTime = 0; demoTime < 20; demoTime += 0.5f) {
    cw::CameraStep(director, lists, *entities, demoTime);
    cw::RollStep(director, lists.roll, demoTime);
  }
  return 0;
}
