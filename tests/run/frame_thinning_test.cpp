// A result thinned to a frame rate drops frames, not events: every message
// but the time, the client data and the entity updates comes out as often
// and in the same order as without thinning, the source's and the script's.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <map>
#include <memory>

#include "child_process.h"
#include "demo_builder.h"
#include "recording_platform.h"
#include "run/context.h"
#include "run/refilm_run.h"
#include "shared_demos.h"
#include "stream/demo_files.h"
#include "stream/demo_walk.h"
#include "stream/message_reader.h"
#include "stream_fixture.h"
#include "synthetic_demo.h"

namespace cw {
namespace {

using test::MessageBytes;

// The messages of a demo that are no frame's own, as their bytes, in order.
class EventRecorder {
 public:
  EventRecorder(const CBlock& block, std::vector<std::string>& into) : in(block), events(into) {}
  void EntitySeen(int, int) {}
  void ClientData(int, const ClientDataFields&) {}
  void Time(int, float) {}
  void ServerInfo(int start, const ServerInfoFields&) { Add(start); }
  void SpawnBaseline(int start, const BaselineFields&) { Add(start); }
  void Text(int start, std::uint8_t, std::string_view) { Add(start); }
  void SetView(int start, int) { Add(start); }
  void UpdateColors(int start, int, int) { Add(start); }
  void SignonNum(int start, int) { Add(start); }
  void Intermission(int start) { Add(start); }
  void Other(int start, std::uint8_t) { Add(start); }
  void Damaged(int) {}

 private:
  void Add(int start) { events.emplace_back(reinterpret_cast<const char*>(in.Data()) + start, in.Position() - start); }
  const CBlock& in;
  std::vector<std::string>& events;
};

std::vector<std::string> Events(const std::string& path) {
  std::vector<std::string> events;
  InputFile file(path);
  Vec3 angles{};
  DemoWalk walk(file, angles);
  StreamState stream;
  CBlock block;
  while (walk.Next(block)) {
    EventRecorder recorder(block, events);
    ReadMessages(block, stream, recorder);
  }
  return events;
}

std::map<int, int> CountByType(const std::vector<std::string>& events) {
  std::map<int, int> counts;
  for (const std::string& event : events) ++counts[static_cast<std::uint8_t>(event[0])];
  return counts;
}

// Refilms `source` with every edit off, so that the result holds the
// source's messages and the camera's; `fps` 0 keeps every frame.
std::vector<std::string> RefilmEvents(const test::ScratchDir& dir, const std::string& source, int fps) {
  auto context = test::ScriptRunContext(source, dir.Path("film.cam"), dir.Path("out.dem"));
  RefilmOptions& options = context->options;
  options.removePrint = options.removeStufftext = options.removeCenterprint = false;
  options.fadeOut = options.playerBleeding = false;
  options.setFps = fps != 0;
  options.fps = fps;
  test::RecordingPlatform platform;
  const RunOutcome outcome = RefilmDemo(*context, platform);
  EXPECT_TRUE(outcome == RunOutcome::Done || outcome == RunOutcome::DoneWithProblems) << source;
  return Events(dir.Path("out.dem"));
}

// Thinned at each rate, the result holds the unthinned result's events in
// its order; and each type of the source's comes out as often as it went in,
// but those the camera adds to (its baseline and console commands at the
// signon, its view, the result's closing disconnect) or changes (the view's
// entity).
void ExpectEventsKept(const test::ScratchDir& dir, const std::string& source) {
  SCOPED_TRACE(source);
  const std::vector<std::string> every = RefilmEvents(dir, source, 0);
  std::map<int, int> expected = CountByType(Events(source));
  std::map<int, int> made = CountByType(every);
  for (const int added : {svc_spawnbaseline, svc_stufftext, svc_setview, svc_disconnect}) {
    EXPECT_GE(made[added], expected[added]) << added;
    expected.erase(added);
    made.erase(added);
  }
  EXPECT_EQ(made, expected);
  for (const int fps : {10, 20, 30}) EXPECT_EQ(RefilmEvents(dir, source, fps), every) << fps << " fps";
}

// A demo at 72 frames a second with, now and then, one message of every
// other type its protocol has.
std::string EveryMessageDemo(const test::Encoding& encoding) {
  test::DemoBuilder demo;
  test::ServerInfo info;
  info.protocol = encoding.protocol;
  info.flags = encoding.flags;
  info.models = {"maps/every.bsp", "progs/player.mdl"};
  info.sounds = {"misc/talk.wav"};
  demo.Block(MessageBytes(encoding).ServerInfoMessage(info).CdTrack(2, 2).SetView(1).SignonNum(1));
  demo.Block(MessageBytes(encoding).SpawnBaseline({1, 2, 0, 1, 0, {0, 0, 0}, {0, 0, 0}}).SignonNum(2));
  demo.Block(MessageBytes(encoding).SignonNum(3));
  const test::Baseline thing{0, 2, 0, 0, 0, {1, 2, 3}, {0, 0, 0}};
  std::vector<MessageBytes> events(40, MessageBytes(encoding));
  std::size_t next = 0;
  auto event = [&]() -> MessageBytes& { return events[next++]; };
  event().Nop();
  event().UpdateStat(14, 3);
  event().Version(encoding.protocol);
  event().SetView(1);
  event().PlaySound({1, 2, 1, {1, 2, 3}, 200, 64});
  event().Print("print\n");
  event().StuffText("echo stuff\n");
  event().SetAngle({10, 20, 30});
  event().LightStyle(3, "azazaz");
  event().UpdateName(0, "player");
  event().UpdateFrags(0, 2);
  event().StopSound(9);
  event().UpdateColors(0, 0x4D);
  event().Particle({1, 2, 3}, {0, 0, 1}, 20, 73);
  event().Damage(1, 2, {1, 2, 3});
  event().SpawnStatic(thing);
  event().SpawnBinary();
  event().SpawnBaseline({5, 2, 0, 0, 0, {1, 2, 3}, {0, 0, 0}});
  event().TempEntityMessage({3, 0, {1, 2, 3}, {}, 0, 0});
  event().TempEntityMessage({5, 1, {1, 2, 3}, {4, 5, 6}, 0, 0});
  event().SetPause(0);
  event().CenterPrint("centre");
  event().KilledMonster();
  event().FoundSecret();
  event().SpawnStaticSound({1, 2, 3}, 1, 255, 64);
  event().CdTrack(3, 3);
  event().SellScreen();
  event().Cutscene("scene");
  if (encoding.Extended()) {
    event().Skybox("sky1");
    event().Bf();
    event().Fog(50, 10, 20, 30, 250);
    event().SpawnBaseline2({6, 300, 0, 0, 0, {1, 2, 3}, {0, 0, 0}, 128, 16});
    event().SpawnStatic2(thing);
    event().SpawnStaticSound2({1, 2, 3}, 1, 255, 64);
    event().Achievement("ACH_1");
    event().LocalSound(1);
  }
  event().Intermission();
  event().Finale("the end");
  event().Disconnect();
  for (int frame = 0; frame < 300; ++frame) {
    MessageBytes block(encoding);
    block.Time(1.0f + static_cast<float>(frame) / 72.0f).ClientDataMessage({});
    test::EntityUpdate player;
    player.origin[0] = static_cast<float>(frame);
    player.origin[1] = player.origin[2] = 0.0f;
    block.EntityUpdateMessage(player);
    // Three events in a row, then none for a few frames.
    if (frame % 7 == 0 && frame / 7 < static_cast<int>(next)) block.Append(events[static_cast<std::size_t>(frame / 7)]);
    if (frame % 7 == 1 && frame / 7 < static_cast<int>(next)) block.Print("twice\n").Print("thrice\n");
    demo.Block(block);
  }
  return demo.Build();
}

TEST(FrameThinning, EveryMessageTypeOfEveryProtocolIsKept) {
  test::ScratchDir dir;
  dir.Write("film.cam", "0 stay 0 0 200\n0 view p\n");
  for (const test::Encoding encoding :
       {test::Encoding{}, test::Encoding{test::wire::kFitzQuake, 0},
        test::Encoding{test::wire::kRmq, test::wire::kFloatCoord | test::wire::kShortAngle}}) {
    dir.Write("every.dem", EveryMessageDemo(encoding));
    ExpectEventsKept(dir, dir.Path("every.dem"));
  }
}

TEST(FrameThinning, TheSharedDemosKeepEveryEvent) {
  CW_REQUIRE_SHARED_DEMOS();
  test::ScratchDir dir;
  dir.Write("film.cam", "0 stay p~0.3 p~0.3 p+48\n0 view p\n");
  std::vector<std::string> demos = test::Protocol15Demos();
  for (const std::string& other : test::OtherProtocolDemos()) demos.push_back(other);
  for (const std::string& demo : demos) ExpectEventsKept(dir, demo);
}

// The user's case: a title and four console lines at once, at 30 frames a
// second from a demo of 72, through the program.
TEST(FrameThinning, TheScriptsTitleAndConsoleLinesSurvive) {
  test::ScratchDir dir;
  test::SyntheticDemoOptions source;
  source.blocksPerSecond = 72;
  test::WriteSyntheticDemo(dir.Path("src.dem"), source);
  dir.Write("film.cam",
            "0 stay p~0.3 p~0.3 p+48\n0 view p\n1.5 text centerprint \"Title\"\n"
            "2 text stufftext \"echo one\\n\"\n2 text stufftext \"echo two\\n\"\n"
            "2 text stufftext \"echo three\\n\"\n2 text stufftext \"echo four\\n\"\n");
  const test::ProgramOutcome run =
      test::RunProgram({test::CliProgram(), "--fps", "30", "src.dem", "film.cam", "out.dem"}, dir.Root());
  ASSERT_EQ(run.exitStatus, 0) << run.err;
  std::vector<std::string> texts;
  for (const std::string& event : Events(dir.Path("out.dem"))) {
    const auto type = static_cast<std::uint8_t>(event[0]);
    if (type == svc_centerprint || type == svc_stufftext) texts.push_back(event.substr(1, event.size() - 2));
  }
  const std::vector<std::string> scripted = {"Title", "echo one\n", "echo two\n", "echo three\n", "echo four\n"};
  EXPECT_TRUE(std::search(texts.begin(), texts.end(), scripted.begin(), scripted.end()) != texts.end());
}

}  // namespace
}  // namespace cw
