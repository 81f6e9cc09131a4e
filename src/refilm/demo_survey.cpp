#include "refilm/demo_survey.h"

#include <memory>

#include "refilm/message_loop.h"
#include "refilm/refilm_context.h"
#include "stream/block.h"
#include "stream/demo_files.h"

namespace cw {

DemoSurvey SurveyDemo(const std::string& path) {
  DemoSurvey survey;
  InputFile file(path);
  std::istream& source = file.Stream();
  SkipFirstLine(source);

  auto scratch = std::make_unique<RefilmContext>();
  scratch->options.removePrint = scratch->options.removeStufftext = scratch->options.removeCenterprint = false;
  CBlock input;
  CBlock output;
  Vec3 angles{};
  for (input.ReadFrom(source, angles); !input.IsEndMarker(); input.ReadFrom(source, angles)) {
    MessageLoop(*scratch, input, output);
    if (survey.protocol == 0 && scratch->parser.serverInfoSeen) {
      survey.protocol = scratch->parser.protocol;
      survey.worldModel = scratch->parser.modelNames[1];
      if (survey.protocol != kProtocolVersion) break;
    }
  }
  survey.used = scratch->entities.used;
  return survey;
}

int ChooseCameraEntity(const std::bitset<kEntityNumberSpace>& used) {
  auto unused = [&used](int entity) { return !used.test(static_cast<std::size_t>(entity)); };
  if (unused(kCameraEntity)) return kCameraEntity;
  for (int entity = kClientEntityLimit - 1; entity > 0; --entity) {
    if (unused(entity)) return entity;
  }
  for (int entity = kClientEntityLimit; entity <= kHighestEntity; ++entity) {
    if (unused(entity)) return entity;
  }
  return 0;
}

}  // namespace cw
