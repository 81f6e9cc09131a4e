// What a refilm keeps in memory as it goes (the trajectory points a lookup
// can still reach, the script lines whose time has come) changes nothing of
// its result: random demos, whose clocks jump back and start new levels, and
// random scripts, with lines out of time order, refilmed with everything kept
// and read at once, and as a refilm does it.

#include <gtest/gtest.h>

#include <random>
#include <sstream>

#include "demo_builder.h"
#include "recording_platform.h"
#include "run/context.h"
#include "run/refilm_run.h"
#include "stream_fixture.h"

namespace cw {
namespace {

using test::DemoBuilder;
using test::MessageBytes;

unsigned Pick(std::mt19937& random, unsigned count) { return static_cast<unsigned>(random() % count); }

std::string RandomDemo(std::mt19937& random) {
  std::uniform_real_distribution<float> place(-500, 500);
  DemoBuilder demo;
  float time = 0;
  for (int level = 0; level < 3; ++level) {
    test::ServerInfo info;
    info.models = {"maps/random.bsp", "progs/player.mdl"};
    info.sounds = {"misc/talk.wav"};
    demo.Block(MessageBytes().ServerInfoMessage(info).SignonNum(1));
    demo.Block(
        MessageBytes().SpawnBaseline({1, 2, 0, 0, 0, {place(random), place(random), 0}, {0, 0, 0}}).SignonNum(2));
    time = level == 0 ? 0.5f : static_cast<float>(Pick(random, 20));  // a new level's clock starts anew
    for (int block = 0; block < 150; ++block) {
      // Mostly forward, now and then back, now and then the same time again.
      const unsigned step = Pick(random, 20);
      time += step == 0 ? -3.0f : step == 1 ? 0.0f : 0.05f + static_cast<float>(step) * 0.01f;
      MessageBytes frame;
      frame.Time(time).ClientDataMessage({});
      for (int entity = 1; entity <= 4; ++entity) {
        if (Pick(random, 3) == 0) continue;
        test::EntityUpdate update;
        update.entity = entity;
        for (std::optional<float>& axis : update.origin) {
          if (Pick(random, 4) != 0) axis = place(random);
        }
        frame.EntityUpdateMessage(update);
      }
      if (block == 120 && level == 1) frame.Intermission();
      demo.Block(frame);
    }
  }
  demo.Block(MessageBytes().Disconnect());
  return demo.Build();
}

std::string RandomAxis(std::mt19937& random) {
  switch (Pick(random, 6)) {
    case 0:
      return std::to_string(static_cast<int>(Pick(random, 800)) - 400);
    case 1:
      return "now";
    case 2:
      return "p~" + std::to_string(static_cast<float>(Pick(random, 40)) / 10.0f);
    case 3:
      return "e" + std::to_string(2 + Pick(random, 3)) + "~-0.5";  // a point ahead in time
    default:
      return "e" + std::to_string(1 + Pick(random, 4)) + "+" + std::to_string(Pick(random, 50));
  }
}

std::string RandomScript(std::mt19937& random) {
  static const char* const kWords[] = {"stay", "move",    "cut",  "view", "turn", "pan",   "roll",
                                       "lean", "palette", "fade", "end",  "text", "sound", "eyes"};
  std::ostringstream script;
  float time = 0;
  // Long enough that the refilm reads it a part at a time.
  for (int line = 0; line < 700; ++line) {
    // Mostly in time order; sometimes a line from earlier.
    time += static_cast<float>(Pick(random, 8)) / 100.0f;
    const float at = Pick(random, 8) == 0 ? time - 5.0f : time;
    const std::string word = kWords[Pick(random, static_cast<unsigned>(std::size(kWords)))];
    script << at << ' ' << word << ' ';
    if (word == "end") {
      static const char* const kEnds[] = {"move", "pan", "turn", "roll", "fade"};
      script << kEnds[Pick(random, static_cast<unsigned>(std::size(kEnds)))];
    } else if (word == "roll" || word == "lean") {
      script << static_cast<int>(Pick(random, 360));
    } else if (word == "palette" || word == "fade") {
      script << Pick(random, 256) << ' ' << Pick(random, 256) << ' ' << Pick(random, 256) << ' ' << Pick(random, 300);
    } else if (word == "text") {
      script << "print \"line " << line << "\\n\"";
    } else if (word == "sound") {
      script << (Pick(random, 2) ? "p " : "") << "\"misc/s" << Pick(random, 3) << '"';
    } else if (word == "eyes") {
      script << 1 + Pick(random, 4);
    } else {
      script << RandomAxis(random) << ' ' << RandomAxis(random) << ' ' << RandomAxis(random);
    }
    script << '\n';
  }
  return script.str();
}

std::string Refilm(const test::ScratchDir& dir, bool keepEverything) {
  auto context = test::ScriptRunContext(dir.Path("in.dem"), dir.Path("in.cam"), dir.Path("out.dem"));
  context->pruning.keepEveryPoint = keepEverything;
  context->readScriptWhole = keepEverything;
  test::RecordingPlatform platform;
  EXPECT_NE(RefilmDemo(*context, platform), RunOutcome::Refused);
  return dir.Read("out.dem");
}

TEST(TrackPruning, RandomDemosAndScriptsGiveTheSameBytes) {
  test::ScratchDir dir;
  std::mt19937 random(20261208);
  for (int round = 0; round < 20; ++round) {
    SCOPED_TRACE(round);
    dir.Write("in.dem", RandomDemo(random));
    dir.Write("in.cam", RandomScript(random));
    const std::string whole = Refilm(dir, true);
    ASSERT_GT(whole.size(), 1000u);
    ASSERT_TRUE(Refilm(dir, false) == whole) << dir.Read("in.cam");
  }
}

// A move read at the end of one part of the script ends where the next part
// begins: that next position must be read before the move runs, or the
// camera jumps instead of moving.
TEST(TrackPruning, AMoveAtTheEndOfAPartOfTheScriptStillMoves) {
  test::ScratchDir dir;
  DemoBuilder demo;
  test::ServerInfo info;
  info.models = {"maps/steady.bsp", "progs/player.mdl"};
  demo.Block(MessageBytes().ServerInfoMessage(info).SignonNum(1));
  for (int block = 0; block < 50; ++block) {
    demo.Block(MessageBytes().Time(static_cast<float>(block) * 0.1f).ClientDataMessage({}));
  }
  demo.Block(MessageBytes().Disconnect());
  dir.Write("in.dem", demo.Build());
  std::string script = "0 stay 0 0 0\n";
  for (int line = 1; line < 255; ++line) script += "0.5 text print \"x\"\n";
  script += "1 move 400 0 0\n3 stay 0 0 0\n";
  dir.Write("in.cam", script);
  EXPECT_TRUE(Refilm(dir, false) == Refilm(dir, true));
}

// The player at `x` in blocks from `from` to `to` seconds, a tenth apart.
std::string PlayerDemo(float from, float to, float x) {
  DemoBuilder demo;
  test::ServerInfo info;
  info.models = {"maps/steady.bsp", "progs/player.mdl"};
  demo.Block(MessageBytes().ServerInfoMessage(info).SignonNum(1));
  for (float time = from; time <= to; time += 0.1f) {
    test::EntityUpdate player;
    player.origin[0] = x;
    demo.Block(MessageBytes().Time(time).ClientDataMessage({}).EntityUpdateMessage(player));
  }
  demo.Block(MessageBytes().Disconnect());
  return demo.Build();
}

// The dialog refilms demo after demo in one session: what one run followed
// must not be found by the lookups of the next.
TEST(TrackPruning, ARunFindsNothingOfTheRunBefore) {
  test::ScratchDir dir;
  dir.Write("in.cam", "0 stay p~0.5 0 0\n0 view 0 0 0\n");
  dir.Write("in.dem", PlayerDemo(1.0f, 2.0f, 500));
  const std::string fresh = Refilm(dir, false);
  auto context = test::ScriptRunContext(dir.Path("in.dem"), dir.Path("in.cam"), dir.Path("out.dem"));
  test::RecordingPlatform platform;
  dir.Write("in.dem", PlayerDemo(0.1f, 0.6f, 100));
  ASSERT_NE(RefilmDemo(*context, platform), RunOutcome::Refused);
  dir.Write("in.dem", PlayerDemo(1.0f, 2.0f, 500));
  ASSERT_NE(RefilmDemo(*context, platform), RunOutcome::Refused);
  EXPECT_TRUE(dir.Read("out.dem") == fresh);
}

}  // namespace
}  // namespace cw
