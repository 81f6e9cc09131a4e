#include <gtest/gtest.h>

#include "base/protocol.h"
#include "refilm/run_watcher.h"
#include "stream_fixture.h"

namespace cw {
namespace {

using test::Append;
using test::AppendShort;
using test::AppendString;
using test::Bytes;

// Every message of the protocol, as a real server writes it, must come out
// byte for byte when no edit is asked for.
TEST(MessageLoop, EveryMessageTypeIsCopiedUnchanged) {
  struct Case {
    const char* name;
    Bytes bytes;
  };
  const std::vector<Case> cases = {
      {"disconnect", {2}},
      {"updatestat", {3, 5, 1, 2, 3, 4}},
      {"version", {4, 15, 0, 0, 0}},
      {"setview", {5, 1, 0}},
      {"sound, no options", {6, 0, /*channel+entity*/ 0x0A, 0, /*sound*/ 3, /*origin*/ 1, 0, 2, 0, 3, 0}},
      {"sound, volume and attenuation", {6, 3, 200, 64, 0x0A, 0, 3, 1, 0, 2, 0, 3, 0}},
      {"time", {7, 0, 0, 0x80, 0x3F}},
      {"print", {8, 'h', 'i', 0}},
      {"stufftext", {9, 'b', 'f', '\n', 0}},
      {"setangle", {10, 1, 2, 3}},
      {"lightstyle", {12, 0, 'm', 0}},
      {"updatename", {13, 0, 'p', 0}},
      {"updatefrags", {14, 0, 5, 0}},
      {"stopsound", {16, 0x0A, 0}},
      {"updatecolors", {17, 0, 0x4D}},
      {"particle", {18, 1, 0, 2, 0, 3, 0, 0, 0, 5, 10, 73}},
      {"damage", {19, 5, 10, 1, 0, 2, 0, 3, 0}},
      {"spawnstatic", {20, 1, 0, 0, 0, 8, 0, 0, 16, 0, 0, 24, 0, 0}},
      {"spawnbinary", {21}},
      {"spawnbaseline", {22, 5, 0, 1, 0, 0, 0, 8, 0, 0, 16, 0, 0, 24, 0, 0}},
      {"temp entity 3 (explosion)", {23, 3, 1, 0, 2, 0, 3, 0}},
      {"temp entity 9 (beam)", {23, 9, 1, 0, 1, 0, 2, 0, 3, 0, 4, 0, 5, 0, 6, 0}},
      {"temp entity 12 (coloured explosion)", {23, 12, 1, 0, 2, 0, 3, 0, 7, 8}},
      {"temp entity 13 (grapple beam)", {23, 13, 1, 0, 1, 0, 2, 0, 3, 0, 4, 0, 5, 0, 6, 0}},
      {"setpause", {24, 1}},
      {"signonnum 1", {25, 1}},
      {"centerprint", {26, 'c', 0}},
      {"killedmonster", {27}},
      {"foundsecret", {28}},
      {"spawnstaticsound", {29, 1, 0, 2, 0, 3, 0, 4, 255, 1}},
      {"finale", {31, 'e', 'n', 'd', 0}},
      {"cdtrack", {32, 2, 2}},
      {"sellscreen", {33}},
      {"cutscene", {34, 0}},
      {"entity update, everything", {0xFF, 0x7F, 1, 0, 1, 2, 3, 4, 5, 8, 0, 10, 16, 0, 20, 24, 0, 30}},
      {"entity update, byte entity", {0x82, 3, 8, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto context = test::QuietContext();
    EXPECT_EQ(test::RunMessages(*context, c.bytes), c.bytes);
    EXPECT_FALSE(context->run.streamProblems);
  }
}

TEST(MessageLoop, TempEntitySizes) {
  // Kind 9 carries 14 bytes after its kind byte, kind 3 six.
  auto context = test::QuietContext();
  Bytes block = {23, 9};
  block.resize(2 + 14, 1);
  Append(block, {23, 3, 1, 0, 2, 0, 3, 0});
  EXPECT_EQ(test::RunMessages(*context, block), block);
  EXPECT_FALSE(context->run.streamProblems);
}

TEST(MessageLoop, NopIsCopiedAndReported) {
  auto context = test::QuietContext();
  EXPECT_EQ(test::RunMessages(*context, {1}), (Bytes{1}));
  EXPECT_TRUE(context->run.streamProblems);
}

TEST(MessageLoop, ServerInfoFillsTheNameTables) {
  auto context = test::QuietContext();
  Bytes block = {11};
  test::AppendLong(block, 15);
  Append(block, {8, 1});
  AppendString(block, "The Level");
  for (const char* model : {"maps/e1m1.bsp", "progs/player.mdl", "progs/eyes.mdl", ""}) AppendString(block, model);
  for (const char* sound : {"weapons/r_exp3.wav", "misc/talk.wav", ""}) AppendString(block, sound);
  EXPECT_EQ(test::RunMessages(*context, block), block);
  const ParserValues& parser = context->parser;
  EXPECT_TRUE(parser.serverInfoSeen);
  EXPECT_EQ(parser.protocol, 15);
  EXPECT_EQ(parser.levelName, "The Level");
  EXPECT_EQ(parser.modelCount, 5);
  EXPECT_EQ(parser.soundCount, 4);
  EXPECT_EQ(parser.modelNames[1], "maps/e1m1.bsp");
  EXPECT_EQ(parser.modelNames[4], "");
  EXPECT_EQ(parser.soundNames[2], "misc/talk.wav");
}

TEST(MessageLoop, LongLevelNameIsCopiedWholeButKeptWithinItsBound) {
  auto context = test::QuietContext();
  const std::string name(40, 'n');
  Bytes block = {11};
  test::AppendLong(block, 15);
  Append(block, {1, 0});
  AppendString(block, name);
  Append(block, {0, 0});
  EXPECT_EQ(test::RunMessages(*context, block), block);
  EXPECT_EQ(context->parser.levelName, name.substr(0, 31));
}

TEST(MessageLoop, ServerInfoWithMoreNamesThanTheTableHolds) {
  auto context = test::QuietContext();
  Bytes block = {11};
  test::AppendLong(block, 15);
  Append(block, {1, 0, 0});
  for (int i = 0; i < 300; ++i) AppendString(block, "m" + std::to_string(i));
  Append(block, {0, 0});
  EXPECT_EQ(test::RunMessages(*context, block), block);
  EXPECT_EQ(context->parser.modelCount, 256);
  EXPECT_EQ(context->parser.modelNames[255], "m254");
  EXPECT_FALSE(context->run.streamProblems);
}

TEST(MessageLoop, ClientDataItemsAfterA107Server) {
  auto context = test::QuietContext();
  Bytes block = {8};
  AppendString(block, "VERSION 1.07 SERVER");
  // Flags 0: no optional field, but the items long is read all the same.
  Append(block, {15, 0, 0, /*items*/ 1, 2, 3, 4, /*health*/ 50, 0, /*ammo...*/ 1, 2, 3, 4, 5, 6});
  Append(block, {2});
  EXPECT_EQ(test::RunMessages(*context, block), block);
  EXPECT_TRUE(context->stream.serverVersion107);
  EXPECT_EQ(context->parser.healthSeen, 50);
  EXPECT_FALSE(context->run.streamProblems);
}

TEST(MessageLoop, EntityUpdateWithSecondFlagByteAndShortEntity) {
  auto context = test::QuietContext();
  context->entities.Reference(300 % 450);
  // 0x81: more bits; second byte 0x40: long entity; entity 300; nothing else.
  Bytes block = {0x81, 0x40};
  AppendShort(block, 300);
  EXPECT_EQ(test::RunMessages(*context, block), block);
  EXPECT_TRUE(context->entities.used.test(300));
  EXPECT_FALSE(context->run.streamProblems);
}

TEST(MessageLoop, IntermissionIsSeenFromThePlayer) {
  auto context = test::QuietContext();
  context->run.refilming = true;
  context->run.demoTime = 75.25f;
  EXPECT_EQ(test::RunMessages(*context, {30}), (Bytes{30, 5, 1, 0}));
  EXPECT_FALSE(context->run.refilming);
  EXPECT_EQ(context->run.exitTime, 75.25f);
  EXPECT_EQ(context->parser.exactExitTime, 75.25f);
}

TEST(MessageLoop, FinaleEndsTheCamera) {
  auto context = test::QuietContext();
  context->run.refilming = true;
  EXPECT_EQ(test::RunMessages(*context, {31, 'x', 0}), (Bytes{31, 'x', 0}));
  EXPECT_FALSE(context->run.refilming);
}

// Tracking: what a followed entity's trajectory records.
TEST(EntityTracking, OriginXIsTruncatedYAndZKeepTheirEighths) {
  auto context = test::QuietContext();
  context->entities.Reference(1);
  context->run.demoTime = 3;
  // Origin x, y, z (flags 0x02 | 0x04 | 0x08), entity 1, each the short 13.
  test::RunMessages(*context, {0x80 | 0x0E, 1, 13, 0, 13, 0, 13, 0});
  const TrackPoint* point = context->entities.LatestPoint(1);
  ASSERT_NE(point, nullptr);
  EXPECT_EQ(point->time, 3.0f);
  EXPECT_EQ(point->x, 1.0f);
  EXPECT_EQ(point->y, 1.625f);
  EXPECT_EQ(point->z, 1.625f);
}

TEST(EntityTracking, AxesLeftOutComeFromTheBaseline) {
  auto context = test::QuietContext();
  context->entities.Reference(7);
  context->entities.Reference(8);
  // Baseline of entity 7 at (100.5 -> 100, 200, 300).
  Bytes block = {22, 7, 0, 1, 0, 0, 0};
  for (int v : {804, 1600, 2400}) {
    AppendShort(block, v);
    block.push_back(0);
  }
  // Entity 7 with origin x only; entity 8 (no baseline) with origin x only.
  Append(block, {0x82, 7, 16, 0, 0x82, 8, 16, 0});
  test::RunMessages(*context, block);
  const TrackPoint* seven = context->entities.LatestPoint(7);
  const TrackPoint* eight = context->entities.LatestPoint(8);
  ASSERT_TRUE(seven && eight);
  EXPECT_EQ(seven->x, 2.0f);
  EXPECT_EQ(seven->y, 200.0f);
  EXPECT_EQ(seven->z, 300.0f);
  EXPECT_EQ(eight->y, 0.0f);
  EXPECT_EQ(eight->z, 0.0f);
}

TEST(EntityTracking, BaselinesAreForgottenAtServerInfo) {
  auto context = test::QuietContext();
  context->entities.Reference(7);
  Bytes block = {22, 7, 0, 1, 0, 0, 0, 0, 0, 0, 80, 0, 0, 80, 0, 0};
  Append(block, {11, 15, 0, 0, 0, 1, 0, 0, 0, 0});
  Append(block, {0x82, 7, 16, 0});
  test::RunMessages(*context, block);
  EXPECT_EQ(context->entities.LatestPoint(7)->y, 0.0f);
}

TEST(EntityTracking, OnlyReferencedEntitiesGetPoints) {
  auto context = test::QuietContext();
  context->entities.Reference(5);
  context->entities.Reference(838);
  context->entities.Reference(40000);  // no entity can have it: ignored
  Bytes block;
  Append(block, {0x82, 0, 8, 0});  // entity 0
  Append(block, {0x82, 6, 8, 0});  // not referenced
  Append(block, {0x83, 0x40});     // entity 838 as a short
  AppendShort(block, 838);
  Append(block, {8, 0});
  Append(block, {0x82, 5, 8, 0, 0x82, 5, 16, 0});  // two updates of 5 in one block
  test::RunMessages(*context, block);
  EXPECT_EQ(context->entities.PointCount(0), 0);
  EXPECT_EQ(context->entities.PointCount(6), 0);
  EXPECT_EQ(context->entities.PointCount(838), 1);
  EXPECT_FALSE(context->entities.IsReferenced(40000));
  ASSERT_EQ(context->entities.PointCount(5), 2);
  EXPECT_EQ(context->entities.LatestPoint(5)->x, 2.0f);  // the later one is the newest
}

// Damaged blocks: the rest of the block goes over unchanged, and is reported.
TEST(MessageLoopDamaged, MessageRunningPastTheBlockIsCopiedAsItStands) {
  struct Case {
    const char* name;
    Bytes bytes;
  };
  const std::vector<Case> cases = {
      {"time cut short", {2, 7, 0, 0}},
      {"string without end", {8, 'a', 'b'}},
      {"clientdata cut short", {15, 0x01, 0, 22}},
      {"entity update cut short", {0x82, 7, 16}},
      {"serverinfo cut inside its sound list", {11, 15, 0, 0, 0, 1, 0, 0, 0, 's'}},
      {"type 35", {2, 35, 1, 2, 3}},
      {"type 127", {127}},
      {"temp entity kind 14", {23, 14, 0, 0, 0, 0, 0, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto context = test::QuietContext();
    context->run.refilming = true;  // so a cut client data would have been edited
    EXPECT_EQ(test::RunMessages(*context, c.bytes), c.bytes);
    EXPECT_TRUE(context->run.streamProblems);
  }
}

TEST(MessageLoopDamaged, CutMessageHasNoOtherEffect) {
  auto context = test::QuietContext();
  context->run.demoTime = 4;
  context->parser.levelName = "before";
  test::RunMessages(*context, {7, 0, 0});  // a time of two bytes
  EXPECT_EQ(context->run.demoTime, 4.0f);
  test::RunMessages(*context, {11, 15, 0, 0, 0, 1, 0, 'x', 0, 0});  // no sound list end
  EXPECT_EQ(context->parser.levelName, "before");
  EXPECT_FALSE(context->parser.serverInfoSeen);
}

TEST(MessageLoop, ATimeThatIsNoNumberIsAProblemAndLeavesTheClock) {
  for (const float time : {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity()}) {
    auto context = test::QuietContext();
    context->run.demoTime = 7;
    Bytes block = {svc_time};
    test::AppendFloat(block, time);
    EXPECT_EQ(test::RunMessages(*context, block), block);
    EXPECT_EQ(context->run.demoTime, 7.0f);
    EXPECT_TRUE(context->run.streamProblems);
  }
}

// What a watcher is told, in the order of the source's messages; the step
// writes the same bytes with it and without.
class Recorder : public RunWatcher {
 public:
  void ScriptRead(const RefilmContext&) override {}
  void EntityUpdate(const EntityUpdateFields& update) override { Note("update " + std::to_string(update.entity)); }
  void ServerInfo(const ServerInfoFields& info) override { Note("info " + std::string(info.levelName)); }
  void SpawnBaseline(const BaselineFields& baseline) override { Note("baseline " + std::to_string(baseline.entity)); }
  void Time(float seconds) override { Note("time " + std::to_string(static_cast<int>(seconds))); }
  void SetView(int entity) override { Note("setview " + std::to_string(entity)); }
  void BlockDone(const RefilmContext&) override {}
  std::string log;

 private:
  void Note(const std::string& what) { log += what + "; "; }
};

TEST(MessageLoop, AWatcherIsToldOfTheMessagesItDrawsFromAndChangesNothing) {
  Bytes block = {11, 15, 0, 0, 0, 1, 0, 'L', 0, 0, 0};  // server info of level "L"
  Append(block, {22, 7, 0, 1, 0, 0, 0, 0, 0, 0, 80, 0, 0, 80, 0, 0});
  Append(block, {7, 0, 0, 0x40, 0x40});  // time 3
  Append(block, {5, 1, 0, 0x82, 7, 16, 0, 8, 'x', 0, 0x82});
  Recorder recorder;
  auto watched = test::QuietContext();
  watched->run.refilming = true;
  watched->watcher = &recorder;
  auto plain = test::QuietContext();
  plain->run.refilming = true;
  EXPECT_EQ(test::RunBlock(*watched, block), test::RunBlock(*plain, block));
  EXPECT_EQ(recorder.log, "info L; baseline 7; time 3; setview 1; update 7; ");
  EXPECT_TRUE(watched->run.streamProblems);  // the update cut by the block's end is nobody's
}

}  // namespace
}  // namespace cw
