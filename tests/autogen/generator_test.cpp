#include "autogen/generator.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "base/convert.h"
#include "base/protocol.h"
#include "recording_platform.h"
#include "run/context.h"
#include "run/refilm_run.h"
#include "stream_fixture.h"

namespace cw {
namespace {

namespace fs = std::filesystem;

// --- the step after each block, on a hand-filled context ------------------

void DefineZone(Context& context, int n, std::array<int, 3> spot, std::array<int, 3> low, std::array<int, 3> high) {
  CameraZone& zone = context.zones.zones[static_cast<std::size_t>(n)];
  for (std::size_t axis = 0; axis < 3; ++axis) {
    zone.spot[axis] = spot[axis];
    zone.low[axis] = low[axis];
    zone.high[axis] = high[axis];
  }
  zone.defined = true;
}

void Link(Context& context, int a, int b) {
  context.zones.zoneLinks[static_cast<std::size_t>(a)][static_cast<std::size_t>(b)] = true;
  context.zones.zoneLinks[static_cast<std::size_t>(b)][static_cast<std::size_t>(a)] = true;
}

class ScriptStepTest : public ::testing::Test {
 protected:
  void SetUp() override { context.entities.Reference(kPlayerEntity); }

  // The player seen at `position` in a block whose time is `time`; returns
  // what the step wrote.
  std::string PlayerAt(float time, float x, float y, float z) {
    context.run.demoTime = time;
    context.entities.AddTrackPoint(kPlayerEntity, time, x, y, z);
    std::ostringstream out;
    WriteScriptStep(context, context.generator, context.zones, out);
    return out.str();
  }

  Context context;
};

TEST_F(ScriptStepTest, LinkedWalkGlidesOverTheWholeStayInTheZoneLeft) {
  DefineZone(context, 3, {100, 200, 300}, {0, 0, 0}, {500, 500, 500});
  DefineZone(context, 5, {-700, 800, -90}, {600, 0, 0}, {1000, 500, 500});
  Link(context, 3, 5);

  EXPECT_EQ(PlayerAt(1.0f, 2000, 0, 0), "");  // outside every zone
  EXPECT_EQ(PlayerAt(2.5f, 100, 100, 100), "0 stay 100 200 300\n0 view e1\n");
  EXPECT_EQ(PlayerAt(20.0f, 400, 100, 100), "");
  EXPECT_EQ(PlayerAt(40.0f, 700, 100, 100), "2.5 move -700 800 -90\n39.999 end move\n");
  EXPECT_EQ(context.generator.currentZone, 5);
  EXPECT_FLOAT_EQ(context.generator.lastSwitchTime, 40.0f);
}

TEST_F(ScriptStepTest, UnlinkedZoneCutsInTheBlockThePlayerIsSeenThere) {
  DefineZone(context, 3, {100, 200, 300}, {0, 0, 0}, {500, 500, 500});
  DefineZone(context, 49, {1, -2, 3}, {600, 0, 0}, {1000, 500, 500});  // the highest zone number
  Link(context, 3, 5);

  PlayerAt(2.5f, 100, 100, 100);
  EXPECT_EQ(PlayerAt(40.0f, 700, 100, 100), "40 stay 1 -2 3\n");
  EXPECT_EQ(context.generator.currentZone, 49);
}

TEST_F(ScriptStepTest, StayingInTheCurrentZoneWritesNothingEvenInsideOthers) {
  DefineZone(context, 4, {0, 0, 0}, {0, 0, 0}, {100, 100, 100});
  DefineZone(context, 2, {9, 9, 9}, {50, 50, 50}, {500, 500, 500});
  PlayerAt(1.0f, 10, 10, 10);
  ASSERT_EQ(context.generator.currentZone, 4);
  for (float t = 2.0f; t < 60.0f; t += 1.0f) {
    SCOPED_TRACE(t);
    EXPECT_EQ(PlayerAt(t, 60, 60, 60), "");  // also inside zone 2
  }
  EXPECT_EQ(context.generator.currentZone, 4);
}

TEST_F(ScriptStepTest, OverlappingZonesEnteredAtOnceEachGetTheirLinesInOrder) {
  DefineZone(context, 1, {1, 1, 1}, {0, 0, 0}, {100, 100, 100});
  DefineZone(context, 2, {2, 2, 2}, {200, 0, 0}, {400, 100, 100});
  DefineZone(context, 4, {4, 4, 4}, {300, 0, 0}, {500, 100, 100});
  Link(context, 2, 4);  // 1-2 not linked: a cut, then a glide of no length

  PlayerAt(3.0f, 50, 50, 50);
  EXPECT_EQ(PlayerAt(12.5f, 350, 50, 50), "12.5 stay 2 2 2\n12.5 move 4 4 4\n12.499 end move\n");
  EXPECT_EQ(context.generator.currentZone, 4);
}

TEST_F(ScriptStepTest, AFirstZoneEnteredLateStillStandsFromTimeZero) {
  DefineZone(context, 7, {5, 6, 7}, {0, 0, 0}, {100, 100, 100});
  EXPECT_EQ(PlayerAt(30.0f, 500, 500, 500), "");
  EXPECT_EQ(PlayerAt(31.0f, 99, 0, 100), "0 stay 5 6 7\n0 view e1\n");
  EXPECT_FLOAT_EQ(context.generator.lastSwitchTime, 31.0f);
}

TEST_F(ScriptStepTest, NothingBeforeThePlayerIsSeen) {
  DefineZone(context, 1, {5, 6, 7}, {-10, -10, -10}, {10, 10, 10});
  std::ostringstream out;
  WriteScriptStep(context, context.generator, context.zones, out);
  EXPECT_EQ(out.str(), "");
}

TEST_F(ScriptStepTest, AZoneTheFileDoesNotDefineIsNeverEntered) {
  // Undefined zones have an empty box at the origin: a player standing
  // exactly there must not be taken into all of them.
  EXPECT_EQ(PlayerAt(1.0f, 0, 0, 0), "");
  EXPECT_EQ(context.generator.currentZone, 0);
}

TEST_F(ScriptStepTest, TimesHaveSixSignificantDigitsWithoutTrailingZeros) {
  const struct {
    float time;
    const char* text;
  } cases[] = {
      {12.5f, "12.5"},     {12.34567f, "12.3457"}, {40.0f - 0.001f, "39.999"},  {0.1f, "0.1"},       {100.0f, "100"},
      {1234.5f, "1234.5"}, {999999.0f, "999999"},  {1234567.0f, "1.23457e+06"}, {0.0001f, "0.0001"}, {3.0f, "3"},
  };
  DefineZone(context, 1, {0, 0, 0}, {0, 0, 0}, {10, 10, 10});
  DefineZone(context, 2, {0, 0, 0}, {20, 0, 0}, {30, 10, 10});
  PlayerAt(0.0f, 5, 5, 5);
  float x = 25;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(PlayerAt(c.time, x, 5, 5), std::string(c.text) + " stay 0 0 0\n");
    x = x == 25 ? 5 : 25;  // back and forth between the two unlinked zones
  }
}

TEST(InsideZone, BoundsAreIncludedAndComparedAsNumbers) {
  Context context;
  DefineZone(context, 9, {0, 0, 0}, {-10, 20, 16777217}, {10, 30, 16777300});
  const struct {
    const char* name;
    float position[3];
    bool inside;
  } cases[] = {
      {"low corner", {-10, 20, 16777218}, true},
      {"high faces", {10, 30, 16777300}, true},
      {"just below x", {-10.001f, 25, 16777218}, false},
      {"just above y", {0, 30.01f, 16777218}, false},
      // 16777216 as a float is below the integer corner 16777217, although
      // the corner rounds to the same float.
      {"below a corner beyond float's exact integers", {0, 25, 16777216.0f}, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(InsideZone(context.zones, 9, c.position), c.inside);
  }
  const float origin[3] = {0, 0, 0};
  for (int zone : {-1, 0, 8, 50, 1000}) {
    SCOPED_TRACE(zone);
    EXPECT_FALSE(InsideZone(context.zones, zone, origin));
  }
}

// --- whole generations over synthetic demos, in a scratch folder ----------

using test::GeneratedBody;
using test::InFolder;
using test::ReadText;

void WriteText(const std::string& name, const std::string& text) { std::ofstream(name, std::ios::binary) << text; }

struct PlayerStep {
  float time;
  Vec3 origin;
};

// Signon blocks, then one block per step with the time and the player's
// update, then the disconnect.
std::string MakeWalkDemo(const std::string& worldModel, const std::vector<PlayerStep>& walk,
                         bool withServerInfo = true) {
  using test::Append;
  using test::AppendShort;
  std::vector<test::Bytes> blocks;
  if (withServerInfo) {
    test::Bytes info;
    Append(info, {svc_print});
    test::AppendString(info, "welcome\n");
    Append(info, {svc_serverinfo});
    test::AppendLong(info, kProtocolVersion);
    Append(info, {1, 0});  // maximum clients, game type
    test::AppendString(info, "Test Level");
    for (const char* model : {worldModel.c_str(), "progs/player.mdl", ""}) test::AppendString(info, model);
    for (const char* sound : {"misc/talk.wav", ""}) test::AppendString(info, sound);
    Append(info, {svc_signonnum, 1});
    blocks.push_back(info);
  }
  test::Bytes baseline;
  Append(baseline, {svc_spawnbaseline});
  AppendShort(baseline, kPlayerEntity);
  Append(baseline, {2, 0, 0, 0});  // model, frame, colour map, skin
  for (int axis = 0; axis < 3; ++axis) {
    AppendShort(baseline, 0);  // coord
    Append(baseline, {0});     // angle
  }
  Append(baseline, {svc_signonnum, 2});
  blocks.push_back(baseline);
  blocks.push_back({svc_signonnum, 3});
  for (const PlayerStep& step : walk) {
    test::Bytes frame;
    Append(frame, {svc_time});
    test::AppendFloat(frame, step.time);
    Append(frame, {kEntityUpdateBit | U_ORIGIN1 | U_ORIGIN2 | U_ORIGIN3, kPlayerEntity});
    for (float coord : step.origin) AppendShort(frame, TruncateToInt(coord * kCoordScale));
    blocks.push_back(frame);
  }
  blocks.push_back({svc_disconnect});
  return test::MakeDemo("3\n", blocks);
}

constexpr const char* kTwoRooms =
    "Two rooms and a yard\n"
    "---START---\n"
    "3   100 200 300    0 0 0      500 500 500     5 0\n"
    "5   -700 800 -90   600 0 0    1000 500 500    0\n"
    "6   1 -2 3         1100 0 0   1500 500 500    0\n"
    "---END---\n";

const std::vector<PlayerStep> kWalkThroughThreeZones = {
    {1.0f, {2000, 0, 0}},      // outside every zone
    {2.5f, {100, 100, 100}},   // zone 3
    {20.0f, {400, 100, 100}},  // still zone 3
    {40.0f, {700, 100, 100}},  // zone 5, linked with 3
    {55.25f, {1200, 50, 50}},  // zone 6, not linked
};

constexpr const char* kScriptOfThatWalk =
    "0 view p\n"
    "0 stay 100 200 300\n"
    "0 view e1\n"
    "2.5 move -700 800 -90\n"
    "39.999 end move\n"
    "55.25 stay 1 -2 3\n";

constexpr const char* kChaseCamera = "0 view p\n0 stay p\n1.5 stay p~0.3 p~0.3 p+30\n";
constexpr const char* kNoDispositionText = "No camera disposition file exists for this map. Using chasecam instead.";

class GenerateScriptTest : public ::testing::Test {
 protected:
  // The script generated for the demo, from the zone file text when given.
  std::string Generate(const std::string& demoText, const std::string* zones = nullptr) {
    std::istringstream demo(demoText);
    std::istringstream zoneFile(zones ? *zones : std::string());
    std::ostringstream script;
    EXPECT_TRUE(GenerateScript(context, context.generator, context.zones, demo, zones ? &zoneFile : nullptr, script,
                               [](std::streamoff) { return true; }));
    return script.str();
  }

  // A whole run with a generated script: the run finds the zone file.
  RunOutcome RunWithGeneratedScript(const std::string& demoText, const std::string& script = "auto.cam") {
    WriteText("source.dem", demoText);
    context.options.sourceDemo = "source.dem";
    context.options.scriptFile = script;
    context.options.resultDemo = "result.dem";
    context.options.generateScript = true;
    context.options.autoRun = true;
    return RefilmDemo(context, platform);
  }

  test::ScratchDir folder;
  InFolder inFolder{folder.Root()};
  Context context;
  test::RecordingPlatform platform;
  const std::string twoRooms = kTwoRooms;
};

TEST_F(GenerateScriptTest, FollowsThePlayerThroughTheMapsZones) {
  EXPECT_EQ(Generate(MakeWalkDemo("maps/rooms.bsp", kWalkThroughThreeZones), &twoRooms), kScriptOfThatWalk);
  EXPECT_TRUE(context.entities.IsReferenced(kPlayerEntity));
  EXPECT_EQ(context.generator.currentZone, 6);
}

TEST_F(GenerateScriptTest, TheRunGeneratesFromTheMapsZoneFileAndKeepsAHandWrittenScript) {
  WriteText("rooms.log", kTwoRooms);
  WriteText("auto.cam~", "an older backup\n");
  WriteText("auto.cam", "a script of the user's\n9 stay 1 2 3\n");
  const std::string demo = MakeWalkDemo("maps/rooms.bsp", kWalkThroughThreeZones);
  ASSERT_NE(RunWithGeneratedScript(demo), RunOutcome::Refused);
  EXPECT_EQ(GeneratedBody(ReadText("auto.cam")), kScriptOfThatWalk);
  EXPECT_EQ(ReadText("auto.cam~"), "a script of the user's\n9 stay 1 2 3\n");
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_EQ(platform.messages[0].text,
            "The script file \"auto.cam\" was not generated by camwright, or was edited since: it is kept as "
            "\"auto.cam~\", and the generated script takes its name.");
}

TEST_F(GenerateScriptTest, WithoutADispositionFileWarnsAndWritesAChaseCamera) {
  ASSERT_NE(RunWithGeneratedScript(MakeWalkDemo("maps/rooms.bsp", kWalkThroughThreeZones)), RunOutcome::Refused);
  EXPECT_EQ(GeneratedBody(ReadText("auto.cam")), kChaseCamera);
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_EQ(platform.messages[0].text, kNoDispositionText);
  EXPECT_EQ(platform.messages[0].caption, "Warning");
  EXPECT_EQ(platform.messages[0].kind, MessageKind::Error);
}

TEST_F(GenerateScriptTest, TheChaseCameraNeedsNoAnalysisPass) {
  EXPECT_EQ(Generate(MakeWalkDemo("maps/rooms.bsp", kWalkThroughThreeZones)), kChaseCamera);
  EXPECT_EQ(context.entities.PointCount(kPlayerEntity), 0);
}

TEST_F(GenerateScriptTest, ADemoWithoutServerInfoGetsAChaseCameraWithoutWarning) {
  WriteText(".log", kTwoRooms);  // what a name built from no map at all would find
  ASSERT_NE(RunWithGeneratedScript(MakeWalkDemo("maps/rooms.bsp", kWalkThroughThreeZones, false)), RunOutcome::Refused);
  EXPECT_EQ(GeneratedBody(ReadText("auto.cam")), kChaseCamera);
  EXPECT_TRUE(platform.messages.empty());
}

TEST_F(GenerateScriptTest, EmptyOrShortDemosGetAChaseCameraWithoutWarning) {
  // The last one holds two bytes of a block header.
  for (const std::string& demo :
       {std::string(), std::string("-1"), std::string("-1\n"), std::string("-1\n\x05\0", 5)}) {
    SCOPED_TRACE(testing::PrintToString(demo));
    EXPECT_EQ(Generate(demo, &twoRooms), kChaseCamera);
  }
}

TEST_F(GenerateScriptTest, APlayerWhoNeverEntersAZoneGivesTheFirstLineAlone) {
  EXPECT_EQ(Generate(MakeWalkDemo("maps/rooms.bsp", {{1.0f, {-50, -50, -50}}, {2.0f, {-1, 600, 600}}}), &twoRooms),
            "0 view p\n");
}

TEST_F(GenerateScriptTest, AScriptFileThatCannotBeWrittenIsReported) {
  WriteText("rooms.log", kTwoRooms);
  const std::string demo = MakeWalkDemo("maps/rooms.bsp", kWalkThroughThreeZones);
  EXPECT_EQ(RunWithGeneratedScript(demo, "no-such-folder/auto.cam"), RunOutcome::Refused);
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_EQ(platform.messages[0].text, "The script file \"no-such-folder/auto.cam\" can't be written.");
  fs::create_directory("a-folder.cam");
  EXPECT_EQ(RunWithGeneratedScript(demo, "a-folder.cam"), RunOutcome::Refused);
  EXPECT_FALSE(fs::exists("result.dem"));
}

TEST_F(GenerateScriptTest, ASecondGenerationStartsAfresh) {
  // The first demo leaves the player in zone 6 at a late time.
  Generate(MakeWalkDemo("maps/rooms.bsp", kWalkThroughThreeZones), &twoRooms);
  // The refilm between the two generations runs with demo times of its own.
  context.run.demoTime = 300.0f;
  context.parser.serverInfoSeen = true;

  // The second demo starts outside every zone, then goes into zone 5: the
  // player's last point of the first demo, in zone 6, must not place its camera.
  const std::vector<PlayerStep> secondWalk = {{0.5f, {2000, 0, 0}}, {3.0f, {700, 100, 100}}, {8.0f, {1200, 50, 50}}};
  const std::string second = Generate(MakeWalkDemo("maps/rooms.bsp", secondWalk), &twoRooms);

  Context fresh;
  std::istringstream demo(MakeWalkDemo("maps/rooms.bsp", secondWalk));
  std::istringstream zones(kTwoRooms);
  std::ostringstream script;
  ASSERT_TRUE(
      GenerateScript(fresh, fresh.generator, fresh.zones, demo, &zones, script, [](std::streamoff) { return true; }));
  EXPECT_EQ(second, script.str());
  EXPECT_EQ(second, "0 view p\n0 stay -700 800 -90\n0 view e1\n8 stay 1 -2 3\n");
}

TEST_F(GenerateScriptTest, TheWarningComesFromThisDemosOwnMap) {
  // A map with a disposition file, then a second run on a demo of a map
  // without one: the warning comes from that demo's own map name.
  WriteText("rooms.log", kTwoRooms);
  RunWithGeneratedScript(MakeWalkDemo("maps/rooms.bsp", kWalkThroughThreeZones));
  ASSERT_TRUE(platform.messages.empty());
  RunWithGeneratedScript(MakeWalkDemo("maps/elsewhere.bsp", kWalkThroughThreeZones));
  EXPECT_EQ(GeneratedBody(ReadText("auto.cam")), kChaseCamera);
  EXPECT_EQ(platform.messages.size(), 1u);
}

TEST_F(GenerateScriptTest, AStopRequestEndsGenerationEarly) {
  std::vector<PlayerStep> longWalk;
  for (int i = 0; i < 1000; ++i) longWalk.push_back({static_cast<float>(i) / 10.0f, {100, 100, 100}});
  std::istringstream demo(MakeWalkDemo("maps/rooms.bsp", longWalk));
  std::istringstream zones(kTwoRooms);
  std::ostringstream script;
  EXPECT_FALSE(GenerateScript(context, context.generator, context.zones, demo, &zones, script,
                              [](std::streamoff) { return false; }));
}

}  // namespace
}  // namespace cw
