// camwright-cli check --demo with the game's data: the camera held against
// qfm_e1m3's walls, each finding on the line that placed the camera.

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "console/console_front.h"
#include "console/exit_status.h"
#include "shared_demos.h"
#include "stream_fixture.h"

namespace cw {
namespace {

namespace fs = std::filesystem;

bool Has(const std::string& text, const std::string& piece) { return text.find(piece) != std::string::npos; }

class CheckMap : public ::testing::Test {
 protected:
  void SetUp() override {
    CW_REQUIRE_SHARED_DEMOS();
    demo = test::SharedDemoDir() + "/qfm_e1m3.dem";
    game = (fs::path(CAMWRIGHT_SHARED_DIR) / "quake-base").string();
    if (!fs::exists(demo) || !fs::exists(fs::path(game) / "id1/maps/e1m3.bsp")) {
      GTEST_SKIP() << "no qfm_e1m3.dem or e1m3.bsp in " << CAMWRIGHT_SHARED_DIR;
    }
  }

  // The findings of `script` against the demo, with the game's data or without.
  int Check(const std::string& script, bool withGame = true) {
    dir.Write("s.cam", script);
    std::vector<std::string> words{"check", dir.Path("s.cam"), "--demo", demo};
    if (withGame) words.insert(words.end(), {"--game", game});
    std::ostringstream output, errors;
    const int status = RunConsole(words, output, errors);
    out = output.str();
    err = errors.str();
    return status;
  }
  std::string Line(int number) const { return dir.Path("s.cam") + ":" + std::to_string(number) + ": "; }

  test::ScratchDir dir;
  std::string demo;
  std::string game;
  std::string out;
  std::string err;
};

TEST_F(CheckMap, ACameraOutsideTheMapFromItsLinesTime) {
  // The example script's courtyard corner lies in e1m3's void.
  EXPECT_EQ(Check("# a spot outside\n0 stay p\n5 stay 1504 -480 288\n5 view p\n9 stay p\n"), kExitRefused);
  EXPECT_EQ(out, Line(3) + "the camera stands in solid (a wall, or the void outside the map) from 5.02 s to 9.01 s\n")
      << err;
}

TEST_F(CheckMap, ACameraInTheRoomsThePlayerRunsThroughIsNoFinding) {
  EXPECT_EQ(Check("0 stay p p p+8\n0 view p\n"), kExitDone) << out;
  EXPECT_EQ(out, "");
  // Without the game's data it says once that the walls need it.
  EXPECT_EQ(Check("5 stay 1504 -480 288\n", false), kExitDone);
  EXPECT_EQ(out, "");
  EXPECT_TRUE(Has(err, "only with the game's data"));
}

// From the player's first place into the next rooms: fast, the way leaps
// the walls between two blocks; slower, the camera stands in them, and a wall
// hides the player.
TEST_F(CheckMap, AMoveThroughAWall) {
  const std::string start = "0 stay p\n2 stay -592 80 72\n2 view p\n";
  EXPECT_EQ(Check(start + "3 move 36 -112 48\n3.02 end move\n9 stay p\n"), kExitRefused);
  EXPECT_EQ(out, Line(4) + "the camera's way passes through solid from 3.02 s to 3.04 s\n") << err;
  EXPECT_EQ(Check(start + "3 move 0 64 72\n7 end move\n9 stay p\n"), kExitRefused);
  EXPECT_EQ(out, Line(4) + "a wall hides what line 3 looks at from the camera from 4.41 s to 5.27 s\n" + Line(4) +
                     "the camera stands in solid (a wall, or the void outside the map) from 5.29 s to 6.58 s\n")
      << err;
  // The preview draws the same spans and lists them under the picture.
  std::ostringstream output, errors;
  ASSERT_EQ(RunConsole({"preview", demo, dir.Path("s.cam"), dir.Path("s.svg"), "--game", game}, output, errors),
            kExitDone)
      << errors.str();
  const std::string svg = test::ReadText(dir.Path("s.svg"));
  EXPECT_TRUE(Has(svg, "stroke=\"#ff0000\""));
  EXPECT_TRUE(Has(svg, ">" + Line(4) + "the camera stands in solid"));
  // Map coordinates along the edges, every 256 units on a map this size.
  for (const char* tick : {">-512</text>", ">-256</text>", ">0</text>", ">256</text>"})
    EXPECT_TRUE(Has(svg, tick)) << tick;
  EXPECT_FALSE(Has(svg, ">-0</text>"));
}

}  // namespace
}  // namespace cw
