// The words of the film subcommands, shots and render: their mistakes and
// refusals, before any engine is started.

#include <gtest/gtest.h>

#include <sstream>

#include "console/render_command.h"
#include "console/shots_command.h"
#include "stream_fixture.h"

namespace cw {
namespace {

struct Answer {
  int status = 0;
  std::string out;
  std::string err;
};

Answer Shots(const std::vector<std::string>& words) {
  std::ostringstream out;
  std::ostringstream err;
  const int status = ShotsCommand(words, out, err, nullptr);
  return {status, out.str(), err.str()};
}

Answer Render(const std::vector<std::string>& words) {
  std::ostringstream out;
  std::ostringstream err;
  const int status = RenderCommand(words, out, err, nullptr);
  return {status, out.str(), err.str()};
}

std::string FirstLine(const std::string& text) { return text.substr(0, text.find('\n')); }

TEST(FilmCommands, MistakesInTheWordsAreNamed) {
  test::ScratchDir dir;
  dir.Write("a.dem", "-1\n");
  const std::string demo = dir.Path("a.dem");
  const std::vector<std::pair<std::vector<std::string>, std::string>> shots = {
      {{demo, "--out", "x"}, "option '--at' needs times in seconds, such as 10,12.5,14, not ''"},
      {{demo, "--at", "1,,2", "--out", "x"}, "option '--at' needs times in seconds, such as 10,12.5,14, not '1,,2'"},
      {{demo, "--at", "1s", "--out", "x"}, "option '--at' needs times in seconds, such as 10,12.5,14, not '1s'"},
      {{demo, "--at", "1"}, "option '--out' names the folder of the pictures"},
      {{demo, "--at", "1", "--out", "x", "--size", "640"},
       "option '--size' needs WIDTHxHEIGHT in pixels, such as 1280x720, not '640'"},
      {{demo, "--at", "1", "--out", "x", "--size", "640x"},
       "option '--size' needs WIDTHxHEIGHT in pixels, such as 1280x720, not '640x'"},
      {{demo, "--at", "1", "--out", "x", "--size", "15x100"},
       "option '--size': width and height must be from 16 to 7680 pixels, not '15x100'"},
      {{demo, "--at", "1", "--out", "x", "--size=7681x100"},
       "option '--size': width and height must be from 16 to 7680 pixels, not '7681x100'"},
  };
  for (const auto& [words, mistake] : shots) {
    const Answer answer = Shots(words);
    EXPECT_EQ(answer.status, 1);
    EXPECT_EQ(FirstLine(answer.err), "camwright-cli: " + mistake);
  }
  const std::vector<std::pair<std::vector<std::string>, std::string>> renders = {
      {{demo, "o.mp4", "--fps", "0"}, "option '--fps' needs a whole number of frames a second from 1 to 120, not '0'"},
      {{demo, "o.mp4", "--fps", "121"},
       "option '--fps' needs a whole number of frames a second from 1 to 120, not '121'"},
      {{demo, "o.mp4", "--fps", "29.97"},
       "option '--fps' needs a whole number of frames a second from 1 to 120, not '29.97'"},
      {{demo, "o.mp4", "--size", "641x360"}, "option '--size': a video's width and height must be even, not '641x360'"},
      {{demo, "o.mp4", "--from", "ten"}, "option '--from' needs a time in seconds, not 'ten'"},
      {{demo, "o.mp4", "--to", ""}, "option '--to' needs a time in seconds, not ''"},
      {{demo, "o.mp4", "--nonsense"}, "unrecognized option '--nonsense'"},
  };
  for (const auto& [words, mistake] : renders) {
    const Answer answer = Render(words);
    EXPECT_EQ(answer.status, 1);
    EXPECT_EQ(FirstLine(answer.err), "camwright-cli: " + mistake);
  }
  EXPECT_EQ(Render({demo}).err, "Usage: camwright-cli render DEMO OUT.mp4 [OPTION]...\n");
  EXPECT_EQ(Shots({}).status, 1);
}

TEST(FilmCommands, RefusalsNameWhatIsMissing) {
  test::ScratchDir dir;
  dir.Write("a.dem", "-1\n");
  const std::string demo = dir.Path("a.dem");
  EXPECT_EQ(Render({dir.Path("none.dem"), "o.mp4"}).err,
            "Error: The demo \"" + dir.Path("none.dem") + "\" doesn't exist\n");
  EXPECT_EQ(Render({demo, demo}).err, "Error: The video \"" + demo + "\" would replace the demo itself.\n");
  EXPECT_EQ(Render({demo, dir.Root()}).err, "Error: \"" + dir.Root() + "\" is not a file.\n");
  const Answer engine = Render({demo, dir.Path("o.mp4"), "--engine", dir.Path("no-engine")});
  EXPECT_EQ(engine.err,
            "Error: The engine \"" + dir.Path("no-engine") + "\" (--engine) is no program that can be run.\n");
  // A demo without a block cannot be played at all.
  EXPECT_EQ(Shots({demo, "--at", "1", "--out", dir.Path("x")}).err,
            "Error: The demo \"" + demo + "\" cannot be played: it holds no block.\n");
}

TEST(FilmCommands, HelpNamesEveryOption) {
  const Answer shots = Shots({"--help"});
  EXPECT_EQ(shots.status, 0);
  for (const char* option :
       {"--at T", "--out DIR", "--sheet FILE.png", "--size WxH", "--game DIR", "--engine PROGRAM"}) {
    EXPECT_NE(shots.out.find(option), std::string::npos) << option;
  }
  const Answer render = Render({"-h"});
  EXPECT_EQ(render.status, 0);
  for (const char* option : {"--fps N", "--from T", "--to T", "--size WxH", "--game DIR", "--engine PROGRAM"}) {
    EXPECT_NE(render.out.find(option), std::string::npos) << option;
  }
}

}  // namespace
}  // namespace cw
