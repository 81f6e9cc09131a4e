// camwright-cli info: what a demo holds, checked against what the demo
// builder put in, for damaged demos and other protocols too.

#include <gtest/gtest.h>

#include <sstream>

#include "child_process.h"
#include "console/console_front.h"
#include "demo_builder.h"
#include "shared_demos.h"
#include "stream_fixture.h"

namespace cw {
namespace {

using test::DemoBuilder;
using test::EntityUpdate;
using test::MessageBytes;

EntityUpdate Update(int entity, std::optional<float> x, std::optional<float> y, std::optional<float> z) {
  EntityUpdate update;
  update.entity = entity;
  update.origin[0] = x;
  update.origin[1] = y;
  update.origin[2] = z;
  return update;
}

// A level of three timed blocks: the player walks 50 units twice, entity 7
// (a soldier) 60 units along x while its y and z stay those of its baseline;
// the intermission comes with the last time.
std::string Demo() {
  DemoBuilder demo;
  demo.FirstLine("3\n");
  demo.Block(
      MessageBytes()
          .ServerInfoMessage(
              {15, 1, 0, "Test Hall", {"maps/hall.bsp", "progs/player.mdl", "progs/soldier.mdl"}, {"misc/talk.wav"}})
          .CdTrack(5, 5)
          .SpawnBaseline({1, 2, 0, 0, 0, {0, 0, 0}, {0, 0, 0}})
          .SpawnBaseline({7, 3, 0, 0, 0, {100, 200, 8}, {0, 0, 0}})
          .SignonNum(1));
  demo.Block(
      MessageBytes().Time(1).EntityUpdateMessage(Update(1, 0, 0, 24)).EntityUpdateMessage(Update(7, 100, {}, {})));
  demo.Block(
      MessageBytes().Time(2).EntityUpdateMessage(Update(1, 30, 40, 24)).EntityUpdateMessage(Update(7, 160, {}, {})));
  demo.Block(MessageBytes().Time(3.5f).Intermission().EntityUpdateMessage(Update(1, 60, 80, 24)));
  demo.Block(MessageBytes().Disconnect());
  return demo.Build();
}

class Info : public ::testing::Test {
 protected:
  int Run(std::vector<std::string> words) {
    words.insert(words.begin(), "info");
    std::ostringstream out, err;
    const int status = RunConsole(words, out, err);
    output = out.str();
    errors = err.str();
    return status;
  }
  void ExpectHas(const std::string& piece) const { EXPECT_NE(output.find(piece), std::string::npos) << piece; }

  test::ScratchDir dir;
  std::string output;
  std::string errors;
};

TEST_F(Info, JsonValuesAreWhatTheDemoHolds) {
  dir.Write("hall.dem", Demo());
  ASSERT_EQ(Run({"--json", dir.Path("hall.dem")}), kExitDone) << errors;
  for (const char* piece :
       {"\"protocol\":15,\"readable\":true", "\"firstLine\":\"3\"", "\"map\":\"maps/hall.bsp\"",
        "\"levelName\":\"Test Hall\"", "\"cdTrack\":5", "\"blocks\":5,\"levelCount\":1", "\"duration\":2.5",
        "\"exitTime\":3.5,\"exitTimeText\":\"3.50000\"", "\"playerPath\":100.0", "\"longestBlock\":{\"block\":1,",
        "\"entity update\":5", "\"svc_time\":3", "\"svc_spawnbaseline\":2", "\"svc_intermission\":1",
        "\"svc_disconnect\":1", "\"problems\":{\"count\":0,\"first\":null}", "\"firstTime\":1,\"lastTime\":3.5"}) {
    ExpectHas(piece);
  }
  EXPECT_EQ(std::count(output.begin(), output.end(), '\n'), 1);  // one object, one line

  ASSERT_EQ(Run({"--entities", "--json", dir.Path("hall.dem")}), kExitDone);
  ExpectHas(
      "{\"level\":1,\"entity\":1,\"name\":\"player 1\",\"models\":[\"progs/player.mdl\"],\"updates\":3,"
      "\"firstTime\":1,\"lastTime\":3.5,\"distance\":100.0,\"first\":[0,0,24],\"last\":[60,80,24]}");
  ExpectHas(
      "{\"level\":1,\"entity\":7,\"name\":\"progs/soldier.mdl\",\"models\":[\"progs/soldier.mdl\"],\"updates\":2,"
      "\"firstTime\":1,\"lastTime\":2,\"distance\":60.0,\"first\":[100,200,8],\"last\":[160,200,8]}");

  ASSERT_EQ(Run({"-e", dir.Path("hall.dem")}), kExitDone);
  ExpectHas("e7      progs/soldier.mdl");
  ASSERT_EQ(Run({dir.Path("hall.dem")}), kExitDone);
  ExpectHas("exit time        3.50000\n");
}

TEST_F(Info, DamagedDemosAndOtherProtocolsSayWhatTheyCanAndExitWith2) {
  // A time cut by its block's end, in the second block: after the first
  // line (3 bytes) and the first block (16 + 5 bytes), past its header.
  dir.Write("cut.dem", test::MakeDemo("-1\n", {{svc_time, 0, 0, 128, 63}, {svc_time, 0, 0}}));
  EXPECT_EQ(Run({"--json", dir.Path("cut.dem")}), kExitProblems);
  ExpectHas("\"problems\":{\"count\":1,\"first\":{\"block\":2,\"offset\":40,");
  dir.Write("header.dem", test::MakeDemo("-1\n", {{svc_nop}}) + std::string("\x05\x00", 2));
  EXPECT_EQ(Run({dir.Path("header.dem")}), kExitProblems);
  ExpectHas("stream problems  2, the first in block 1 at byte 19");

  DemoBuilder other;
  other.Block(MessageBytes().ServerInfoMessage({42, 1, 0, "Elsewhere", {"maps/x.bsp"}, {}}).Raw({0xFF, 0xFF}));
  dir.Write("42.dem", other.Build());
  EXPECT_EQ(Run({"--json", dir.Path("42.dem")}), kExitProblems);
  ExpectHas("\"protocol\":42,\"readable\":false}");

  // One demo missing: refused, the others still told.
  EXPECT_EQ(Run({dir.Path("42.dem"), dir.Path("none.dem")}), kExitRefused);
  ExpectHas("protocol         42");
  EXPECT_NE(errors.find("Error: The demo \"" + dir.Path("none.dem") + "\" doesn't exist"), std::string::npos);
}

// Every shared demo, of every protocol: info and the entity list, valid JSON
// with the documented keys.
TEST_F(Info, EverySharedDemo) {
  CW_REQUIRE_SHARED_DEMOS();
  std::vector<std::string> all = test::Protocol15Demos();
  const std::vector<std::string> others = test::OtherProtocolDemos();
  all.insert(all.end(), others.begin(), others.end());
  std::string lines;
  for (const std::string& demo : all) {
    SCOPED_TRACE(demo);
    for (const bool entities : {false, true}) {
      EXPECT_EQ(Run({"--json", entities ? "-e" : "--", demo}), kExitDone);
      lines += output;
    }
  }
  dir.Write("all.json", lines);
  const test::ProgramOutcome check = test::RunProgram(
      {"python3", "-c",
       "import json, sys\n"
       "for line in open(sys.argv[1]):\n"
       "    o = json.loads(line)\n"
       "    keys = {'file', 'protocol', 'readable'}\n"
       "    if o['readable']:\n"
       "        keys |= {'entities'} if 'entities' in o else {'map', 'blocks', 'duration', 'exitTime', 'playerPath',\n"
       "                 'messages', 'problems', 'levels', 'longestBlock', 'cdTrack', 'exitTimeText'}\n"
       "    assert keys <= o.keys(), (o['file'], keys - o.keys())\n",
       dir.Path("all.json")},
      dir.Root());
  EXPECT_EQ(check.exitStatus, 0) << check.err;
}

}  // namespace
}  // namespace cw
