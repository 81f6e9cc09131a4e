// Nothing of the user's is lost: inputs are never overwritten, results are
// whole or absent, a failed write is never reported as done, and inputs that
// are no files are refused before anything waits on them.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <thread>

#include "child_process.h"
#include "demo_builder.h"
#include "recording_platform.h"
#include "run/context.h"
#include "run/refilm_run.h"
#include "stream_fixture.h"
#include "synthetic_demo.h"

namespace cw {
namespace {

namespace fs = std::filesystem;

class FileSafety : public ::testing::Test {
 protected:
  FileSafety() {
    test::SyntheticDemoOptions demo;
    demo.mapName = "maps/room.bsp";
    test::WriteSyntheticDemo(dir.Path("src.dem"), demo);
    dir.Write("my.cam", "0 stay 1 2 3\n");
    dir.Write("room.log", "---START---\n1 0 0 0 -9999 -9999 -9999 9999 9999 9999 0\n---END---\n");
  }

  // A run in the scratch folder; an empty script name generates one.
  RunOutcome Run(const std::string& result, const std::string& script = "my.cam", bool generate = false) {
    test::InFolder inside(dir.Root());
    auto context = std::make_unique<Context>();
    context->options.sourceDemo = "src.dem";
    context->options.scriptFile = script;
    context->options.resultDemo = result;
    context->options.generateScript = generate;
    context->options.autoRun = true;
    platform.messages.clear();
    return RefilmDemo(*context, platform);
  }

  std::string OnlyError() const {
    return platform.messages.size() == 1 && platform.messages[0].caption == "Error" ? platform.messages[0].text
                                                                                    : "(not one error)";
  }

  // Every name in the folder that a run's temporary file would have.
  std::vector<std::string> Leftovers() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir.Root())) {
      const std::string name = entry.path().filename().string();
      if (name.front() == '.') names.push_back(name);
    }
    return names;
  }

  test::ScratchDir dir;
  test::RecordingPlatform platform;
};

TEST_F(FileSafety, AResultOrGeneratedScriptNamingAnInputIsRefused) {
  fs::create_symlink("my.cam", dir.Path("link.cam"));
  fs::create_hard_link(dir.Path("my.cam"), dir.Path("hard.cam"));
  for (const char* name : {"my.cam", "./my.cam", "link.cam", "hard.cam"}) {
    EXPECT_EQ(Run(name), RunOutcome::Refused);
    EXPECT_EQ(OnlyError(), std::string("The destination file \"") + name + "\" is the script file.");
  }
  // The two-name form generates temp.cam from the map's zone file room.log.
  EXPECT_EQ(Run("room.log", "temp.cam", true), RunOutcome::Refused);
  EXPECT_EQ(OnlyError(), "The destination file \"room.log\" is the zone file \"room.log\".");
  EXPECT_EQ(Run("r.dem", "room.log", true), RunOutcome::Refused);
  EXPECT_EQ(OnlyError(), "The script file \"room.log\" is the zone file \"room.log\".");
  EXPECT_EQ(Run("temp.cam", "temp.cam", true), RunOutcome::Refused);
  EXPECT_EQ(OnlyError(), "The destination file \"temp.cam\" is the script file.");

  EXPECT_EQ(dir.Read("my.cam"), "0 stay 1 2 3\n");
  EXPECT_EQ(dir.Read("room.log").substr(0, 11), "---START---");
  EXPECT_FALSE(dir.Exists("temp.cam"));
  EXPECT_TRUE(Leftovers().empty());
}

TEST_F(FileSafety, InputsThatAreNoFilesAreRefusedWithoutWaitingOnThem) {
  fs::create_directory(dir.Path("folder.dem"));
  ASSERT_EQ(mkfifo(dir.Path("pipe.dem").c_str(), 0600), 0);
  test::InFolder inside(dir.Root());
  struct Case {
    const char* source;
    const char* script;
    const char* error;
  };
  for (const Case& c : {
           Case{"folder.dem", "my.cam", "The source file \"folder.dem\" is not a file."},
           Case{"pipe.dem", "my.cam", "The source file \"pipe.dem\" is not a file."},
           Case{"/dev/zero", "my.cam", "The source file \"/dev/zero\" is not a file."},
           Case{"src.dem", "/dev/urandom", "The script file \"/dev/urandom\" is not a file."},
       }) {
    auto context = std::make_unique<Context>();
    context->options.sourceDemo = c.source;
    context->options.scriptFile = c.script;
    context->options.resultDemo = "r.dem";
    context->options.generateScript = false;
    context->options.autoRun = true;
    platform.messages.clear();
    EXPECT_EQ(RefilmDemo(*context, platform), RunOutcome::Refused) << c.source;
    EXPECT_EQ(OnlyError(), c.error);
  }
  fs::remove(dir.Path("room.log"));
  fs::create_directory(dir.Path("room.log"));
  EXPECT_EQ(Run("r.dem", "temp.cam", true), RunOutcome::Refused);
  EXPECT_EQ(OnlyError(), "The zone file \"room.log\" is not a file.");
  EXPECT_EQ(Run("folder.dem"), RunOutcome::Refused);
  EXPECT_EQ(OnlyError(), "The destination file \"folder.dem\" is not a file.");
  EXPECT_FALSE(dir.Exists("r.dem"));
}

TEST_F(FileSafety, BothProgramsReportNonFilesInTheirOwnWordsAndEndWithStatusOne) {
  fs::create_directory(dir.Path("folder.dem"));
  std::vector<std::string> programs = {test::CliProgram()};
#ifdef CAMWRIGHT_GUI_PROGRAM
  programs.push_back(CAMWRIGHT_GUI_PROGRAM);  // without a display it works on the terminal
#endif
  for (const std::string& program : programs) {
    const test::ProgramOutcome outcome = test::RunProgram({program, "folder.dem", "r.dem"}, dir.Root(),
                                                          "unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM;");
    EXPECT_EQ(outcome.exitStatus, 1) << program;
    EXPECT_EQ(outcome.err, "Error: The source file \"folder.dem\" is not a file.\n") << program;
  }
}

TEST_F(FileSafety, ARefusedRunLeavesTheOlderFilesWhole) {
  dir.Write("r.dem", "-1\nan older result");
  dir.Write("temp.cam", "an older script");
  fs::remove(dir.Path("room.log"));
  EXPECT_EQ(Run("no-such-folder/r.dem", "temp.cam", true), RunOutcome::Refused);
  EXPECT_EQ(dir.Read("temp.cam"), "an older script");
  EXPECT_EQ(Run("r.dem", "no-such-folder/temp.cam", true), RunOutcome::Refused);
  EXPECT_EQ(dir.Read("r.dem"), "-1\nan older result");
  EXPECT_TRUE(Leftovers().empty());
  // A result written through a symbolic link lands in its target; the link stays.
  fs::create_symlink("r.dem", dir.Path("to-r.dem"));
  EXPECT_EQ(Run("to-r.dem"), RunOutcome::Done);
  EXPECT_TRUE(fs::is_symlink(dir.Path("to-r.dem")));
  EXPECT_NE(dir.Read("r.dem"), "-1\nan older result");
}

class LongRefilm : public ::testing::Test {
 protected:
  // The long demo is written once for the suite; each test links it into a
  // folder of its own.
  static void SetUpTestSuite() {
    made = std::make_unique<test::ScratchDir>();
    test::SyntheticDemoOptions demo;
    demo.seconds = 1500;  // about 25 MB
    demo.blocksPerSecond = 72;
    test::WriteSyntheticDemo(made->Path("long.dem"), demo);
  }
  static void TearDownTestSuite() { made.reset(); }

  LongRefilm() {
    fs::create_hard_link(made->Path("long.dem"), dir.Path("long.dem"));
    dir.Write("a.cam", "0 stay p~0.3 p~0.3 p+30\n0 view p\n");
    dir.Write("b.cam", "0 stay 100 200 300\n0 view p\n");
  }

  test::ProgramOutcome KilledAfter(int milliseconds, int signal) {
    test::ChildProcess child({test::CliProgram(), "long.dem", "a.cam", "r.dem"}, dir.Root());
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
    child.Signal(signal);
    return child.Wait();
  }

  inline static std::unique_ptr<test::ScratchDir> made;
  test::ScratchDir dir;
};

TEST_F(LongRefilm, AKilledRunLeavesTheOlderResultWholeAndAnInterruptedOneNoTemporaryFile) {
  const auto begin = std::chrono::steady_clock::now();
  ASSERT_EQ(test::RunProgram({test::CliProgram(), "long.dem", "a.cam", "whole.dem"}, dir.Root()).exitStatus, 0);
  const auto whole = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - begin);
  int interrupted = 0;
  struct Attempt {
    int percent;  // of the time a whole run takes
    int signal;
  };
  for (const Attempt attempt : {Attempt{0, SIGKILL}, Attempt{10, SIGKILL}, Attempt{40, SIGKILL}, Attempt{70, SIGKILL},
                                Attempt{95, SIGKILL}, Attempt{50, SIGINT}, Attempt{50, SIGTERM}}) {
    SCOPED_TRACE(testing::Message() << attempt.percent << "% signal " << attempt.signal);
    for (const auto& entry : fs::directory_iterator(dir.Root())) {
      if (entry.path().filename().string().front() == '.') fs::remove(entry.path());
    }
    dir.Write("r.dem", "-1\nan older result");
    const test::ProgramOutcome killed =
        KilledAfter(static_cast<int>(whole.count() * attempt.percent / 100), attempt.signal);
    if (killed.signal == 0) continue;  // it was done before the signal came
    ++interrupted;
    // Older or complete, never cut: a signal may come after the rename.
    const std::string result = dir.Read("r.dem");
    EXPECT_TRUE(result == "-1\nan older result" || result == dir.Read("whole.dem")) << result.size();
    if (attempt.signal == SIGKILL) continue;
    EXPECT_EQ(killed.signal, attempt.signal);  // it ends as the signal asked
    for (const auto& entry : fs::directory_iterator(dir.Root())) {
      EXPECT_NE(entry.path().filename().string().front(), '.') << entry.path();
    }
  }
  EXPECT_GE(interrupted, 4) << "a whole run took " << whole.count() << " ms";
}

TEST_F(LongRefilm, TwoRunsRacingOnOneNameLeaveOneCompleteResult) {
  ASSERT_EQ(test::RunProgram({test::CliProgram(), "long.dem", "a.cam", "a.dem"}, dir.Root()).exitStatus, 0);
  ASSERT_EQ(test::RunProgram({test::CliProgram(), "long.dem", "b.cam", "b.dem"}, dir.Root()).exitStatus, 0);
  test::ChildProcess first({test::CliProgram(), "long.dem", "a.cam", "r.dem"}, dir.Root());
  test::ChildProcess second({test::CliProgram(), "long.dem", "b.cam", "r.dem"}, dir.Root());
  EXPECT_EQ(first.Wait().exitStatus, 0);
  EXPECT_EQ(second.Wait().exitStatus, 0);
  const std::string result = dir.Read("r.dem");
  EXPECT_TRUE(result == dir.Read("a.dem") || result == dir.Read("b.dem")) << result.size();
}

TEST_F(LongRefilm, AFailedWriteIsAnErrorAndLeavesTheOlderResultWhole) {
  dir.Write("r.dem", "-1\nan older result");
  // Files of at most 1 MB; the signal that the limit sends is ignored, so
  // the write itself fails.
  const test::ProgramOutcome outcome =
      test::RunProgram({test::CliProgram(), "long.dem", "a.cam", "r.dem"}, dir.Root(), "trap '' XFSZ; ulimit -f 1024;");
  EXPECT_EQ(outcome.exitStatus, 1);
  EXPECT_EQ(outcome.err, "Error: The destination file \"r.dem\" can't be written: File too large.\n");
  EXPECT_EQ(dir.Read("r.dem"), "-1\nan older result");
}

TEST_F(LongRefilm, AFullDiskIsAnErrorNotADamagedSource) {
  const std::string small = dir.Path("small");
  fs::create_directory(small);
  if (mount("tmpfs", small.c_str(), "tmpfs", 0, "size=200k") != 0) GTEST_SKIP() << "no tmpfs can be mounted here";
  const test::ProgramOutcome outcome =
      test::RunProgram({test::CliProgram(), "long.dem", "a.cam", "small/r.dem"}, dir.Root());
  const bool leftovers = !fs::is_empty(small);
  umount(small.c_str());
  EXPECT_EQ(outcome.exitStatus, 1);
  EXPECT_EQ(outcome.err, "Error: The destination file \"small/r.dem\" can't be written: No space left on device.\n");
  EXPECT_FALSE(leftovers);
}

}  // namespace
}  // namespace cw
