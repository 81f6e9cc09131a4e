// Protocols 666 and 999 through the refilm: each width of 999 read and
// written, levels of different protocols and with an exit each, and
// entities past the original limits.

#include <gtest/gtest.h>

#include <cmath>

#include "base/protocol.h"
#include "demo_builder.h"
#include "recording_platform.h"
#include "refilm/stream_edits.h"
#include "result_reader.h"
#include "run/refilm_run.h"
#include "stream_fixture.h"

namespace cw {
namespace {

using test::Bytes;
using test::MessageBytes;
namespace wire = test::wire;

Bytes Of(const MessageBytes& m) { return m.Bytes(); }

// Reads `bytes` as a level of `stream`, following `entity` and looking
// through its eyes: its latest position and its angles.
std::pair<Vec3, Vec3> Read(const StreamState& stream, const Bytes& bytes, int entity) {
  auto context = test::QuietContext();
  context->stream = stream;
  context->entities.Reference(entity);
  context->director.eyesEntity = entity;
  test::RunMessages(*context, bytes);
  EXPECT_FALSE(context->run.streamProblems);
  const TrackPoint* point = context->entities.LatestPoint(entity);
  if (point == nullptr) return {};
  return {{point->x, point->y, point->z}, context->director.cameraAngles};
}

void ExpectNear(const Vec3& got, const Vec3& expected, float tolerance, bool angles) {
  for (std::size_t axis = 0; axis < 3; ++axis) {
    const float off = got[axis] - expected[axis];
    EXPECT_LE(std::fabs(angles ? std::remainder(off, 360.0f) : off), tolerance + 1e-3f) << "axis " << axis;
  }
}

// Float coordinates and angles may carry NaN or infinity: the followed
// entity keeps its last finite place, the eyes their last finite angles, and
// the run counts a stream problem.
TEST(Protocols, NotFiniteCoordinatesLeaveTheCameraWhereItWas) {
  StreamState stream;
  stream.protocol = 999;
  stream.protocolFlags = PRFL_FLOATCOORD | PRFL_FLOATANGLE;
  const test::Encoding encoding{999, stream.protocolFlags};
  test::EntityUpdate good;
  good.entity = 838;
  for (std::size_t axis = 0; axis < 3; ++axis) {
    good.origin[axis] = 10.0f * static_cast<float>(axis + 1);
    good.angles[axis] = 5.0f * static_cast<float>(axis + 1);
  }
  for (const float bad : {std::nanf(""), INFINITY, -INFINITY}) {
    for (std::size_t axis = 0; axis < 3; ++axis) {
      SCOPED_TRACE(testing::Message() << bad << " on axis " << axis);
      test::EntityUpdate wrong = good;
      wrong.origin[axis] = bad;
      wrong.angles[axis] = bad;
      auto context = test::QuietContext();
      context->stream = stream;
      context->entities.Reference(838);
      context->director.eyesEntity = 838;
      test::RunMessages(*context, Of(MessageBytes(encoding).EntityUpdateMessage(good).EntityUpdateMessage(wrong)));
      EXPECT_TRUE(context->run.streamProblems);
      const TrackPoint* point = context->entities.LatestPoint(838);
      ASSERT_NE(point, nullptr);
      ExpectNear({point->x, point->y, point->z}, {10, 20, 30}, 0, false);
      ExpectNear(context->director.cameraAngles, {5, 10, 15}, 0, true);
    }
  }
}

// An entity's update read, and the camera's written and read back, in each
// width: within one step of the width (x is kept in whole units).
TEST(Protocols, EachWidthIsReadAndTheCameraWrittenInIt) {
  struct Case {
    int protocol;
    std::uint32_t flags;
    Vec3 origin, angles;
    float coordStep, angleStep;
  };
  const Case cases[] = {
      {666, 0, {-1000.5f, 1234.25f, 77.125f}, {45, 270, 5.625f}, 0.125f, 1.41f},
      {999, 0, {-1000.5f, 1234.25f, 77.125f}, {45, 270, 5.625f}, 0.125f, 1.41f},
      {999, PRFL_24BITCOORD | PRFL_SHORTANGLE, {-5000.6f, 20000.2f, 77.4f}, {-30.5f, 200.25f, 1}, 1 / 255.0f, 0.006f},
      {999, PRFL_FLOATCOORD | PRFL_FLOATANGLE, {-12345.678f, 0.001f, 99999.5f}, {33.3f, -77.7f, 400}, 0, 0},
      {999, PRFL_INT32COORD | PRFL_SHORTANGLE, {-40000.3f, 1.97f, 5.5f}, {10, 350, 180}, 1 / 16.0f, 0.006f},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.protocol) + " flags " + std::to_string(c.flags));
    StreamState stream;
    stream.protocol = c.protocol;
    stream.protocolFlags = c.flags;
    const Vec3 kept = {std::trunc(c.origin[0]), c.origin[1], c.origin[2]};
    test::EntityUpdate update;
    update.entity = 838;
    for (std::size_t axis = 0; axis < 3; ++axis) {
      update.origin[axis] = c.origin[axis];
      update.angles[axis] = c.angles[axis];
    }
    const auto [origin, angles] =
        Read(stream, Of(MessageBytes(test::Encoding{c.protocol, c.flags}).EntityUpdateMessage(update)), 838);
    ExpectNear(origin, kept, c.coordStep, false);
    ExpectNear(angles, c.angles, c.angleStep, true);

    auto writer = test::QuietContext();
    writer->stream = stream;
    writer->edits.cameraEntity = 9000;
    writer->director.cameraOrigin = c.origin;
    writer->director.cameraAngles = c.angles;
    CBlock out;
    WriteCameraBaseline(*writer, out);
    WriteCameraUpdate(*writer, out);
    const auto [camera, view] = Read(stream, test::BlockBytes(out), 9000);
    ExpectNear(camera, kept, c.coordStep, false);
    ExpectNear(view, c.angles, c.angleStep, true);
  }
}

TEST(Protocols, EachProtocolReadsOnlyItsOwnMessages) {
  struct Case {
    int protocol;
    Bytes message;
    bool damaged;
  };
  const Case cases[] = {
      {15, {37, 's', 0}, true},         // svc_skybox
      {15, {42, 1, 0, 0}, true},        // svc_spawnbaseline2
      {15, {21}, false},                // svc_spawnbinary
      {666, {21}, true},                // which the engines of FitzQuake's family refuse
      {666, {38, 0}, true},             // a message of the re-release that no engine here reads
      {666, {4, 0x0A, 0, 0, 0}, true},  // svc_version of protocol 10
      {15, {0x81, 0x80, 5}, false},     // bit 15 of an update: no byte follows in protocol 15
      {666, {0x81, 0x80, 5}, true},     // but in 666 a third flag byte does, and the block is cut
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.protocol) + " type " + std::to_string(c.message[0]));
    auto context = test::QuietContext();
    context->stream.protocol = c.protocol;
    EXPECT_EQ(test::RunMessages(*context, c.message), c.message);
    EXPECT_EQ(context->run.streamProblems, c.damaged);
  }
}

TEST(Protocols, ClientDataEditsFindTheirBytesBehindTheExtensionBytes) {
  test::ClientData data;
  data.viewHeight = 22;
  data.velocity[2] = 9;
  data.weaponFrame2 = 1;  // a third and fourth flag byte before the view height
  data.cells2 = 7;
  MessageBytes message(test::Encoding{wire::kFitzQuake, 0});
  message.ClientDataMessage(data);
  auto context = test::QuietContext();
  context->stream.protocol = kProtocolFitzQuake;
  context->run.refilming = true;
  Bytes expected = Of(message);
  expected[5] = 0;  // view height
  expected[6] = 0;  // velocity z
  const Bytes out = test::RunMessages(*context, Of(message));
  ASSERT_GT(out.size(), expected.size());
  EXPECT_EQ(Bytes(out.begin(), out.begin() + static_cast<std::ptrdiff_t>(expected.size())), expected);
  EXPECT_FALSE(context->run.streamProblems);
}

// A level of the demo: server info, signon with the baseline of `entity` at
// 5 6 7, then a block a second with the time, client data and `entity`'s x.
void AddLevel(test::DemoBuilder& demo, const test::ServerInfo& info, int seconds, int exitAt = 0, int entity = 1) {
  MessageBytes signon;
  signon.ServerInfoMessage(info).SignonNum(1).SpawnBaseline({entity, 1, 0, 0, 0, {5, 6, 7}, {}});
  demo.Block(signon.SetView(1).SignonNum(2));
  for (int second = 1; second <= seconds; ++second) {
    MessageBytes frame(test::Encoding{info.protocol, info.protocol == wire::kRmq ? info.flags : 0});
    test::EntityUpdate update;
    update.entity = entity;
    update.origin[0] = 10.0f * static_cast<float>(second);
    frame.Time(static_cast<float>(second)).ClientDataMessage({}).EntityUpdateMessage(update);
    demo.Block(second == exitAt ? frame.Intermission() : frame);
  }
}

class Levels : public ::testing::Test {
 protected:
  RunOutcome Refilm(const test::DemoBuilder& demo, const std::string& script) {
    demo.WriteFile(dir.Path("in.dem"));
    options.sourceDemo = dir.Path("in.dem");
    options.resultDemo = dir.Path("out.dem");
    options.scriptFile = dir.Path("film.cam");
    options.generateScript = script.empty();
    if (!script.empty()) dir.Write("film.cam", script);
    options.autoRun = true;
    return RefilmDemo(context, platform);
  }

  test::ScratchDir dir;
  test::InFolder inside{dir.Root()};
  Context context;
  RefilmOptions& options = context.options;
  test::RecordingPlatform platform;
};

TEST_F(Levels, EachLevelIsReadAndFilmedInItsOwnProtocol) {
  test::DemoBuilder demo;
  AddLevel(demo, {15, 1, 0, "", {"maps/a.bsp"}, {}}, 3);
  AddLevel(demo, {999, 1, 0, "", {"maps/b.bsp"}, {}, wire::kInt32Coord | wire::kShortAngle}, 3);
  AddLevel(demo, {666, 1, 0, "", {"maps/c.bsp"}, {}}, 3);
  demo.Block(MessageBytes().Disconnect());
  ASSERT_EQ(Refilm(demo, "0 stay 100 -200.25 30\n0 view p\n"), RunOutcome::Done);
  const test::ResultDemo result = test::ReadResultDemo(dir.Path("out.dem"));
  EXPECT_TRUE(result.parsedCleanly);
  ASSERT_EQ(result.camera.size(), 9u);  // every level through the camera
  for (const TrackPoint& camera : result.camera) {
    EXPECT_EQ(camera.x, 100);
    EXPECT_EQ(camera.y, -200.25f);
    EXPECT_EQ(camera.z, 30);
  }
  // The setview of each level is the camera's.
  EXPECT_EQ(result.bytes.find(std::string("\x05\x01\x00", 3)), std::string::npos);
}

TEST_F(Levels, EachLevelHasItsOwnExitTimeAndFadeOut) {
  test::DemoBuilder demo;
  AddLevel(demo, {666, 1, 0, "", {"maps/a.bsp"}, {}}, 12, 8);
  AddLevel(demo, {666, 1, 0, "", {"maps/b.bsp"}, {}}, 12, 6);
  // A zone file: the generation reads the whole demo, and learns the exits.
  dir.Write("a.log", "---START---\n1 0 0 50  -1000 -1000 -1000 1000 1000 1000 0\n---END---\n");
  ASSERT_EQ(Refilm(demo, ""), RunOutcome::Done);
  // The zones are the first map's: the second level has the chase camera.
  EXPECT_EQ(test::GeneratedBody(dir.Read("film.cam")),
            "0 view p\n0 stay 0 0 50\n0 view e1\n12 stay p~0.3 p~0.3 p+30\n");
  const test::ResultDemo result = test::ReadResultDemo(dir.Path("out.dem"));
  EXPECT_TRUE(result.parsedCleanly);
  const int first = test::FindBlock(result, "Exact exit time was 8.00000\n");
  const int second = test::FindBlock(result, "Exact exit time was 6.00000\n");
  ASSERT_GE(first, 0);
  ASSERT_GT(second, first);
  EXPECT_EQ(result.times[static_cast<std::size_t>(first)], 7);  // 1.7 s ahead of each exit
  EXPECT_EQ(result.times[static_cast<std::size_t>(second)], 5);
  // The first level darkens to its end; the second, filmed again, ends
  // dark five seconds after its own exit.
  EXPECT_GE(test::FindBlock(result, "v_cshift 0 0 0 204\n"), 0);
  EXPECT_EQ(test::FindBlock(result, "v_cshift 0 0 0 -"), -1);
  const int secondLevel = test::FindBlock(result, std::string("\x05\xC1\x01", 3), first + 1);
  EXPECT_GT(secondLevel, first);
  EXPECT_LT(secondLevel, second);
  EXPECT_EQ(result.times[result.times.size() - 2], 11);
}

TEST_F(Levels, AScriptFollowsEntity838) {
  test::DemoBuilder demo;
  AddLevel(demo, {666, 1, 0, "", {"maps/a.bsp"}, {}}, 5, 0, 838);
  ASSERT_EQ(Refilm(demo, "0 stay e838 e838 e838+16\n0 view e838\n"), RunOutcome::Done);
  const test::ResultDemo result = test::ReadResultDemo(dir.Path("out.dem"));
  ASSERT_EQ(result.camera.size(), 5u);
  // Each block's camera stands where the entity was in the block before,
  // its y and z from its baseline.
  for (std::size_t i = 1; i < result.camera.size(); ++i) {
    EXPECT_EQ(result.camera[i].x, 10.0f * static_cast<float>(i));
    EXPECT_EQ(result.camera[i].y, 6);
    EXPECT_EQ(result.camera[i].z, 23);
  }
}

}  // namespace
}  // namespace cw
