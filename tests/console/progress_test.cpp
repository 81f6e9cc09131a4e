// The progress a run reports, and how the console shows it: only on a
// terminal, cleared before anything else is written.

#include "console/progress.h"

#include <gtest/gtest.h>

#include <sstream>

#include "console/terminal.h"
#include "recording_platform.h"
#include "run/context.h"
#include "run/refilm_run.h"
#include "stream_fixture.h"
#include "synthetic_demo.h"

namespace cw {
namespace {

class Reading : public ::testing::Test {
 protected:
  Reading() {
    test::SyntheticDemoOptions demo;
    demo.seconds = 60;
    test::WriteSyntheticDemo(dir.Path("source.dem"), demo);
    dir.Write("film.cam", "0 stay 0 0 0\n");
    options.sourceDemo = dir.Path("source.dem");
    options.scriptFile = dir.Path("film.cam");
    options.resultDemo = dir.Path("result.dem");
    options.generateScript = false;
    options.autoRun = true;
  }

  RunOutcome Run(Platform& platform) {
    auto context = std::make_unique<Context>();
    context->options = options;
    return RefilmDemo(*context, platform);
  }

  test::ScratchDir dir;
  RefilmOptions options;
};

struct WatchingPlatform : test::RecordingPlatform {
  void Progress(double fraction) override { fractions.push_back(fraction); }
  bool StopRequested() override { return stopAfter >= 0 && static_cast<int>(fractions.size()) > stopAfter; }
  std::vector<double> fractions;
  int stopAfter = -1;
};

TEST_F(Reading, ProgressGrowsThroughEveryReadOfTheSource) {
  for (const bool generate : {false, true}) {
    options.generateScript = generate;
    WatchingPlatform platform;
    ASSERT_EQ(Run(platform), RunOutcome::Done);
    ASSERT_GT(platform.fractions.size(), 5u);
    EXPECT_TRUE(std::is_sorted(platform.fractions.begin(), platform.fractions.end()));
    EXPECT_GT(platform.fractions.front(), 0.0);
    EXPECT_LT(platform.fractions.front(), generate ? 1.0 / 3 : 0.5);  // the survey's share
    EXPECT_GT(platform.fractions.back(), 0.9);
    EXPECT_LE(platform.fractions.back(), 1.0);
  }
}

// The survey reads the whole demo before anything else: a stop is heard there too.
TEST_F(Reading, AStopDuringTheSurveyWritesNothing) {
  WatchingPlatform platform;
  platform.stopAfter = 0;
  EXPECT_EQ(Run(platform), RunOutcome::Stopped);
  EXPECT_EQ(platform.fractions.size(), 1u);
  EXPECT_FALSE(dir.Exists("result.dem"));
}

TEST_F(Reading, TheBarIsDrawnOnATerminalOnlyAndClearedBeforeMessages) {
  options.resultDemo = dir.Path("source.dem");  // refused, with a message
  for (const bool terminal : {false, true}) {
    std::ostringstream out, err;
    if (terminal) MarkAsTerminal(err, 60);
    {
      ProgressConsolePlatform platform(out, err, options.sourceDemo, std::chrono::seconds(0));
      platform.Progress(0.5);
      EXPECT_EQ(Run(platform), RunOutcome::Refused);
    }
    if (!terminal) {
      EXPECT_EQ(err.str(), "Error: The destination file \"" + options.resultDemo + "\" is the source file.\n");
      continue;
    }
    const std::string shown = err.str();
    EXPECT_EQ(shown.rfind("\r[", 0), 0u);
    EXPECT_NE(shown.find("] 50%  "), std::string::npos);
    EXPECT_NE(shown.find("\r\033[KError: "), std::string::npos);  // the line is gone first
  }
}

TEST(ProgressLine, FitsTheWidthAndSaysWhatIsKnown) {
  ProgressFigures figures{3, 12, 12.5 * 1024 * 1024, 50.0 * 1024 * 1024, 5};
  const std::string line = ProgressLine(figures, 80);
  EXPECT_EQ(line.size(), 79u);
  EXPECT_EQ(line.substr(line.find(']')), "] 3/12 demos  12.5/50.0 MB  2.5 MB/s  0:15 left");
  EXPECT_EQ(std::count(line.begin(), line.end(), '#'), 7);                // a quarter of 30, rounded down
  EXPECT_EQ(ProgressLine(figures, 30), "3/12 demos  12.5/50.0 MB  2.5");  // no room for the bar
  EXPECT_EQ(ProgressLine({0, 4, 0, 0, 0}, 40), "[" + std::string(27, '-') + "] 0/4 demos");
  EXPECT_EQ(Duration(3723.4), "1:02:03");
}

}  // namespace
}  // namespace cw
