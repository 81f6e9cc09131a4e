// The commands that play a film frame by frame, and the copy of the demo
// the engine plays.

#include "film/engine_script.h"

#include <gtest/gtest.h>

#include <sstream>

#include "demo_builder.h"
#include "film/demo_timeline.h"
#include "film/film_copy.h"

namespace cw {
namespace {

using test::MessageBytes;

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// Frames of the plan, each with its commands, cut at "wait".
std::vector<std::vector<std::string>> Frames(const EngineScript& script) {
  std::vector<std::vector<std::string>> frames(1);
  for (const std::string& file : script.files) {
    for (const std::string& line : Lines(file)) {
      if (line == "wait") {
        frames.emplace_back();
      } else {
        frames.back().push_back(line);
      }
    }
  }
  return frames;
}

TEST(ConsoleCommands, SplitAsTheEngineSplitsThem) {
  EXPECT_EQ(ConsoleCommands("bf\nv_cshift 1 2 3 4;echo \"a;b\"\n\n  \nplay x"),
            (std::vector<std::string>{"bf", "v_cshift 1 2 3 4", "echo \"a;b\"", "play x"}));
  EXPECT_TRUE(ConsoleCommands("").empty());
  EXPECT_TRUE(FilmAllows("v_cshift 0 0 0 0"));
  EXPECT_TRUE(FilmAllows("r_drawviewmodel 0"));
  for (const char* denied : {"screenshot", "  Quit", "wait", "playdemo next", "host_framerate 0.1", "exec x.cfg",
                             "disconnect", "changelevel e1m2", "record x"}) {
    EXPECT_FALSE(FilmAllows(denied)) << denied;
  }
}

TEST(EngineScript, EachFrameTakesThePictureOfTheOneBeforeAndSetsTheStepOfTheOneAfter) {
  DemoTimeline timeline;
  timeline.texts = {{1, "bf\nscreenshot\n"}, {3, "v_cshift 0 0 0 0\n"}, {3, "r_drawviewmodel 0\n"}};
  FramePlan plan;
  plan.frames = {{"0.1", true, -1, 2}, {"1", false, -1, 3}, {"0.05", true, 0, 5}, {"0.05", true, 1, 6}};
  plan.pictures = 2;
  const EngineScript script = WriteEngineScript(plan, timeline, "film.dem", "camwright");
  ASSERT_EQ(script.files.size(), 1u);
  const auto frames = Frames(script);
  ASSERT_EQ(frames.size(), 6u);
  // Before playback: the first frame's time and drawing.
  EXPECT_EQ(frames[0], (std::vector<std::string>{"host_maxfps 1000", "vid_vsync 0", "con_notifytime -1",
                                                 "scr_conspeed 100000", "host_framerate 0.1", "r_norefresh 0"}));
  EXPECT_EQ(frames[1], (std::vector<std::string>{"playdemo film.dem", "host_framerate 1"}));
  // The texts of block 1, read in frame 0, run in frame 1, without the picture the demo asked for.
  EXPECT_EQ(frames[2], (std::vector<std::string>{"bf", "r_norefresh 1", "host_framerate 0.05"}));
  EXPECT_EQ(frames[3], (std::vector<std::string>{"r_norefresh 0"}));
  EXPECT_EQ(frames[4], (std::vector<std::string>{"screenshot tga", "v_cshift 0 0 0 0", "r_drawviewmodel 0"}));
  EXPECT_EQ(frames[5], (std::vector<std::string>{"screenshot tga", "quit"}));
}

TEST(EngineScript, ALongFilmHandsOverFromFileToFileBetweenFrames) {
  DemoTimeline timeline;
  FramePlan plan;
  for (int i = 0; i < 5000; ++i) plan.frames.push_back({"0.0333333333", true, i, 0});
  plan.pictures = 5000;
  const EngineScript script = WriteEngineScript(plan, timeline, "film.dem", "cw");
  ASSERT_GT(script.files.size(), 1u);
  for (std::size_t file = 0; file < script.files.size(); ++file) {
    EXPECT_LE(script.files[file].size(), 33000u);
    if (file + 1 == script.files.size()) continue;
    // The next file starts the frame after a wait, where nothing else is pending.
    const std::vector<std::string> lines = Lines(script.files[file]);
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[lines.size() - 2], "wait");
    EXPECT_EQ(lines.back(), "exec cw" + std::to_string(file + 1) + ".cfg");
  }
  std::size_t pictures = 0;
  for (const auto& frame : Frames(script)) {
    for (const std::string& line : frame) pictures += line == "screenshot tga" ? 1u : 0u;
  }
  EXPECT_EQ(pictures, 5000u);
}

TEST(FilmCopy, TheDemoWithoutItsConsoleTexts) {
  test::DemoBuilder demo;
  demo.FirstLine("3\n");
  demo.Block(MessageBytes().Time(1.0f).StuffText("bf\n").Print("hello\n"), {1, 2, 3});
  demo.Block(MessageBytes().StuffText("only this\n"));
  demo.Block(MessageBytes().Disconnect());
  test::DemoBuilder expected;
  expected.FirstLine("3\n");
  expected.Block(MessageBytes().Time(1.0f).Print("hello\n"), {1, 2, 3});
  expected.Block(MessageBytes().Nop());  // an empty block would end playback
  expected.Block(MessageBytes().Disconnect());
  std::istringstream source(demo.Build());
  std::ostringstream copy;
  std::string error;
  ASSERT_TRUE(WriteFilmCopy(source, copy, error)) << error;
  EXPECT_EQ(copy.str(), expected.Build());

  std::istringstream notADemo("no line");
  std::ostringstream nothing;
  EXPECT_FALSE(WriteFilmCopy(notADemo, nothing, error));
}

}  // namespace
}  // namespace cw
