#include "result_reader.h"

#include <fstream>
#include <iterator>

#include "refilm/message_loop.h"
#include "stream/block.h"
#include "stream/demo_walk.h"
#include "stream_fixture.h"

namespace cw::test {

ResultDemo ReadResultDemo(const std::string& path, int cameraEntity) {
  ResultDemo result;
  {
    std::ifstream whole(path, std::ios::binary);
    result.bytes.assign(std::istreambuf_iterator<char>(whole), std::istreambuf_iterator<char>());
  }
  result.firstLine = result.bytes.substr(0, result.bytes.find('\n') + 1);

  auto context = QuietContext();
  context->entities.Reference(cameraEntity);
  std::ifstream source(path, std::ios::binary);
  Vec3 angles{};
  DemoWalk walk(source, angles);
  CBlock input;
  CBlock output;
  while (walk.Next(input)) {
    const int cameraPoints = context->entities.PointCount(cameraEntity);
    MessageLoop(*context, input, output);
    if (context->entities.PointCount(cameraEntity) > cameraPoints) {
      result.camera.push_back(*context->entities.LatestPoint(cameraEntity));
    }
    result.viewAngles.push_back(angles);
    result.times.push_back(context->run.demoTime);
    result.messages.emplace_back(reinterpret_cast<const char*>(input.Data()), static_cast<std::size_t>(input.Length()));
    ++result.blocks;
  }
  result.parsedCleanly = !walk.Damaged() && !context->run.streamProblems;
  return result;
}

const TrackPoint* CameraAt(const ResultDemo& result, float time) {
  for (const TrackPoint& point : result.camera) {
    if (point.time >= time) return &point;
  }
  return nullptr;
}

int FindBlock(const ResultDemo& result, std::string_view bytes, int from) {
  for (int i = from; i < static_cast<int>(result.messages.size()); ++i) {
    if (result.messages[static_cast<std::size_t>(i)].find(bytes) != std::string::npos) return i;
  }
  return -1;
}

}  // namespace cw::test
