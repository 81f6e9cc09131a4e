// Batch refilms: each demo's result is what a refilm of that demo alone
// gives, whatever the others do; the lines, the summary and the exit status.

#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <sstream>
#include <thread>

#include "base/protocol.h"
#include "child_process.h"
#include "console/console_front.h"
#include "shared_demos.h"
#include "stream_fixture.h"
#include "synthetic_demo.h"
#include "system/system_programs.h"

namespace cw {
namespace {

namespace fs = std::filesystem;

class Batch : public ::testing::Test {
 protected:
  Batch() {
    test::SyntheticDemoOptions demo;
    demo.seconds = 5;
    test::WriteSyntheticDemo(dir.Path("clean.dem"), demo);
    dir.Write("damaged.dem", test::MakeDemo("-1\n", {{svc_nop}}));
    dir.Write("film.cam", "0 stay 0 0 100\n0 view p\n");
  }

  int Run(std::vector<std::string> words) {
    words.insert(words.begin(), "batch");
    out.str("");
    err.str("");
    return RunConsole(words, out, err);
  }

  test::ScratchDir dir;
  std::ostringstream out, err;
};

TEST_F(Batch, EachDemoAsAloneWithOneLineEachAndASummary) {
  const std::string clean = dir.Path("clean.dem"), damaged = dir.Path("damaged.dem");
  const std::string missing = dir.Path("missing.dem"), film = dir.Path("film.cam");
  dir.Write("list", damaged + "\r\n\n" + missing + "\n");
  EXPECT_EQ(Run({"--script", film, "-o", dir.Path("out/sub"), "--fps=10", "-j3", clean, "--list", dir.Path("list")}),
            kExitRefused);
  EXPECT_EQ(out.str().substr(0, out.str().find('\n')), "Batch of 3 demos: 1 done, 1 done with problems, 1 refused.");
  EXPECT_NE(out.str().find("\nDone with problems: " + damaged + "\n"), std::string::npos);
  EXPECT_NE(out.str().find("\nRefused: " + missing + ": The source file \"" + missing + "\" doesn't exist\n"),
            std::string::npos);
  const std::string lines = err.str();
  EXPECT_EQ(std::count(lines.begin(), lines.end(), '\n'), 3);
  EXPECT_NE(err.str().find("/3] done: " + clean + " -> " + dir.Path("out/sub/clean.dem") + "\n"), std::string::npos);
  EXPECT_EQ(err.str().find('\r'), std::string::npos);  // no terminal, no bar
  EXPECT_TRUE(dir.Exists("out/sub/damaged.dem"));

  std::ostringstream single;
  EXPECT_EQ(RunConsole({"--fps=10", clean, film, dir.Path("alone.dem")}, single, single), kExitDone);
  EXPECT_TRUE(dir.Read("out/sub/clean.dem") == dir.Read("alone.dem"));

  EXPECT_EQ(Run({"--script", film, "-o", dir.Path("out"), clean}), kExitDone);
  EXPECT_EQ(Run({"--generate", "-o", dir.Path("out"), clean, damaged}), kExitProblems);
  EXPECT_TRUE(dir.Exists("out/clean.cam") && dir.Exists("out/damaged.cam"));
}

// A video that cannot be made leaves the refilmed results, is named in the
// summary and gives exit status 1; so for a single refilm's --render.
TEST_F(Batch, VideosThatCannotBeMadeAreTold) {
  const std::string clean = dir.Path("clean.dem"), film = dir.Path("film.cam");
  const std::string engine = dir.Path("no-engine");
  SystemPrograms programs;
  EXPECT_EQ(RunConsole({"batch", "--render", "--engine", engine, "--script", film, "-o", dir.Path("out"), clean}, out,
                       err, Program::CommandLine, &programs),
            kExitRefused);
  EXPECT_TRUE(dir.Exists("out/clean.dem"));
  EXPECT_FALSE(dir.Exists("out/clean.mp4"));
  const std::string why = "The engine \"" + engine + "\" (--engine) is no program that can be run.";
  EXPECT_NE(out.str().find("\nVideo failed: " + clean + ": " + why + "\nVideos: 0 made, 1 failed.\n"),
            std::string::npos)
      << out.str();
  EXPECT_NE(err.str().find("[video 1/1] failed: " + dir.Path("out/clean.dem") + ": " + why), std::string::npos);

  std::ostringstream single, errors;
  EXPECT_EQ(RunConsole({"--render", "--engine=" + engine, clean, film, dir.Path("alone.dem")}, single, errors,
                       Program::CommandLine, &programs),
            kExitRefused);
  EXPECT_TRUE(dir.Exists("alone.dem"));
  EXPECT_NE(errors.str().find("No video of " + dir.Path("alone.dem") + " is made: " + why), std::string::npos)
      << errors.str();
}

// Nothing of the user's is written over: not a demo of the batch, not the
// result of a demo named before.
TEST_F(Batch, DestinationsThatClashAreRefused) {
  fs::create_directory(dir.Path("other"));
  fs::copy_file(dir.Path("clean.dem"), dir.Path("other/clean.dem"));
  const std::string before = dir.Read("clean.dem");
  EXPECT_EQ(Run({"--generate", "-o", dir.Root(), dir.Path("other/clean.dem"), dir.Path("clean.dem")}), kExitRefused);
  EXPECT_NE(out.str().find(" 0 done, 0 done with problems, 2 refused."), std::string::npos);
  EXPECT_NE(out.str().find("Refused: " + dir.Path("other/clean.dem") + ": The destination file \"" +
                           dir.Path("clean.dem") + "\" is a source demo of the batch.\n"),
            std::string::npos);
  EXPECT_NE(out.str().find("Refused: " + dir.Path("clean.dem") + ": The destination file \"" + dir.Path("clean.dem") +
                           "\" is the source file.\n"),
            std::string::npos);
  EXPECT_TRUE(dir.Read("clean.dem") == before);

  EXPECT_EQ(Run({"--generate", "-o", dir.Path("out"), dir.Path("clean.dem"), dir.Path("other/clean.dem")}),
            kExitRefused);
  EXPECT_NE(out.str().find("Refused: " + dir.Path("other/clean.dem") + ": The destination file \"" +
                           dir.Path("out/clean.dem") + "\" is also that of \"" + dir.Path("clean.dem") +
                           "\", earlier in the batch.\n"),
            std::string::npos);
}

TEST_F(Batch, MistakesStopItBeforeAnythingIsWritten) {
  struct Case {
    std::vector<std::string> words;
    std::string mistake;
  };
  const std::string clean = dir.Path("clean.dem"), folder = dir.Path("out");
  const Case cases[] = {
      {{"-o", folder, clean}, "a camera script is needed: --script FILE or --generate"},
      {{"--generate", "--script", "x.cam", "-o", folder, clean}, "--script and --generate exclude each other"},
      {{"--generate", clean}, "no folder for the results: --out DIR"},
      {{"--generate", "-o", folder}, "no demo to refilm"},
      {{"--generate", "-o", folder, "-j", "0", clean}, "invalid number of jobs '0': a whole number from 1 to 256"},
      {{"--generate", "-o", folder, "--fps", "200", clean},
       "invalid frame rate '200' for '--fps': Please enter an integer between 5 and 100."},
      {{"--generate", "-o", folder, "--play", clean}, "unrecognized option '--play'"},
      {{"--generate", "-o", folder, "--list", dir.Path("nothing"), clean},
       "the list \"" + dir.Path("nothing") + "\" can't be read: No such file or directory"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Run(c.words), kExitRefused);
    EXPECT_EQ(err.str().substr(0, err.str().find('\n')), "camwright-cli batch: " + c.mistake);
    EXPECT_FALSE(dir.Exists("out"));
  }
}

// A handful of real demos at once, two at a time: each result and each
// generated script is byte for byte what a refilm of that demo alone writes.
TEST(BatchOfRealDemos, TheSameBytesAsEachDemoAlone) {
  CW_REQUIRE_SHARED_DEMOS();
  test::ScratchDir dir;
  dir.Write("damaged.dem", test::MakeDemo("-1\n", {{svc_nop}}));
  fs::copy_file(std::string(CAMWRIGHT_SOURCE_DIR) + "/tests/data/e1m3.log", dir.Path("e1m3.log"));
  const std::string shared = test::SharedDemoDir();
  const std::vector<std::string> demos = {shared + "/lq_dm3.dem", shared + "/id101_demo3_e2m3.dem",
                                          shared + "/qfm_e1m3.dem", shared + "/halorev_ctf8_dm5.dem",
                                          shared + "/other-protocols/rmq999_lq_dm3.dem"};
  std::vector<std::string> words = {test::CliProgram(), "batch", "-j",    "2",    "--generate",
                                    "--shirt",          "red",   "--out", "films"};
  words.insert(words.end(), demos.begin(), demos.end());
  words.insert(words.end(), {"damaged.dem", "missing.dem"});
  const test::ProgramOutcome batch = test::RunProgram(words, dir.Root());
  EXPECT_EQ(batch.exitStatus, kExitRefused);
  EXPECT_EQ(batch.out.substr(0, batch.out.find('\n')), "Batch of 7 demos: 5 done, 1 done with problems, 1 refused.");
  EXPECT_NE(batch.out.find("Refused: missing.dem: "), std::string::npos);
  EXPECT_NE(batch.out.find("Warning (4 demos): No camera disposition file"), std::string::npos);  // all but e1m3
  for (const std::string& demo : demos) {
    const std::string name = fs::path(demo).stem().string();
    SCOPED_TRACE(name);
    EXPECT_EQ(test::RunProgram({test::CliProgram(), "--generate", "--shirt", "red", demo, "alone.cam", "alone.dem"},
                               dir.Root())
                  .exitStatus,
              kExitDone);
    EXPECT_TRUE(dir.Read("films/" + name + ".dem") == dir.Read("alone.dem"));
    EXPECT_EQ(dir.Read("films/" + name + ".cam"), dir.Read("alone.cam"));
  }
}

std::vector<std::string> UnderATerminal(const std::vector<std::string>& words) {
  std::string command;
  for (const std::string& word : words) command += "'" + word + "' ";
  return {"script", "-qec", command, "/dev/null"};
}

// The bar needs a terminal: the program under a pseudo-terminal draws it,
// the same program writing to a file draws none.
TEST_F(Batch, TheBarOnATerminalOnly) {
  if (access("/usr/bin/script", X_OK) != 0) GTEST_SKIP() << "no script(1) to make a pseudo-terminal";
  const std::vector<std::string> words = {test::CliProgram(), "batch",      "--script", "film.cam", "-o", "out", "-j1",
                                          "clean.dem",        "damaged.dem"};
  const test::ProgramOutcome onTerminal = test::RunProgram(UnderATerminal(words), dir.Root());
  EXPECT_EQ(onTerminal.exitStatus, kExitProblems);
  EXPECT_NE(onTerminal.out.find("\r["), std::string::npos);
  EXPECT_NE(onTerminal.out.find("] 0/2 demos  "), std::string::npos);
  EXPECT_NE(onTerminal.out.find("[2/2] done with problems: "), std::string::npos);
  EXPECT_EQ(onTerminal.out.find("[1/2] done: "), std::string::npos);  // a demo done well has no line there
  const test::ProgramOutcome onFile = test::RunProgram(words, dir.Root());
  EXPECT_EQ(onFile.err.find('\r'), std::string::npos);
  EXPECT_NE(onFile.err.find("[1/2] done: clean.dem -> out/clean.dem\n"), std::string::npos);
}

// An interrupt stops the refilm under way and starts no other: no result is
// left half written, the summary says what was not refilmed, and the program
// ends as the interrupt ends it.
TEST_F(Batch, AnInterruptStopsCleanly) {
  test::SyntheticDemoOptions demo;
  demo.seconds = 20000;  // about 30 MB
  test::WriteSyntheticDemo(dir.Path("long.dem"), demo);
  for (const char* name : {"long2.dem", "long3.dem"}) fs::create_hard_link(dir.Path("long.dem"), dir.Path(name));
  test::ChildProcess child(
      {test::CliProgram(), "batch", "--script", "film.cam", "-o", "out", "-j1", "long.dem", "long2.dem", "long3.dem"},
      dir.Root());
  // Once the first result is being written.
  const auto writing = [&dir = dir] {
    std::error_code error;
    return fs::exists(dir.Path("out"), error) && !fs::is_empty(dir.Path("out"), error);
  };
  for (int wait = 0; wait < 1000 && !writing(); ++wait) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  ASSERT_TRUE(writing());
  child.Signal(SIGINT);
  const test::ProgramOutcome outcome = child.Wait();
  EXPECT_EQ(outcome.signal, SIGINT);
  EXPECT_NE(outcome.out.find(", 3 not refilmed (stopped)."), std::string::npos) << outcome.out;
  EXPECT_TRUE(fs::is_empty(dir.Path("out")));
}

}  // namespace
}  // namespace cw
