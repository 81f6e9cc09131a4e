// Results played in a real engine (QuakeSpasm under a virtual display): a
// result is good when the engine plays it to its end.

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <regex>
#include <string>

#include "app/context.h"
#include "app/refilm_run.h"
#include "recording_platform.h"
#include "shared_demos.h"
#include "stream_fixture.h"

namespace cw {
namespace {

struct Played {
  int status;
  std::string output;
};

// Runs the shared folder's engine-play on a result demo.
Played PlayInEngine(const std::string& demo) {
  const std::string command =
      "bash '" + std::string(CAMWRIGHT_SHARED_DIR) + "/tools/engine-play' '" + demo + "' 300 2>&1";
  Played played{-1, {}};
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return played;
  char line[512];
  while (fgets(line, sizeof line, pipe) != nullptr) played.output += line;
  played.status = pclose(pipe);
  return played;
}

// The engine prints its frame count only when the demo has played to its end.
// When a centre print was on screen just then, the engine's console log puts
// the centre print's closing bar in front of that line, and engine-play then
// says "not played: N frames ..." although the demo did play to its end.
bool PlayedToTheEnd(const Played& played) {
  static const std::regex kFinished(R"(^(played|not played):[^\n]*[^0-9][1-9][0-9]* frames +[0-9.]+ seconds)");
  return played.output.find("Error") == std::string::npos && std::regex_search(played.output, kFinished);
}

struct Film {
  const char* demo;
  bool busy;  // every command word and every option, or the plain camera of an empty script
};

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
  if (film.busy) {
    options.scriptFile = std::string(CAMWRIGHT_SOURCE_DIR) + "/tests/data/busy.cam";
    options.changeColors = true;
    options.shirtColor = 4;
    options.pantsColor = 13;
    options.printCredits = true;
    options.runBy = "Runner";
    options.filmingBy = "Filmer";
    options.centerprintTime = true;
    options.removeOutsideFov = true;
    options.setFps = true;
    options.fps = 30;
    options.chainDemo = true;
    options.chainName = "no-such-demo";
  } else {
    dir.Write("empty.cam", "");
    options.scriptFile = dir.Path("empty.cam");
  }
  test::RecordingPlatform platform;
  ASSERT_EQ(RefilmDemo(*context, platform), RunOutcome::Done);

  const Played played = PlayInEngine(options.resultDemo);
  if (WEXITSTATUS(played.status) == 3) GTEST_SKIP() << "no engine here: " << played.output;
  EXPECT_TRUE(PlayedToTheEnd(played)) << played.output;
}

INSTANTIATE_TEST_SUITE_P(RealDemos, EnginePlay,
                         ::testing::Values(Film{"qfm_e1m3.dem", false}, Film{"qfm_e1m4.dem", false},
                                           Film{"vektar_bg.dem", false}, Film{"qfm_e1m3.dem", true},
                                           Film{"qfm_e1m6.dem", true}, Film{"vektar_bg.dem", true}),
                         [](const auto& param) {
                           std::string name = std::string(param.param.demo) + (param.param.busy ? "_busy" : "_plain");
                           for (char& c : name) {
                             if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                           }
                           return name;
                         });

}  // namespace
}  // namespace cw
