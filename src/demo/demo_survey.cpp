#include "demo/demo_survey.h"

#include <fstream>
#include <memory>

#include "app/context.h"
#include "demo/block.h"
#include "demo/demo_streams.h"
#include "demo/message_loop.h"

namespace cw {

DemoSurvey SurveyDemo(const std::string& path) {
  DemoSurvey survey;
  DemoInput file(path);
  std::ifstream& source = file.Stream();
  SkipFirstLine(source);

  auto scratch = std::make_unique<Context>();
  scratch->options.removePrint = scratch->options.removeStufftext = scratch->options.removeCenterprint = false;
  CBlock input;
  CBlock output;
  Vec3 angles{};
  for (input.ReadFrom(source, angles); !input.IsEndMarker(); input.ReadFrom(source, angles)) {
    MessageLoop(*scratch, input, output);
    if (survey.protocol == 0 && scratch->parser.serverInfoSeen) {
      survey.protocol = scratch->parser.protocol;
      if (survey.protocol != kProtocolVersion) break;
    }
  }
  survey.used = scratch->entities.used;
  return survey;
}

int ChooseCameraEntity(const std::bitset<kEntityNumberSpace>& used) {
  if (!used.test(kCameraEntity)) return kCameraEntity;
  for (int entity = kClientEntityLimit - 1; entity > 0; --entity) {
    if (!used.test(static_cast<std::size_t>(entity))) return entity;
  }
  int highest = kClientEntityLimit - 1;
  for (int entity = kEntityNumberSpace - 1; entity >= kClientEntityLimit; --entity) {
    if (used.test(static_cast<std::size_t>(entity))) {
      highest = entity;
      break;
    }
  }
  return highest + 1;
}

}  // namespace cw
