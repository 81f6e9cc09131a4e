// The demos of other people: every message read and written again exactly,
// and refilmed in every protocol.

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>

#include "base/protocol.h"
#include "busy_run.h"
#include "camera/coord.h"
#include "recording_platform.h"
#include "refilm/message_loop.h"
#include "result_reader.h"
#include "run/refilm_run.h"
#include "shared_demos.h"
#include "stream/block.h"
#include "stream/demo_walk.h"
#include "stream_fixture.h"

namespace cw {
namespace {

using test::Bytes;

// What the stream step adds even with every edit off: the camera's baseline
// and console texts before signon stage 2, in the encodings of the level.
Bytes CameraSignon(const StreamState& stream) {
  auto context = test::QuietContext();
  context->stream = stream;
  Bytes out = test::RunMessages(*context, {svc_signonnum, 2});
  out.resize(out.size() - 2);
  return out;
}

// Removes the first occurrence of `piece` that stands between `before` and `after`.
void RemoveBetween(Bytes& bytes, const Bytes& before, const Bytes& piece, const Bytes& after) {
  Bytes whole = before;
  whole.insert(whole.end(), piece.begin(), piece.end());
  whole.insert(whole.end(), after.begin(), after.end());
  const auto at = std::search(bytes.begin(), bytes.end(), whole.begin(), whole.end());
  if (at == bytes.end()) return;
  const auto from = at + static_cast<std::ptrdiff_t>(before.size());
  bytes.erase(from, from + static_cast<std::ptrdiff_t>(piece.size()));
}

int ProtocolOfFolder(const std::string& path) {
  if (path.find("/fitzquake666/") != std::string::npos) return kProtocolFitzQuake;
  if (path.find("/other-protocols/") != std::string::npos) return kProtocolRmq;
  return kProtocolVersion;
}

// Every block comes out as it went in, but for what the camera adds at each
// level's signon and after its intermission.
void ExpectWrittenAgain(const std::string& path) {
  SCOPED_TRACE(path);
  auto context = test::QuietContext();
  std::ifstream source(path, std::ios::binary);
  Vec3 angles{};
  DemoWalk walk(source, angles);
  CBlock input;
  CBlock output;
  int blocks = 0;
  int differing = 0;
  while (walk.Next(input)) {
    ASSERT_FALSE(walk.Cut());
    const Bytes in(input.Data(), input.Data() + input.Length());
    ProcessBlock(*context, input, output);
    ASSERT_EQ(input.Position(), input.Length());
    Bytes out = test::BlockBytes(output);
    if (out != in) {
      ++differing;
      RemoveBetween(out, {}, CameraSignon(context->stream), {svc_signonnum, 2});
      RemoveBetween(out, {svc_intermission}, {svc_setview, 1, 0}, {});
      if (out != in) {
        auto diff = std::mismatch(out.begin(), out.end(), in.begin(), in.end());
        ADD_FAILURE() << "block " << blocks << " sizes " << out.size() << " " << in.size() << " first difference at "
                      << (diff.first - out.begin());
      }
    }
    ++blocks;
  }
  EXPECT_GT(blocks, 100);
  EXPECT_GE(context->parser.levelsSeen, 1);
  EXPECT_LE(differing, 2 * context->parser.levelsSeen);
  EXPECT_FALSE(context->run.streamProblems);
  EXPECT_EQ(context->parser.protocol, ProtocolOfFolder(path));
}

TEST(RealDemos, EveryBlockIsWrittenAgainByteForByte) {
  CW_REQUIRE_SHARED_DEMOS();
  for (const std::string& path : test::Protocol15Demos()) ExpectWrittenAgain(path);
}

TEST(RealDemos, EveryBlockOfProtocols666And999IsWrittenAgainByteForByte) {
  CW_REQUIRE_SHARED_DEMOS();
  const std::vector<std::string> demos = test::OtherProtocolDemos();
  EXPECT_EQ(demos.size(), 8u);
  for (const std::string& path : demos) ExpectWrittenAgain(path);
}

// The chase camera of a generated script, and a script of every command word
// with every option: both done, with no problem in the stream.
TEST(RealDemos, OtherProtocolsAreRefilmedWithTheChaseCameraAndEveryCommandWord) {
  CW_REQUIRE_SHARED_DEMOS();
  test::ScratchDir dir;
  test::InFolder inside(dir.Root());
  for (const std::string& path : test::OtherProtocolDemos()) {
    for (const bool busy : {false, true}) {
      SCOPED_TRACE(path + (busy ? " busy" : " chase"));
      auto context = std::make_unique<Context>();
      if (busy) test::TurnEveryOptionOn(context->options);
      context->options.sourceDemo = path;
      context->options.resultDemo = "out.dem";
      context->options.scriptFile = busy ? std::string(CAMWRIGHT_SOURCE_DIR) + "/tests/data/busy.cam" : "temp.cam";
      context->options.generateScript = !busy;
      context->options.autoRun = true;
      test::RecordingPlatform platform;
      EXPECT_EQ(RefilmDemo(*context, platform), RunOutcome::Done);
      EXPECT_TRUE(test::ReadResultDemo("out.dem").parsedCleanly);
    }
  }
}

// A camera standing still and looking at the player, as the result carries
// it: the script's spot, and the angles toward the player's latest position,
// within a step of the protocol's angles (bytes in 666, shorts in this 999
// demo, whose coordinates are longs).
TEST(RealDemos, AFixedCameraInProtocols666And999LooksAtThePlayer) {
  CW_REQUIRE_SHARED_DEMOS();
  struct Film {
    std::string demo;
    Vec3 spot;
    float angleStep;
  };
  const Film films[] = {
      {"fitzquake666/lq_medusaspeedrun.dem", {-250, -283, 70}, 1.41f},
      {"other-protocols/rmq999_qfm_e1m3.dem", {-1573, 352, -100}, 0.01f},
  };
  test::ScratchDir dir;
  for (const Film& film : films) {
    SCOPED_TRACE(film.demo);
    dir.Write("fixed.cam", "0 stay " + std::to_string(film.spot[0]) + " " + std::to_string(film.spot[1]) + " " +
                               std::to_string(film.spot[2]) + "\n0 view p\n");
    auto context =
        test::ScriptRunContext(test::SharedDemoDir() + "/" + film.demo, dir.Path("fixed.cam"), dir.Path("out.dem"));
    test::RecordingPlatform platform;
    ASSERT_EQ(RefilmDemo(*context, platform), RunOutcome::Done);

    const int camera = context->edits.cameraEntity;
    auto result = test::QuietContext();
    result->entities.Reference(camera);
    result->entities.Reference(kPlayerEntity);
    result->director.eyesEntity = camera;  // its angles come to the director
    std::ifstream in(dir.Path("out.dem"), std::ios::binary);
    Vec3 angles{};
    DemoWalk walk(in, angles);
    CBlock input;
    CBlock output;
    int checked = 0;
    while (walk.Next(input)) {
      // A block's camera looks at the player as the blocks before it left him.
      const TrackPoint* seen = result->entities.LatestPoint(kPlayerEntity);
      const Vec3 player = seen ? Vec3{seen->x, seen->y, seen->z} : film.spot;
      const int before = result->entities.PointCount(camera);
      MessageLoop(*result, input, output);
      if (seen == nullptr || result->entities.PointCount(camera) == before) continue;
      const TrackPoint& spot = *result->entities.LatestPoint(camera);
      EXPECT_EQ((Vec3{spot.x, spot.y, spot.z}), film.spot);
      Vec3 toward{0, 0, 0};
      LookAt(player, film.spot, toward);
      for (const int axis : {kPitch, kYaw}) {
        const auto i = static_cast<std::size_t>(axis);
        EXPECT_LE(std::fabs(std::remainder(result->director.cameraAngles[i] - toward[i], 360.0f)), film.angleStep);
      }
      ++checked;
    }
    EXPECT_FALSE(result->run.streamProblems);
    EXPECT_GT(checked, 1000);
  }
}

}  // namespace
}  // namespace cw
