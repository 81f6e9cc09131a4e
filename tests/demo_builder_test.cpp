// The synthetic demo builder writes what protocol 15 says, byte by byte: the
// tests of the parser are only as good as the demos they are fed.

#include "demo_builder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <sstream>
#include <vector>

#include "refilm/message_loop.h"
#include "run/context.h"
#include "stream/block.h"
#include "synthetic_demo.h"

namespace cw::test {
namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(MessageBytesFields, CoordAndAngleEncodings) {
  struct Case {
    float value;
    Bytes coord;
    int angle;
  };
  const Case cases[] = {
      {1.625f, {13, 0}, 1},           // 13 eighths; 1.625 * 256 / 360 = 1.15
      {-1.0f, {0xF8, 0xFF}, 0},       // -8; -0.71 steps truncate toward zero
      {-0.06f, {0, 0}, 0},            // -0.48 eighths truncate toward zero
      {4095.875f, {0xFF, 0x7F}, 96},  // the largest coordinate; 2912 steps wrap to 96
      {90.0f, {0xD0, 0x02}, 64},     {-90.0f, {0x30, 0xFD}, 192}, {360.0f, {0x40, 0x0B}, 0},  // a full turn wraps to 0
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value);
    MessageBytes coord;
    coord.Coord(c.value);
    EXPECT_EQ(coord.Bytes(), c.coord);
    MessageBytes angle;
    angle.Angle(c.value);
    EXPECT_EQ(angle.Bytes(), Bytes{static_cast<std::uint8_t>(c.angle)});
  }
}

TEST(MessageBytesFields, LittleEndianNumbersAndStrings) {
  MessageBytes m;
  m.Byte(0x1FF).Short(-2).Long(0x01020304).Float(1.0f).String("ab").String("");
  const Bytes expected = {
      0xFF,                    // low 8 bits of 0x1FF
      0xFE, 0xFF,              // short -2
      0x04, 0x03, 0x02, 0x01,  // long
      0x00, 0x00, 0x80, 0x3F,  // float 1.0
      'a',  'b',  0x00,        // string
      0x00,                    // empty string: the terminator alone
  };
  EXPECT_EQ(m.Bytes(), expected);
}

TEST(ServerMessages, EntityUpdateFlagVariants) {
  struct Case {
    const char* name;
    EntityUpdate update;
    Bytes expected;
  };
  EntityUpdate originX;
  originX.entity = 5;
  originX.origin[0] = 1.625f;
  EntityUpdate longSmall;
  longSmall.entity = 7;
  longSmall.forceLongEntity = true;
  EntityUpdate everyByte;
  everyByte.entity = 3;
  everyByte.model = 4;
  everyByte.frame = 5;
  everyByte.colormap = 6;
  everyByte.skin = 7;
  everyByte.effects = 8;
  everyByte.extraFlags = wire::kNoLerp;
  EntityUpdate bare;
  bare.entity = 9;
  bare.forceMoreBits = true;
  const Case cases[] = {
      {"origin x only", originX, {0x82, 5, 13, 0}},
      {"long entity that fits a byte", longSmall, {0x81, 0x40, 7, 0}},
      // low: more bits, no lerp, frame; high: model, colormap, skin, effects.
      {"every byte field", everyByte, {0xE1, 0x3C, 3, 4, 5, 6, 7, 8}},
      {"empty second flag byte", bare, {0x81, 0x00, 9}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    MessageBytes m;
    m.EntityUpdateMessage(c.update);
    EXPECT_EQ(m.Bytes(), c.expected);
  }
}

TEST(DemoFile, FirstLineThenLengthAnglesAndBytes) {
  DemoBuilder demo;
  demo.FirstLine("2\n").Block(MessageBytes().Nop(), {1.0f, -2.0f, 0.0f});
  const std::string expected(
      "2\n"               // first line
      "\x01\x00\x00\x00"  // length 1
      "\x00\x00\x80\x3F"  // pitch 1.0
      "\x00\x00\x00\xC0"  // yaw -2.0
      "\x00\x00\x00\x00"  // roll 0
      "\x01",             // svc_nop
      2 + 16 + 1);
  EXPECT_EQ(demo.Build(), expected);
  EXPECT_EQ(demo.BlockCount(), 1);
}

TEST(DemoFile, RawBlockKeepsALyingLength) {
  DemoBuilder demo;
  demo.RawBlock(-5, {0, 0, 0}, {1, 2});
  const std::string built = demo.Build();
  ASSERT_EQ(built.size(), 3u + 16 + 2);
  EXPECT_EQ(built.substr(3, 4), std::string("\xFB\xFF\xFF\xFF", 4));
}

TEST(SyntheticDemo, IsDeterministicAndReadsBackBlockByBlock) {
  SyntheticDemoOptions options;
  options.seconds = 3.0f;
  const std::string demo = MakeSyntheticDemo(options);
  EXPECT_EQ(demo, MakeSyntheticDemo(options));
  ASSERT_EQ(demo.substr(0, 3), "-1\n");

  std::istringstream in(demo.substr(3));
  CBlock block;
  Vec3 angles{};
  int blocks = 0;
  std::uint8_t lastFirstByte = 0;
  while (block.ReadFrom(in, angles) == ReadStatus::Block) {
    ++blocks;
    ASSERT_GT(block.Length(), 0);
    lastFirstByte = block.Data()[0];
  }
  EXPECT_EQ(blocks, 3 + SyntheticFrameCount(options) + 1);  // signon, frames, disconnect
  EXPECT_EQ(lastFirstByte, 2);                              // svc_disconnect
}

// --- the builder and the parser agree ------------------------------------

// With refilming off and every edit off, the message loop must give back
// every message the builder writes, byte for byte, and consume it whole: a
// disagreement on any layout shows as a difference or as bytes left over.
Context QuietContext() {
  Context context;
  context.options.removePrint = false;
  context.options.removeStufftext = false;
  context.options.removeCenterprint = false;
  context.options.changeColors = false;
  context.options.playerBleeding = false;
  context.options.fadeOut = false;
  context.run.refilming = false;
  return context;
}

Bytes RunMessageLoop(Context& context, const Bytes& bytes) {
  CBlock input;
  CBlock output;
  input.Load(bytes.data(), static_cast<int>(bytes.size()));
  MessageLoop(context, input, output);
  return Bytes(output.Data(), output.Data() + output.Length());
}

TEST(BuilderParserAgreement, EveryMessageIsCopiedWhole) {
  struct Case {
    const char* name;
    MessageBytes message;
  };
  ClientData fullClient;
  fullClient.viewHeight = 22;
  fullClient.idealPitch = 1;
  for (int axis = 0; axis < 3; ++axis) {
    fullClient.punch[axis] = axis + 2;
    fullClient.velocity[axis] = axis + 5;
  }
  fullClient.items = 0x12345678;
  fullClient.weaponFrame = 3;
  fullClient.armor = 200;
  fullClient.weapon = 8;
  EntityUpdate fullUpdate;
  fullUpdate.entity = 300;
  fullUpdate.model = 1;
  fullUpdate.frame = 2;
  fullUpdate.colormap = 3;
  fullUpdate.skin = 4;
  fullUpdate.effects = 5;
  for (int axis = 0; axis < 3; ++axis) {
    fullUpdate.origin[axis] = -100.5f * static_cast<float>(axis + 1);
    fullUpdate.angles[axis] = 45.0f * static_cast<float>(axis);
  }
  fullUpdate.extraFlags = wire::kNoLerp | wire::kSignal;
  EntityUpdate smallUpdate;
  smallUpdate.entity = 7;
  smallUpdate.origin[1] = 12.0f;
  std::vector<Case> cases = {
      {"disconnect", MessageBytes().Disconnect()},
      {"updatestat", MessageBytes().UpdateStat(14, -3)},
      {"version", MessageBytes().Version(15)},
      {"setview", MessageBytes().SetView(1)},
      {"sound plain", MessageBytes().PlaySound({1, 2, 3, {1, 2, 3}, std::nullopt, std::nullopt})},
      {"sound volume", MessageBytes().PlaySound({1, 2, 3, {1, 2, 3}, 9, std::nullopt})},
      {"sound attenuation", MessageBytes().PlaySound({1, 2, 3, {1, 2, 3}, std::nullopt, 9})},
      {"sound both", MessageBytes().PlaySound({1, 2, 3, {1, 2, 3}, 9, 9})},
      {"time", MessageBytes().Time(12.25f)},
      {"print", MessageBytes().Print("hello\n")},
      {"stufftext", MessageBytes().StuffText("bf\n")},
      {"setangle", MessageBytes().SetAngle({10, 20, 30})},
      {"serverinfo", MessageBytes().ServerInfoMessage({15, 8, 1, "Level", {"maps/a.bsp", "*1"}, {"a.wav"}})},
      {"serverinfo empty lists", MessageBytes().ServerInfoMessage({15, 1, 0, "", {}, {}})},
      {"lightstyle", MessageBytes().LightStyle(3, "abc")},
      {"updatename", MessageBytes().UpdateName(2, "name")},
      {"updatefrags", MessageBytes().UpdateFrags(2, -1)},
      {"clientdata minimal", MessageBytes().ClientDataMessage({})},
      {"clientdata every field", MessageBytes().ClientDataMessage(fullClient)},
      {"stopsound", MessageBytes().StopSound(0x1234)},
      {"updatecolors", MessageBytes().UpdateColors(1, 0x4D)},
      {"particle", MessageBytes().Particle({1, 2, 3}, {-1, 0, 1}, 20, 73)},
      {"damage", MessageBytes().Damage(1, 2, {1, 2, 3})},
      {"spawnstatic", MessageBytes().SpawnStatic({0, 1, 2, 3, 4, {1, 2, 3}, {4, 5, 6}})},
      {"spawnbinary", MessageBytes().SpawnBinary()},
      {"spawnbaseline", MessageBytes().SpawnBaseline({300, 1, 2, 3, 4, {1, 2, 3}, {4, 5, 6}})},
      {"setpause", MessageBytes().SetPause(1)},
      {"signonnum 1", MessageBytes().SignonNum(1)},
      {"signonnum 3", MessageBytes().SignonNum(3)},
      {"centerprint", MessageBytes().CenterPrint("centre\n")},
      {"killedmonster", MessageBytes().KilledMonster()},
      {"foundsecret", MessageBytes().FoundSecret()},
      {"spawnstaticsound", MessageBytes().SpawnStaticSound({1, 2, 3}, 4, 5, 6)},
      {"finale", MessageBytes().Finale("the end")},
      {"cdtrack", MessageBytes().CdTrack(2, 3)},
      {"sellscreen", MessageBytes().SellScreen()},
      {"cutscene", MessageBytes().Cutscene("scene")},
      {"entity update, every field", MessageBytes().EntityUpdateMessage(fullUpdate)},
      {"entity update, origin y", MessageBytes().EntityUpdateMessage(smallUpdate)},
  };
  for (int kind = 0; kind <= 13; ++kind) {
    cases.push_back({"temp entity", MessageBytes().TempEntityMessage({kind, 5, {1, 2, 3}, {4, 5, 6}, 7, 8})});
  }
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    // A time after the message shows that the loop resumed at the right byte.
    MessageBytes block = c.message;
    block.Time(99.5f);
    Context context = QuietContext();
    EXPECT_EQ(RunMessageLoop(context, block.Bytes()), block.Bytes());
    EXPECT_EQ(context.run.demoTime, 99.5f);
    EXPECT_FALSE(context.run.streamProblems);
  }
}

TEST(BuilderParserAgreement, SyntheticDemoPassesThroughUnchanged) {
  SyntheticDemoOptions options;
  options.seconds = 30.0f;  // long enough for every occasional message
  std::istringstream in(MakeSyntheticDemo(options).substr(3));
  Context context = QuietContext();
  CBlock input;
  CBlock output;
  Vec3 angles{};
  int blocks = 0;
  while (input.ReadFrom(in, angles) == ReadStatus::Block) {
    SCOPED_TRACE(blocks);
    const Bytes original(input.Data(), input.Data() + input.Length());
    MessageLoop(context, input, output);
    const Bytes copied(output.Data(), output.Data() + output.Length());
    if (blocks == 1) {
      // Stage 2 of the signon, the block's last message, gets the camera
      // entity's baseline and two console commands in front of it.
      ASSERT_GE(original.size(), 2u);
      ASSERT_GT(copied.size(), original.size());
      const auto signon = original.end() - 2;
      EXPECT_TRUE(std::equal(original.begin(), signon, copied.begin()));
      EXPECT_TRUE(std::equal(signon, original.end(), copied.end() - 2));
    } else {
      EXPECT_EQ(copied, original);
    }
    ++blocks;
  }
  EXPECT_EQ(blocks, 3 + SyntheticFrameCount(options) + 1);
  EXPECT_FALSE(context.run.streamProblems);
  EXPECT_EQ(context.parser.levelName, options.levelName);
}

}  // namespace
}  // namespace cw::test
