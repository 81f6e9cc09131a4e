// --keep-in-map on real demos and maps: the chase camera of each result,
// read back from the result demo, never stands in a wall, the void or the sky.

#include <gtest/gtest.h>

#include <filesystem>
#include <iostream>

#include "map/map_loading.h"
#include "recording_platform.h"
#include "refilm/demo_survey.h"
#include "result_reader.h"
#include "run/refilm_run.h"
#include "shared_demos.h"
#include "stream_fixture.h"

namespace cw {
namespace {

namespace fs = std::filesystem;

const fs::path kGame = fs::path(CAMWRIGHT_SHARED_DIR) / "quake-base";
constexpr const char* kChaseScript = "0 view p\n0 stay p\n1.5 stay p~0.3 p~0.3 p+30\n";

struct Filmed {
  int outside = 0;    // camera places of the result in a wall, the void or the sky
  int positions = 0;  // camera places of the result
  int corrected = 0;  // blocks whose camera the run moved
};

Filmed FilmChase(const std::string& source, bool keepInMap) {
  test::ScratchDir dir;
  dir.Write("chase.cam", kChaseScript);
  auto context = test::ScriptRunContext(source, dir.Path("chase.cam"), dir.Path("out.dem"));
  context->options.keepInMap = keepInMap;
  context->options.gameFolder = kGame.string();
  test::RecordingPlatform platform;
  EXPECT_EQ(RefilmDemo(*context, platform), RunOutcome::Done) << source;

  const DemoSurvey survey = SurveyDemo(source);
  EXPECT_EQ(survey.levels, 1) << source;  // one map to check against
  SolidSpace space;
  std::string error;
  EXPECT_TRUE(LoadSolidSpace(kGame.string(), survey.worldModel, space, error)) << error;
  const test::ResultDemo result = test::ReadResultDemo(dir.Path("out.dem"), ChooseCameraEntity(survey.used));
  Filmed filmed;
  filmed.corrected = context->keeping.correctedBlocks;
  for (const TrackPoint& point : result.camera) {
    ++filmed.positions;
    if (OutsideMap(space.ContentsAt({point.x, point.y, point.z}))) ++filmed.outside;
  }
  return filmed;
}

TEST(KeepInMap, NoChaseCameraOfARealDemoStandsInSolid) {
  CW_REQUIRE_SHARED_DEMOS();
  if (!fs::exists(kGame / "id1/maps")) GTEST_SKIP() << "no maps in " << kGame;
  for (const char* demo : {"qfm_e1m3.dem", "qfm_e1m4.dem", "fitzquake666/lq_swampy_short.dem"}) {
    const std::string source = test::SharedDemoDir() + "/" + demo;
    const Filmed free = FilmChase(source, false);
    const Filmed kept = FilmChase(source, true);
    EXPECT_GT(kept.positions, 100) << demo;
    EXPECT_EQ(kept.outside, 0) << demo;
    EXPECT_GE(kept.corrected, free.outside) << demo;
    std::cout << demo << ": " << kept.corrected << " blocks corrected; " << free.outside << " of " << free.positions
              << " camera places outside the map without the option\n";
  }
}

TEST(KeepInMap, IsRefusedWithoutTheGamesFolderOrTheDemosMap) {
  CW_REQUIRE_SHARED_DEMOS();
  test::ScratchDir dir;
  dir.Write("a.cam", kChaseScript);
  for (const std::string& folder : {std::string(), dir.Path("")}) {
    auto context =
        test::ScriptRunContext(test::SharedDemoDir() + "/qfm_e1m3.dem", dir.Path("a.cam"), dir.Path("out.dem"));
    context->options.keepInMap = true;
    context->options.gameFolder = folder;
    test::RecordingPlatform platform;
    EXPECT_EQ(RefilmDemo(*context, platform), RunOutcome::Refused);
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_NE(platform.messages[0].text.find(folder.empty() ? "--game DIR or QUAKE_DIR" : "e1m3.bsp"),
              std::string::npos)
        << platform.messages[0].text;
    EXPECT_FALSE(fs::exists(dir.Path("out.dem")));
  }
}

}  // namespace
}  // namespace cw
