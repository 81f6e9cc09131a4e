// The entity the result is seen through: 449, unless the demo has its own 449.

#include <gtest/gtest.h>

#include "base/protocol.h"
#include "recording_platform.h"
#include "refilm/demo_survey.h"
#include "run/refilm_run.h"
#include "shared_demos.h"
#include "stream_fixture.h"

namespace cw {
namespace {

using Used = std::bitset<kEntityNumberSpace>;

TEST(CameraEntity, Is449WhenTheDemoLeavesItFree) {
  Used used;
  used.set(1).set(448).set(450).set(838);
  EXPECT_EQ(ChooseCameraEntity(used), 449);
}

TEST(CameraEntity, TakesTheHighestFreeNumberBelowTheClientsLimit) {
  Used used;
  used.set(449).set(599).set(598);
  EXPECT_EQ(ChooseCameraEntity(used), 597);
}

TEST(CameraEntity, TakesTheLowestFreeNumberFrom600WhenAllBelowAreTaken) {
  Used used;
  for (int i = 0; i < 700; ++i) used.set(static_cast<std::size_t>(i));
  used.set(9000);
  EXPECT_EQ(ChooseCameraEntity(used), 700);
  used.reset(650);
  EXPECT_EQ(ChooseCameraEntity(used), 650);
}

TEST(CameraEntity, BaselinesAndUpdatesCountAsUse) {
  test::ScratchDir dir;
  test::Bytes block = {22, 0xC1, 0x01, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};  // baseline of 449
  dir.Write("a.dem", test::MakeDemo("-1\n", {block}));
  EXPECT_TRUE(SurveyDemo(dir.Path("a.dem")).used.test(449));
  dir.Write("b.dem", test::MakeDemo("-1\n", {{0x81, 0x40, 0x58, 0x02}}));  // update of 600
  EXPECT_TRUE(SurveyDemo(dir.Path("b.dem")).used.test(600));
}

std::string Bytes(std::initializer_list<int> values) {
  std::string bytes;
  for (int v : values) bytes.push_back(static_cast<char>(v));
  return bytes;
}

TEST(CameraEntity, BigMapWithItsOwn449IsFilmedThroughAFreeNumber) {
  CW_REQUIRE_SHARED_DEMOS();
  const std::string source = test::SharedDemoDir() + "/lq_e1m4_bigblocks.dem";
  const DemoSurvey survey = SurveyDemo(source);
  ASSERT_TRUE(survey.used.test(449));
  const int camera = ChooseCameraEntity(survey.used);
  EXPECT_LT(camera, kClientEntityLimit);
  EXPECT_FALSE(survey.used.test(static_cast<std::size_t>(camera)));

  test::ScratchDir dir;
  dir.Write("film.cam", "0 stay 100 200 300\n0 view p\n");
  auto context = test::ScriptRunContext(source, dir.Path("film.cam"), dir.Path("out.dem"));
  test::RecordingPlatform platform;
  EXPECT_EQ(RefilmDemo(*context, platform), RunOutcome::Done);

  const std::string result = dir.Read("out.dem");
  const int low = camera & 0xFF;
  const int high = camera >> 8;
  // The view is set to the camera, and the camera's update follows the
  // client data at the scripted spot: x 100, y 200, z 300.
  EXPECT_NE(result.find(Bytes({svc_setview, low, high})), std::string::npos);
  EXPECT_NE(result.find(Bytes({0x9F, 0x43, low, high, 0x20, 0x03})), std::string::npos);
  EXPECT_EQ(result.find(Bytes({svc_setview, 0xC1, 0x01})), std::string::npos);
  EXPECT_EQ(result.find(Bytes({0x9F, 0x43, 0xC1, 0x01})), std::string::npos);
  EXPECT_TRUE(SurveyDemo(dir.Path("out.dem")).used.test(static_cast<std::size_t>(camera)));
}

TEST(CameraEntity, NeverTheWorldNorPastWhatAShortCarries) {
  Used used;
  for (int i = 1; i < 600; ++i) used.set(static_cast<std::size_t>(i));
  used.set(65535);  // a short of -1: one past it would be written as 0, the world
  EXPECT_EQ(ChooseCameraEntity(used), 600);
  used.reset(65535).set(32767);
  EXPECT_EQ(ChooseCameraEntity(used), 600);
  for (int i = 600; i <= 32767; ++i) used.set(static_cast<std::size_t>(i));
  EXPECT_EQ(ChooseCameraEntity(used), 0);
}

TEST(CameraEntity, ADemoThatUsesEveryNumberIsRefused) {
  test::ScratchDir dir;
  std::vector<test::Bytes> blocks;
  for (int first = 1; first <= 32767; first += 500) {
    test::Bytes block;
    for (int entity = first; entity < first + 500 && entity <= 32767; ++entity) {
      block.insert(block.end(),
                   {svc_spawnbaseline, static_cast<std::uint8_t>(entity), static_cast<std::uint8_t>(entity >> 8)});
      block.insert(block.end(), 13, 0);
    }
    blocks.push_back(block);
  }
  dir.Write("all.dem", test::MakeDemo("-1\n", blocks));
  dir.Write("film.cam", "");
  auto context = std::make_unique<Context>();
  context->options.sourceDemo = dir.Path("all.dem");
  context->options.scriptFile = dir.Path("film.cam");
  context->options.resultDemo = dir.Path("out.dem");
  context->options.generateScript = false;
  test::RecordingPlatform platform;
  EXPECT_EQ(RefilmDemo(*context, platform), RunOutcome::Refused);
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_EQ(platform.messages[0].text,
            "The source file \"" + dir.Path("all.dem") + "\" uses every entity number: none is left for the camera.");
  EXPECT_FALSE(dir.Exists("out.dem"));
}

}  // namespace
}  // namespace cw
