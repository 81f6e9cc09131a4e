// camwright-cli info: what a demo holds, checked against what the demo
// builder put in, for damaged demos and other protocols too.

#include <gtest/gtest.h>

#include <sstream>

#include "base/protocol.h"
#include "child_process.h"
#include "console/console_front.h"
#include "demo_builder.h"
#include "shared_demos.h"
#include "stream_fixture.h"
#include "strict_json.h"
#include "subcommand_test.h"

namespace cw {
namespace {

using test::DemoBuilder;
using test::EntityUpdate;
using test::MessageBytes;
using test::StrictJsonFault;

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

class Info : public test::SubcommandTest {
 protected:
  Info() : SubcommandTest("info") {}
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

// A demo's names reach the terminal with their control bytes shown, not sent.
TEST_F(Info, NamesWithControlBytesAreShownEscaped) {
  DemoBuilder demo;
  demo.FirstLine("3\x1b]0;\n");
  demo.Block(MessageBytes()
                 .ServerInfoMessage({15, 1, 0, "Hall\x07", {"maps/\x1b[2J.bsp", "progs/\x9b.mdl"}, {}})
                 .SpawnBaseline({2, 2, 0, 0, 0, {0, 0, 0}, {0, 0, 0}}));
  demo.Block(MessageBytes().Time(1).EntityUpdateMessage(Update(2, 8, 8, 8)));
  dir.Write("esc.dem", demo.Build());
  for (const char* form : {"--", "-e"}) {
    EXPECT_EQ(Run({form, dir.Path("esc.dem")}), kExitDone) << errors;
    EXPECT_EQ(output.find_first_of("\x1b\x07\x9b"), std::string::npos) << output;
  }
  ExpectHas("progs/\\x9b.mdl");
  ASSERT_EQ(Run({dir.Path("esc.dem")}), kExitDone);
  ExpectHas("maps/\\x1b[2J.bsp \"Hall\\x07\"");
  ExpectHas("first line: \"3\\x1b]0;\"");
}

// Every message the builder writes, in each protocol that carries it.
std::string EveryMessage(int protocol) {
  const test::Encoding encoding{protocol, 0};
  const test::Baseline baseline{2, 1, 0, 0, 0, {1, 2, 3}, {0, 0, 0}};
  MessageBytes first(encoding);
  first.ServerInfoMessage({protocol, 1, 0, "All", {"maps/all.bsp"}, {"misc/a.wav"}});
  first.Bad().Nop().UpdateStat(1, 2).Version(protocol).SetView(1).PlaySound({}).Time(1).Print("p").StuffText("s");
  first.SetAngle({1, 2, 3}).LightStyle(0, "m").UpdateName(0, "n").UpdateFrags(0, 1).ClientDataMessage({});
  first.StopSound(8).UpdateColors(0, 1).Particle({1, 2, 3}, {0, 0, 1}, 1, 2).Damage(1, 2, {1, 2, 3});
  first.SpawnStatic(baseline).SpawnBaseline(baseline).TempEntityMessage({}).SetPause(0).SignonNum(1);
  first.CenterPrint("c").KilledMonster().FoundSecret().SpawnStaticSound({1, 2, 3}, 1, 2, 3).Intermission();
  first.Finale("f").CdTrack(1, 1).SellScreen().Cutscene("t").EntityUpdateMessage({});
  if (protocol == test::wire::kProtocol) first.SpawnBinary();
  if (encoding.Extended()) {
    first.Skybox("sky").Bf().Fog(1, 2, 3, 4, 5).SpawnBaseline2(baseline).SpawnStatic2(baseline);
    first.SpawnStaticSound2({1, 2, 3}, 300, 4, 5).Achievement("a").LocalSound(1);
  }
  DemoBuilder demo;
  demo.Block(first);
  demo.Block(MessageBytes(encoding).Time(2).EntityUpdateMessage({}).Disconnect());
  return demo.Build();
}

// info names each message type once, by its own name, in both forms: the
// types after svc_cutscene once all read "entity update" and repeated the key.
TEST_F(Info, EveryMessageTypeIsNamedOnce) {
  for (const int protocol : {test::wire::kProtocol, test::wire::kFitzQuake, test::wire::kRmq}) {
    SCOPED_TRACE(protocol);
    const std::string demo = "all" + std::to_string(protocol) + ".dem";
    dir.Write(demo, EveryMessage(protocol));
    EXPECT_EQ(Run({"--json", dir.Path(demo)}), kExitProblems);  // svc_bad and svc_nop
    EXPECT_EQ(StrictJsonFault(output), "");
    ExpectHas("\"entity update\":2,");
    int carried = 0;
    for (const MessageType& row : kMessageTypes) {
      if (!CarriedIn(row.type, protocol)) continue;
      ++carried;
      ExpectHas("\"" + std::string(row.name) + "\":" + (row.type == svc_time ? "2" : "1"));
    }
    EXPECT_EQ(carried, protocol == test::wire::kProtocol ? 35 : 42);
    const std::string json = output;
    ASSERT_EQ(Run({dir.Path(demo)}), kExitProblems);
    const bool extended = protocol != test::wire::kProtocol;
    for (const char* name : {"svc_skybox", "svc_fog", "svc_spawnbaseline2", "svc_spawnstatic2", "svc_spawnstaticsound2",
                             "svc_localsound", "svc_bf", "svc_achievement"}) {
      EXPECT_EQ(json.find(name) != std::string::npos, extended) << name;
      EXPECT_EQ(output.find(std::string(name) + " 1") != std::string::npos, extended) << name;
    }
    EXPECT_EQ(output.find("entity update 2,"), output.rfind("entity update"));
  }
}

TEST(StrictJson, RejectsWhatALenientReaderHides) {
  EXPECT_EQ(StrictJsonFault(" {\"a\":[1,-0.5e+3,true,null,{}],\"b\":\"\\u00e9\\n\"}\n"), "");
  EXPECT_EQ(StrictJsonFault("{\"a\":1,\"b\":{\"a\":2}}"), "");  // one key in two objects
  const std::pair<const char*, const char*> faults[] = {
      {"{\"a\":1,\"a\":2}", "the key \"a\" again in one object at byte 7"},
      {"{\"a\":1,\"\\u0061\":2}", "the key \"a\" again in one object at byte 7"},
      {"{\"a\":NaN}", "no value here at byte 5"},
      {"[Infinity]", "no value here at byte 1"},
      {"[-]", "no value here at byte 1"},
      {"[01]", "',' expected at byte 2"},
      {"[1.]", "a number without digits after its point at byte 3"},
      {"[1e]", "a number without digits in its exponent at byte 3"},
      {"{} {}", "text after the value at byte 3"},
      {"{\"a\":1,}", "'\"' expected at byte 7"},
      {"\"tab\there\"", "a control character inside a string at byte 5"},
      {"\"\\x\"", "the escape \\x at byte 3"},
      {"\"\\u12g4\"", "a \\u escape without four hex digits at byte 5"},
      {"\"open", "a string without its closing quote at byte 5"},
      {"", "no value here at byte 0"},
  };
  for (const auto& [json, fault] : faults) EXPECT_EQ(StrictJsonFault(json), fault) << json;
  EXPECT_EQ(StrictJsonFault(std::string(512, '[') + std::string(512, ']')), "");
  EXPECT_EQ(StrictJsonFault(std::string(513, '[') + std::string(513, ']')), "nested too deeply at byte 512");
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
      EXPECT_EQ(StrictJsonFault(output), "");
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
