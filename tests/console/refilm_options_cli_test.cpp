// The dialog's options on the command line: what each word sets, and what
// each option does to the bytes of a result refilmed through the command line.

#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>

#include "base/protocol.h"
#include "child_process.h"
#include "console/arguments.h"
#include "console/console_front.h"
#include "recording_platform.h"
#include "run/refilm_run.h"
#include "stream_fixture.h"
#include "synthetic_demo.h"

namespace cw {
namespace {

// The options a run of these words gets.
RefilmOptions Parsed(const std::vector<std::string>& words) {
  const Arguments parsed = ParseArguments(words);
  EXPECT_EQ(parsed.request, Request::Refilm) << parsed.mistake;
  return parsed.options;
}

TEST(RefilmWords, ValuesTwinsAndTheLastWordWins) {
  RefilmOptions options = Parsed({"--shirt", "Light Brown", "a.dem", "b.dem"});
  EXPECT_TRUE(options.changeColors);
  EXPECT_EQ(options.shirtColor, 1);
  EXPECT_EQ(options.pantsColor, 4);  // the other keeps its default
  options = Parsed({"--pants=13", "--fps", "100", "--no-bleeding", "--bleeding", "--no-fade-out", "a", "b"});
  EXPECT_EQ(options.shirtColor, 0);
  EXPECT_EQ(options.pantsColor, 13);
  EXPECT_TRUE(options.setFps);
  EXPECT_EQ(options.fps, 100);
  EXPECT_TRUE(options.playerBleeding);
  EXPECT_FALSE(options.fadeOut);
  options = Parsed({"--filming-by", "-h", "a", "--", "--x.dem"});  // a value and a name that look like options
  EXPECT_TRUE(options.printCredits);
  EXPECT_EQ(options.filmingBy, "-h");
  EXPECT_EQ(options.runBy, "");
  EXPECT_EQ(options.resultDemo, "--x.dem");
  EXPECT_FALSE(AsksForHelpOrVersion({"--filming-by", "-h", "a", "b"}));
}

TEST(RefilmWords, GenerateOnlyChangesTheThreeNameFormAndPlayOnlyWhenAsked) {
  RefilmOptions options = Parsed({"a.dem", "s.cam", "r.dem"});
  EXPECT_FALSE(options.generateScript);
  EXPECT_FALSE(options.playAfterAutoRun);
  EXPECT_TRUE(options.playWhenDone);  // the dialog's box, for its own button
  options = Parsed({"--generate", "a.dem", "s.cam", "r.dem", "--play"});
  EXPECT_TRUE(options.generateScript);
  EXPECT_EQ(options.scriptFile, "s.cam");
  EXPECT_TRUE(options.playAfterAutoRun);
  options = Parsed({"--no-generate", "a.dem", "r.dem"});
  EXPECT_TRUE(options.generateScript);
  EXPECT_EQ(options.scriptFile, "temp.cam");
}

TEST(RefilmWords, RefusedValuesSayWhyAndNothingIsWritten) {
  struct Case {
    std::vector<std::string> words;
    const char* mistake;
  };
  const Case cases[] = {
      {{"--fps", "4"}, "invalid frame rate '4' for '--fps': Please enter an integer between 5 and 100."},
      {{"--fps=fast"}, "invalid frame rate 'fast' for '--fps': Please enter an integer."},
      {{"--pants", "14"},
       "invalid colour '14' for '--pants': a colour name that --help lists, or a number from 0 to 13"},
      {{"--shirt", "lightbrown"},
       "invalid colour 'lightbrown' for '--shirt': a colour name that --help lists, or a number from 0 to 13"},
      {{"--chain"}, "option '--chain' needs a value"},
      {{"--no-shirt", "red"}, "unrecognized option '--no-shirt'"},
      {{"--bleeding=no"}, "option '--bleeding' doesn't take a value"},
  };
  test::ScratchDir dir;
  dir.Write("in.dem", test::MakeDemo("-1\n", {{svc_disconnect}}));
  for (const Case& c : cases) {
    std::vector<std::string> words = {dir.Path("in.dem"), dir.Path("out.dem")};
    words.insert(words.end(), c.words.begin(), c.words.end());
    std::ostringstream out, err;
    EXPECT_EQ(RunConsole(words, out, err), kExitRefused);
    EXPECT_EQ(err.str().substr(0, err.str().find('\n')), std::string("camwright-cli: ") + c.mistake);
    EXPECT_NE(err.str().find("\nUsage: "), std::string::npos);
    EXPECT_FALSE(dir.Exists("out.dem"));
  }
}

TEST(RefilmWords, KeepInMapTakesTheGameFolderOfGameOrQuakeDir) {
  RefilmOptions options = Parsed({"--keep-in-map", "--game", "q 1", "a", "b"});
  EXPECT_TRUE(options.keepInMap);
  EXPECT_EQ(options.gameFolder, "q 1");
  options = Parsed({"-g", "/q/", "--keep-in-map", "--no-keep-in-map", "a", "b"});
  EXPECT_FALSE(options.keepInMap);
  EXPECT_EQ(options.gameFolder, "/q/");
  EXPECT_FALSE(Parsed({"a", "b"}).keepInMap);
  if (std::getenv("QUAKE_DIR") != nullptr) GTEST_SKIP() << "QUAKE_DIR is set here";
  // Without a Quake folder: refused before anything is written.
  test::ScratchDir dir;
  dir.Write("in.dem", test::MakeDemo("-1\n", {{svc_disconnect}}));
  std::ostringstream out, err;
  EXPECT_EQ(RunConsole({"--keep-in-map", dir.Path("in.dem"), dir.Path("out.dem")}, out, err), kExitRefused);
  EXPECT_NE(err.str().find("needs the game's files: give the Quake folder with --game DIR"), std::string::npos)
      << err.str();
  EXPECT_FALSE(dir.Exists("out.dem"));
}

// Each option given on the command line makes the result that the dialog's
// option makes, and that result differs from the default one.
class OptionBytes : public ::testing::Test {
 protected:
  OptionBytes() {
    test::SyntheticDemoOptions demo;
    demo.seconds = 20;
    demo.intermissionAtEnd = true;
    test::WriteSyntheticDemo(dir.Path("source.dem"), demo);
    dir.Write("film.cam", "0 stay 300 300 100\n0 view p\n");
  }

  // The result of the command line, in the scratch folder.
  std::string ThroughCommandLine(std::vector<std::string> words, const std::string& script) {
    words.insert(words.end(), {dir.Path("source.dem"), dir.Path(script), dir.Path("result.dem")});
    std::ostringstream out, err;
    EXPECT_LT(RunConsole(words, out, err), kExitRefused) << err.str();
    return dir.Read("result.dem");
  }

  // The result of a run with the options set as the dialog sets them.
  std::string ThroughOptions(void (*set)(RefilmOptions&), const std::string& script, bool generate) {
    auto context = std::make_unique<Context>();
    RefilmOptions& options = context->options;
    options.sourceDemo = dir.Path("source.dem");
    options.scriptFile = dir.Path(script);
    options.resultDemo = dir.Path("result.dem");
    options.generateScript = generate;
    options.autoRun = true;
    if (set != nullptr) set(options);
    test::RecordingPlatform platform;
    EXPECT_NE(RefilmDemo(*context, platform), RunOutcome::Refused);
    return dir.Read("result.dem");
  }

  test::ScratchDir dir;
};

TEST_F(OptionBytes, EachOptionAsTheDialogsOption) {
  struct Row {
    std::vector<std::string> words;
    void (*set)(RefilmOptions&);
  };
  const Row rows[] = {
      {{"--centerprint-time"}, [](RefilmOptions& o) { o.centerprintTime = true; }},
      {{"--no-fade-out"}, [](RefilmOptions& o) { o.fadeOut = false; }},
      {{"--no-bleeding"}, [](RefilmOptions& o) { o.playerBleeding = false; }},
      {{"--no-remove-centerprints"}, [](RefilmOptions& o) { o.removeCenterprint = false; }},
      {{"--no-remove-prints"}, [](RefilmOptions& o) { o.removePrint = false; }},
      {{"--no-remove-stufftext"}, [](RefilmOptions& o) { o.removeStufftext = false; }},
      {{"--remove-outside-fov"}, [](RefilmOptions& o) { o.removeOutsideFov = true; }},
      {{"--shirt", "gold"},
       [](RefilmOptions& o) {
         o.changeColors = true;
         o.shirtColor = 6;
       }},
      {{"--pants=2"},
       [](RefilmOptions& o) {
         o.changeColors = true;
         o.pantsColor = 2;
       }},
      {{"--fps", "10"},
       [](RefilmOptions& o) {
         o.setFps = true;
         o.fps = 10;
       }},
      {{"--chain", "next.dem"},
       [](RefilmOptions& o) {
         o.chainDemo = true;
         o.chainName = "next.dem";
       }},
      {{"--run-by=Ann"},
       [](RefilmOptions& o) {
         o.printCredits = true;
         o.runBy = "Ann";
       }},
      {{"--filming-by", "Bob"},
       [](RefilmOptions& o) {
         o.printCredits = true;
         o.filmingBy = "Bob";
       }},
  };
  const std::string plain = ThroughOptions(nullptr, "film.cam", false);
  EXPECT_TRUE(ThroughCommandLine({}, "film.cam") == plain);
  for (const Row& row : rows) {
    SCOPED_TRACE(row.words.front());
    const std::string result = ThroughCommandLine(row.words, "film.cam");
    EXPECT_TRUE(result == ThroughOptions(row.set, "film.cam", false));
    EXPECT_TRUE(result != plain);
  }
}

// The exit time is printed only into a film of a script generated from the
// map's zones.
TEST_F(OptionBytes, GenerateWritesTheNamedScriptAndExitTimeFollowsIt) {
  dir.Write("cwtest.log", "---START---\n1 0 0 100 -4000 -4000 -4000 4000 4000 4000 0\n---END---\n");
  test::InFolder inside(dir.Root());
  const std::string generated = ThroughCommandLine({"--generate"}, "made.cam");
  EXPECT_TRUE(generated == ThroughOptions(nullptr, "made.cam", true));
  EXPECT_NE(dir.Read("made.cam").find(" view p"), std::string::npos);
  EXPECT_NE(generated.find("Exact exit time was "), std::string::npos);
  const std::string noExitTime = ThroughCommandLine({"--generate", "--no-exit-time"}, "made.cam");
  EXPECT_TRUE(noExitTime == ThroughOptions([](RefilmOptions& o) { o.printExitTime = false; }, "made.cam", true));
  EXPECT_EQ(noExitTime.find("Exact exit time was "), std::string::npos);
}

// Without a zone file the generated chase is a point behind the player in
// time, or with --follow-chase (as the dialog's box) a follow; the same either way.
TEST_F(OptionBytes, FollowChaseWritesAFollowWhereTheChaseWas) {
  test::InFolder inside(dir.Root());
  const std::string follow = ThroughCommandLine({"--generate", "--follow-chase"}, "made.cam");
  EXPECT_NE(dir.Read("made.cam").find("\n1.5 follow p 96 30\n"), std::string::npos) << dir.Read("made.cam");
  EXPECT_TRUE(follow == ThroughOptions([](RefilmOptions& o) { o.followChase = true; }, "made.cam", true));
  const std::string chase = ThroughCommandLine({"--generate", "--no-follow-chase"}, "made.cam");
  EXPECT_NE(dir.Read("made.cam").find("\n1.5 stay p~0.3 p~0.3 p+30\n"), std::string::npos);
  EXPECT_TRUE(chase == ThroughOptions(nullptr, "made.cam", true));
  EXPECT_TRUE(chase != follow);
}

// "play" in the current folder gets the result's name as one word, however
// the name is spelled; nothing plays unless asked.
TEST(PlayOption, PlaysTheResultByItsExactName) {
  test::ScratchDir dir;
  dir.Write("in.dem", test::MakeDemo("-1\n", {{svc_disconnect}}));
  dir.Write("film.cam", "");
  dir.Write("play", "#!/bin/sh\nprintf '%s|' \"$@\" > played\n");
  ASSERT_EQ(std::system(("chmod +x '" + dir.Path("play") + "'").c_str()), 0);
  const std::string cli = test::CliProgram();
  EXPECT_EQ(test::RunProgram({cli, "in.dem", "film.cam", "it's a $film.dem"}, dir.Root()).exitStatus, 0);
  EXPECT_FALSE(dir.Exists("played"));
  EXPECT_EQ(test::RunProgram({cli, "--play", "in.dem", "film.cam", "it's a $film.dem"}, dir.Root()).exitStatus, 0);
  EXPECT_EQ(dir.Read("played"), "it's a $film.dem|");
}

}  // namespace
}  // namespace cw
