// Results played in a real engine (QuakeSpasm under a virtual display): a
// result is good when the engine plays it to its end.

#include "engine_play.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "busy_run.h"
#include "recording_platform.h"
#include "run/context.h"
#include "run/refilm_run.h"
#include "shared_demos.h"
#include "stream_fixture.h"

namespace cw {
namespace {

struct Film {
  const char* demo;    // in the shared demos' folder
  bool busy;           // every command word and every option, or the plain camera of an empty script
  bool chase = false;  // the chase camera of a generated script instead
  bool shots = false;  // the camera operator's words: glides, sweeps, follows, orbits
};

const char* Kind(const Film& film) {
  return film.shots ? "shots" : film.chase ? "chase" : film.busy ? "busy" : "plain";
}

// Each of the camera operator's words, at times within the short 666 demo
// (3.4 s to 5.8 s) and again within the longer ones.
constexpr const char* kShotsScript =
    "0 view p\n0 follow p 120 40\n3.6 glide p+100 p p+64\n4.2 glide p p+150 p+80\n4.8 glide p-100 p p+64\n"
    "3.8 sweep p\n4.4 sweep p+100 p p\n5 view p\n5 orbit p 150 50 2\n10 glide -600 80 120\n12 glide -300 300 140\n"
    "14 glide 0 100 160\n20 orbit p 200 64 -8\n20 sweep p+200 p p\n22 sweep p p+200 p\n24 view p\n30 follow p 96 30\n";

void PrintTo(const Film& film, std::ostream* out) { *out << film.demo << " " << Kind(film); }

class EnginePlay : public ::testing::TestWithParam<Film> {};

TEST_P(EnginePlay, ResultPlaysToItsEnd) {
  CW_REQUIRE_SHARED_DEMOS();
  const Film film = GetParam();
  test::ScratchDir dir;
  auto context = std::make_unique<Context>();
  RefilmOptions& options = context->options;
  options.sourceDemo = test::SharedDemoDir() + "/" + film.demo;
  options.resultDemo = dir.Path("result.dem");
  options.generateScript = false;
  options.autoRun = true;
  if (film.shots) {
    dir.Write("shots.cam", kShotsScript);
    options.scriptFile = dir.Path("shots.cam");
  } else if (film.chase) {
    options.generateScript = true;
    options.scriptFile = dir.Path("chase.cam");
  } else if (film.busy) {
    options.scriptFile = std::string(CAMWRIGHT_SOURCE_DIR) + "/tests/data/busy.cam";
    test::TurnEveryOptionOn(options);
    options.fps = 30;
    options.chainName = "no-such-demo";  // the game says it cannot open it, after the result has played
  } else {
    dir.Write("empty.cam", "");
    options.scriptFile = dir.Path("empty.cam");
  }
  test::RecordingPlatform platform;
  ASSERT_EQ(RefilmDemo(*context, platform), RunOutcome::Done);

  const test::EnginePlayOutcome played = test::PlayInEngine(options.resultDemo);
  if (played.engineMissing) GTEST_SKIP() << "no engine here: " << played.output;
  EXPECT_TRUE(played.playedToTheEnd) << played.output;
  std::printf("engine-play: %s", played.output.c_str());  // the frames played, for the log
}

INSTANTIATE_TEST_SUITE_P(RealDemos, EnginePlay,
                         ::testing::Values(Film{"qfm_e1m3.dem", false}, Film{"qfm_e1m4.dem", false},
                                           Film{"vektar_bg.dem", false}, Film{"qfm_e1m3.dem", true},
                                           Film{"qfm_e1m6.dem", true}, Film{"vektar_bg.dem", true},
                                           // Protocols 666 and 999, whose maps are in the shared game data.
                                           Film{"fitzquake666/lq_swampy_short.dem", false, true},
                                           Film{"fitzquake666/lq_swampy_short.dem", true},
                                           Film{"fitzquake666/lq_medusaspeedrun.dem", false, true},
                                           Film{"fitzquake666/lq_medusaspeedrun.dem", true},
                                           Film{"other-protocols/rmq999_qfm_e1m3.dem", false, true},
                                           Film{"other-protocols/rmq999_qfm_e1m3.dem", true},
                                           Film{"qfm_e1m3.dem", false, false, true},
                                           Film{"fitzquake666/lq_swampy_short.dem", false, false, true}),
                         [](const auto& param) {
                           std::string name = std::string(param.param.demo) + "_" + Kind(param.param);
                           for (char& c : name) {
                             if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                           }
                           return name;
                         });

}  // namespace
}  // namespace cw
