// check --demo: a line timed after the end of every level is never taken.

#include <gtest/gtest.h>

#include <sstream>

#include "camera/script_check.h"
#include "inspect/demo_info.h"
#include "inspect/script_demo_check.h"

namespace cw {
namespace {

std::vector<ScriptFinding> CheckTimes(const std::string& script, const std::vector<float>& levelEnds) {
  std::istringstream lines(script);
  ScriptCheck check = CheckScript(lines);
  DemoInfo demo;
  for (const float end : levelEnds) {
    LevelInfo& level = demo.levels.emplace_back();
    level.timeSeen = end >= 0;
    level.lastTime = end;
  }
  CheckAgainstDemo(check, demo, "");
  return check.findings;
}

TEST(ScriptDemoTimes, ALineAfterTheEndOfEveryLevelIsNamed) {
  const std::string script = "0 stay 1 2 3\n65.35 stay 1 2 3\n65.36 text print \"late\"\n# 900 a comment\n";
  // The longest level counts: the clock starts again with each.
  const std::vector<ScriptFinding> two = CheckTimes(script, {30.0f, 65.354f, -1.0f});
  ASSERT_EQ(two.size(), 1u);
  EXPECT_EQ(two[0].line, 3);
  EXPECT_EQ(two[0].text,
            "the time 65.36 s comes after the demo's last time (its levels end at 30 s, 65.35 s): the line is "
            "never taken");
  EXPECT_TRUE(CheckTimes(script, {70.5f}).empty());
  EXPECT_EQ(CheckTimes(script, {12.0f})[1].text,
            "the time 65.36 s comes after the demo's last time (it ends at 12 s): the line is never taken");
  // A demo without a time tells nothing of its length; a line passed over is named once.
  EXPECT_TRUE(CheckTimes(script, {-1.0f}).empty());
  EXPECT_EQ(CheckTimes("99 zoom p\n", {10.0f}).size(), 1u);
}

}  // namespace
}  // namespace cw
