// Whole refilms of synthetic demos, read back with the parser.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "busy_run.h"
#include "recording_platform.h"
#include "result_reader.h"
#include "run/refilm_run.h"
#include "stream_fixture.h"
#include "synthetic_demo.h"

namespace cw {
namespace {

class Refilm : public ::testing::Test {
 protected:
  Refilm() {
    SyntheticDemoOptions demo;
    demo.seconds = 20;
    test::WriteSyntheticDemo(dir.Path("source.dem"), demo);
    RefilmOptions& options = context->options;
    options.sourceDemo = dir.Path("source.dem");
    options.scriptFile = dir.Path("film.cam");
    options.resultDemo = dir.Path("result.dem");
    options.generateScript = false;
    options.autoRun = true;
  }

  test::ResultDemo Film(const std::string& script) {
    dir.Write("film.cam", script);
    EXPECT_EQ(RefilmDemo(*context, platform), RunOutcome::Done);
    return test::ReadResultDemo(dir.Path("result.dem"));
  }

  using SyntheticDemoOptions = test::SyntheticDemoOptions;
  test::ScratchDir dir;
  std::unique_ptr<Context> context = std::make_unique<Context>();
  test::RecordingPlatform platform;
};

TEST_F(Refilm, StayPutsTheCameraAtItsPoint) {
  const test::ResultDemo result = Film("0 stay 100 -200 300\n0 view p\n");
  EXPECT_TRUE(result.parsedCleanly);
  EXPECT_EQ(result.firstLine, "-1\n");
  ASSERT_GT(result.camera.size(), 100u);
  for (const TrackPoint& point : result.camera) {
    EXPECT_EQ(point.x, 100.0f);
    EXPECT_EQ(point.y, -200.0f);
    EXPECT_EQ(point.z, 300.0f);
  }
}

TEST_F(Refilm, MovePassesTheQuarterPointAtAQuarterOfItsTime) {
  const test::ResultDemo result = Film("0 stay 0 0 100\n0 view p\n8 move 400 0 100\n12 end move\n");
  ASSERT_TRUE(result.parsedCleanly);
  // Each block's camera is worked out from the time of the block before it.
  const TrackPoint* quarter = test::CameraAt(result, 9.05f);
  ASSERT_NE(quarter, nullptr);
  EXPECT_NEAR(quarter->x, 100.0f, 1.0f);
  const TrackPoint* after = test::CameraAt(result, 12.5f);
  ASSERT_NE(after, nullptr);
  EXPECT_EQ(after->x, 400.0f);
}

TEST_F(Refilm, ChaseCameraFollowsThePlayer) {
  const test::ResultDemo result = Film("0 stay p~0.5 p~0.5 p+40\n0 view p\n");
  ASSERT_TRUE(result.parsedCleanly);
  const TrackPoint* early = test::CameraAt(result, 3.0f);
  const TrackPoint* late = test::CameraAt(result, 15.0f);
  ASSERT_TRUE(early && late);
  EXPECT_NE(early->x + early->y, late->x + late->y);  // the camera walked with the player
}

TEST_F(Refilm, RemovedMessagesAreGoneAndInjectedOnesStay) {
  const test::ResultDemo result = Film("0 stay 0 0 0\n5 text print \"from the script\\n\"\n");
  ASSERT_TRUE(result.parsedCleanly);
  EXPECT_EQ(result.bytes.find("You got the shells"), std::string::npos);
  EXPECT_EQ(result.bytes.find("Keep walking"), std::string::npos);
  EXPECT_EQ(result.bytes.find(std::string("bf\n\0", 4)), std::string::npos);
  EXPECT_NE(result.bytes.find("from the script\n"), std::string::npos);
  EXPECT_NE(result.bytes.find("r_drawviewmodel 0\n"), std::string::npos);
}

TEST_F(Refilm, MessagesStayWhenTheirRemovalIsOff) {
  context->options.removePrint = context->options.removeCenterprint = context->options.removeStufftext = false;
  const test::ResultDemo result = Film("");
  EXPECT_NE(result.bytes.find("You got the shells"), std::string::npos);
  EXPECT_NE(result.bytes.find("Keep walking"), std::string::npos);
}

TEST_F(Refilm, NoBlockShowsTheRecordingPlayersAnglesOrRoll) {
  const test::ResultDemo result = Film("0 stay 0 0 500\n0 view 0 0 0\n");
  ASSERT_TRUE(result.parsedCleanly);
  // Straight down from 500 units above: pitch 90.0456, roll 0, in every block.
  for (std::size_t i = 1; i + 1 < result.viewAngles.size(); ++i) {
    EXPECT_NEAR(result.viewAngles[i][0], 90.0456f, 0.001f) << "block " << i;
    EXPECT_EQ(result.viewAngles[i][2], 0.0f);
  }
}

TEST_F(Refilm, EveryOptionAndCommandWordGiveAResultThatParsesCleanly) {
  RefilmOptions& options = context->options;
  test::TurnEveryOptionOn(options);
  // Frame-rate thinning drops whole blocks, injected texts included: it has tests of its own.
  options.setFps = false;
  options.filmingBy = "Filmer";
  std::ifstream busy(std::string(CAMWRIGHT_SOURCE_DIR) + "/tests/data/busy.cam");
  const std::string script((std::istreambuf_iterator<char>(busy)), std::istreambuf_iterator<char>());
  ASSERT_FALSE(script.empty());
  const test::ResultDemo result = Film(script);
  EXPECT_TRUE(result.parsedCleanly);
  EXPECT_NE(result.bytes.find("Run by Runner\nFilming by Filmer\n"), std::string::npos);
  EXPECT_NE(result.bytes.find("playdemo next.dem\n"), std::string::npos);
  EXPECT_NE(result.bytes.find("alias subtitle echo \"a \"quoted\" subtitle\";\nprint_subtitle\n"), std::string::npos);
  EXPECT_NE(result.bytes.find("v_cshift 255 0 0 60 \n"), std::string::npos);
}

}  // namespace
}  // namespace cw

namespace cw {
namespace {

TEST(ExampleFilm, TheExampleScriptUsesEveryWordAndRefilmsTheExampleDemo) {
  const std::string source = std::string(CAMWRIGHT_SOURCE_DIR) + "/examples/example.cam";
  std::ifstream in(source);
  const std::string script((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  for (const char* word : {" stay ", " move ", " cut ", " view ", " turn ", " pan ", " roll ", " lean ", " palette ",
                           " fade ", " text ", " subtitle ", " sound ", " eyes ", " end "}) {
    EXPECT_NE(script.find(word), std::string::npos) << word;
  }

  test::ScratchDir dir;
  const std::string maker = std::string(CAMWRIGHT_BINARY_DIR) + "/examples/make-example-demo";
  ASSERT_EQ(std::system((maker + " '" + dir.Path("example.dem") + "' >/dev/null").c_str()), 0);
  auto context = std::make_unique<Context>();
  context->options.sourceDemo = dir.Path("example.dem");
  context->options.scriptFile = source;
  context->options.resultDemo = dir.Path("result.dem");
  context->options.generateScript = false;
  context->options.autoRun = true;
  test::RecordingPlatform platform;
  ASSERT_EQ(RefilmDemo(*context, platform), RunOutcome::Done);
  const test::ResultDemo result = test::ReadResultDemo(dir.Path("result.dem"));
  EXPECT_TRUE(result.parsedCleanly);
  EXPECT_NE(result.bytes.find("The Box of Rooms"), std::string::npos);
  // The opening shot stands in the hall's corner.
  const TrackPoint* opening = test::CameraAt(result, 2.0f);
  ASSERT_NE(opening, nullptr);
  EXPECT_EQ(opening->x, -480.0f);
}

// The example demo reaches its intermission: with a generated script and the
// default options, the exit time is printed once, 1.7 s ahead of it, and from
// it the view darkens until the result ends 5 s later.
TEST(ExampleFilm, GeneratedFilmPrintsTheExitTimeAndFadesOutAfterTheIntermission) {
  test::ScratchDir dir;
  const std::string maker = std::string(CAMWRIGHT_BINARY_DIR) + "/examples/make-example-demo";
  ASSERT_EQ(std::system((maker + " '" + dir.Path("example.dem") + "' >/dev/null").c_str()), 0);
  std::filesystem::copy_file(std::string(CAMWRIGHT_SOURCE_DIR) + "/examples/cwbox.log", dir.Path("cwbox.log"));
  test::InFolder inside(dir.Root());
  auto context = std::make_unique<Context>();
  context->options.sourceDemo = "example.dem";
  context->options.scriptFile = "temp.cam";
  context->options.resultDemo = "result.dem";
  context->options.autoRun = true;
  test::RecordingPlatform platform;
  ASSERT_EQ(RefilmDemo(*context, platform), RunOutcome::Done);
  const test::ResultDemo result = test::ReadResultDemo("result.dem");
  ASSERT_TRUE(result.parsedCleanly);

  // The intermission, followed by the view from the player.
  const int exit = test::FindBlock(result, std::string("\x1e\x05\x01\x00", 4));
  ASSERT_GT(exit, 0);
  const float exitTime = result.times[static_cast<std::size_t>(exit)];
  const int printed = test::FindBlock(result, "Exact exit time was ");
  ASSERT_GT(printed, 0);
  EXPECT_NE(result.messages[static_cast<std::size_t>(printed)].find("Exact exit time was 2:30.00000\n"),
            std::string::npos);
  EXPECT_GT(result.times[static_cast<std::size_t>(printed)], exitTime - 1.7f);
  EXPECT_LE(result.times[static_cast<std::size_t>(printed) - 1], exitTime - 1.7f);
  EXPECT_EQ(test::FindBlock(result, "Exact exit time was ", printed + 1), -1);

  // The tint's strength grows by 51 a second, truncated, block by block.
  auto strength = [&](int block) {
    const std::string& messages = result.messages[static_cast<std::size_t>(block)];
    const std::size_t at = messages.find("v_cshift 0 0 0 ");
    return at == std::string::npos ? -1 : std::atoi(messages.c_str() + at + 15);
  };
  EXPECT_EQ(strength(exit - 1), -1);
  EXPECT_EQ((std::vector<int>{strength(exit), strength(exit + 1), strength(exit + 2), strength(exit + 3)}),
            (std::vector<int>{0, 2, 5, 7}));
  const int last = result.blocks - 2;  // the final block follows
  EXPECT_EQ(strength(last), 255);
  EXPECT_GE(result.times[static_cast<std::size_t>(last)], exitTime + 5);
  EXPECT_LT(result.times[static_cast<std::size_t>(last) - 1], exitTime + 5);
}

}  // namespace
}  // namespace cw
