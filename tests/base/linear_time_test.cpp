// A refilm takes time in proportion to its demo and script, whatever they
// hold: each crafted case is measured against a plain run of the same length
// in the same process, so that the machine's speed cancels out. A case that
// went quadratic would be hundreds of times slower than its plain twin.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <limits>

#include "base/protocol.h"
#include "recording_platform.h"
#include "run/context.h"
#include "run/refilm_run.h"
#include "stream_fixture.h"

namespace cw {
namespace {

using test::Append;
using test::Bytes;

// Linear work with a larger constant stays well below this; a quadratic
// walk is hundreds of times slower.
constexpr double kAllowedRatio = 10.0;

class LinearTime : public ::testing::Test {
 protected:
  // How many times as long the crafted run takes as the plain one: the
  // shortest of five runs of each, taken in turns so that a busy moment of
  // the machine weighs on both.
  double Ratio(const std::string& crafted, const std::string& craftedScript, const std::string& plain,
               const std::string& plainScript) {
    double bestCrafted = std::numeric_limits<double>::max();
    double bestPlain = std::numeric_limits<double>::max();
    for (int round = 0; round < 5; ++round) {
      bestCrafted = std::min(bestCrafted, Refilm(crafted, craftedScript));
      bestPlain = std::min(bestPlain, Refilm(plain, plainScript));
    }
    return bestCrafted / bestPlain;
  }

  double Refilm(const std::string& demo, const std::string& script) {
    dir.Write("in.dem", demo);
    dir.Write("in.cam", script);
    auto context = test::ScriptRunContext(dir.Path("in.dem"), dir.Path("in.cam"), dir.Path("out.dem"));
    test::RecordingPlatform platform;
    const auto begin = std::chrono::steady_clock::now();
    EXPECT_NE(RefilmDemo(*context, platform), RunOutcome::Refused);
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
  }

  test::ScratchDir dir;
};

// Blocks of a time, client data and an update of the player.
std::string PlayerDemo(int blocks, float (*time)(int)) {
  std::vector<Bytes> all;
  for (int i = 0; i < blocks; ++i) {
    Bytes block = {svc_time};
    test::AppendFloat(block, time(i));
    Append(block, {svc_clientdata, 0, 0, 100, 0, 0, 0, 0, 0, 0, 1});
    Append(block, {kEntityUpdateBit | U_ORIGIN1 | U_ORIGIN2, kPlayerEntity});
    test::AppendShort(block, i % 4000);
    test::AppendShort(block, i % 3000);
    all.push_back(block);
  }
  return test::MakeDemo("-1\n", all);
}

float Steady(int block) { return static_cast<float>(block) / 72.0f; }
float NotANumber(int) { return std::numeric_limits<float>::quiet_NaN(); }

TEST_F(LinearTime, FollowingThePlayer) {
  const std::string chase = "0 stay p~0.3 p~0.3 p+30\n0 view p\n";
  const std::string steady = PlayerDemo(80000, Steady);
  EXPECT_LT(Ratio(PlayerDemo(80000, NotANumber), chase, steady, chase), kAllowedRatio);
  // A lag that reaches back before the demo began finds no point at all.
  EXPECT_LT(Ratio(steady, "0 stay 0 0 0\n0 view p~100000\n", steady, chase), kAllowedRatio);
}

TEST_F(LinearTime, ManyLevelsAndManySounds) {
  // Levels whose sound lists the script's sounds join, against the same
  // levels and a script of as many texts.
  std::vector<Bytes> levels;
  for (int i = 0; i < 2000; ++i) {
    Bytes block = {svc_serverinfo};
    test::AppendLong(block, kProtocolVersion);
    Append(block, {1, 0, 0, 0});  // clients, game type, no level name, no models
    for (int n = 0; n < 100; ++n) test::AppendString(block, "s/" + std::to_string(n) + ".wav");
    block.push_back(0);
    levels.push_back(block);
  }
  const std::string demo = test::MakeDemo("-1\n", levels);
  std::string sounds;
  std::string texts;
  for (int i = 0; i < 20000; ++i) {
    sounds += "1000000 sound \"s/" + std::to_string(i % 5000) + "\"\n";
    texts += "1000000 text print \"s/" + std::to_string(i % 5000) + "\"\n";
  }
  EXPECT_LT(Ratio(demo, sounds, demo, texts), kAllowedRatio);
}

}  // namespace
}  // namespace cw
