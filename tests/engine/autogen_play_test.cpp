// Generation and refilm of a real demo, with and without the map's camera
// disposition file, each result then played by a real engine. Needs the
// shared folder beside the clone; skipped without it.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "engine_play.h"
#include "recording_platform.h"
#include "run/context.h"
#include "run/refilm_run.h"
#include "stream_fixture.h"

namespace cw {
namespace {

namespace fs = std::filesystem;

const fs::path kSharedDir = CAMWRIGHT_SHARED_DIR;
const fs::path kSourceDir = CAMWRIGHT_SOURCE_DIR;
const fs::path kDemo = kSharedDir / "demos" / "qfm_e1m3.dem";

using test::InFolder;
using test::ReadText;

class AutogenEngine : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!fs::exists(kDemo)) GTEST_SKIP() << "no shared demos at " << kSharedDir;
    context.options.sourceDemo = kDemo.string();
    context.options.scriptFile = "auto.cam";
    context.options.resultDemo = "e1m3_auto.dem";
    context.options.generateScript = true;
    context.options.playWhenDone = false;
  }

  void RefilmAndPlay() {
    ASSERT_EQ(RefilmDemo(context, platform), RunOutcome::Done);
    ASSERT_FALSE(platform.messages.empty());
    EXPECT_EQ(platform.messages.back().caption, "Done");
    const test::EnginePlayOutcome played = test::PlayInEngine(folder.Path("e1m3_auto.dem"));
    if (played.engineMissing) GTEST_SKIP() << "no engine here: " << played.output;
    EXPECT_TRUE(played.playedToTheEnd) << played.output;
  }

  test::ScratchDir folder;
  InFolder inFolder{folder.Root()};
  Context context;
  test::RecordingPlatform platform;
};

TEST_F(AutogenEngine, FollowsThePlayerThroughTheZonesOfE1m3) {
  fs::copy_file(kSourceDir / "tests" / "data" / "e1m3.log", "e1m3.log");
  RefilmAndPlay();
  EXPECT_EQ(platform.messages.size(), 1u);  // no warning

  // The first zone holds from the start; the camera glides from the start
  // room along the corridor, cuts below the lift and round the block, glides
  // down to the cellars and cuts to the last rooms.
  EXPECT_EQ(test::GeneratedBody(ReadText("auto.cam")),
            "0 view p\n"
            "0 stay -662 -38 78\n"
            "0 view e1\n"
            "1.42778 move -53 474 54\n"
            "8.94024 end move\n"
            "8.94124 move -338 420 54\n"
            "21.0427 end move\n"
            "29.2578 stay -466 424 -10\n"
            "32.2861 stay -1047 348 -10\n"
            "32.2861 move -1280 364 -90\n"
            "35.3016 end move\n"
            "35.3026 move -2049 227 -90\n"
            "42.4252 end move\n"
            "50.0107 stay -1919 1202 -90\n"
            "59.0458 stay -1606 735 -340\n");
}

TEST_F(AutogenEngine, WithoutTheDispositionFileUsesTheChaseCamera) {
  RefilmAndPlay();
  ASSERT_EQ(platform.messages.size(), 2u);
  EXPECT_EQ(platform.messages[0].text, "No camera disposition file exists for this map. Using chasecam instead.");
  EXPECT_EQ(platform.messages[0].caption, "Warning");
  EXPECT_EQ(platform.messages[0].kind, MessageKind::Error);
  EXPECT_EQ(test::GeneratedBody(ReadText("auto.cam")), "0 view p\n0 stay p\n1.5 stay p~0.3 p~0.3 p+30\n");
}

}  // namespace
}  // namespace cw
