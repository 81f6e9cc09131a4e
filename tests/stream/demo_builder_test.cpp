// The synthetic demo builder writes what protocols 15, 666 and 999 say, byte
// by byte: the tests of the parser are only as good as the demos they are fed.

#include "demo_builder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <sstream>
#include <string>
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

TEST(MessageBytesFields, WidthsOfProtocol999) {
  struct Case {
    std::uint32_t flags;
    Bytes coord;  // of -2.75
    Bytes angle;  // of 90
  };
  const Case cases[] = {
      {0, {0xEA, 0xFF}, {64}},
      {wire::k24BitCoord | wire::kShortAngle, {0xFD, 0xFF, 64}, {0x00, 0x40}},  // -3 and 64/255; a quarter turn
      {wire::kFloatCoord | wire::kFloatAngle, {0x00, 0x00, 0x30, 0xC0}, {0x00, 0x00, 0xB4, 0x42}},
      {wire::kInt32Coord, {0xD4, 0xFF, 0xFF, 0xFF}, {64}},  // -44 sixteenths
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.flags);
    EXPECT_EQ(MessageBytes(Encoding{wire::kRmq, c.flags}).Coord(-2.75f).Bytes(), c.coord);
    EXPECT_EQ(MessageBytes(Encoding{wire::kRmq, c.flags}).Angle(90.0f).Bytes(), c.angle);
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

// The same in protocols 666 and 999, in each width of 999: every message
// these protocols add or change, every field of FitzQuake's, alone and all
// together, in one block that must come out whole.
TEST(BuilderParserAgreement, EveryMessageOfProtocols666And999IsCopiedWhole) {
  std::vector<EntityUpdate> updates(7);
  updates[0].alpha = 128;
  updates[1].scale = 32;
  updates[2].frame2 = 1;
  updates[3].model2 = 2;
  updates[4].lerpFinish = 25;
  updates[5].extraFlags = 1 << 24;  // a fourth flag byte, no field
  EntityUpdate& all = updates[6];
  all.alpha = all.scale = all.frame2 = all.model2 = all.lerpFinish = all.model = 1;
  all.angles[0] = 10.0f;
  std::vector<ClientData> clients(5);
  clients[1].weapon2 = 1;
  clients[2].weaponFrame2 = 1;
  clients[3].weaponAlpha = 1;
  ClientData& every = clients[4];
  every.weapon2 = every.armor2 = every.ammo2 = every.shells2 = every.nails2 = every.rockets2 = every.cells2 = 1;
  every.weaponFrame2 = every.weaponAlpha = every.viewHeight = 2;
  const Baseline wide{300, 400, 500, 1, 2, {1.5f, -2.5f, 3.5f}, {90, 180, 270}, 128, 16};
  const Baseline narrow{301, 4, 5, 1, 2, {1, 2, 3}, {0, 0, 0}};
  for (const std::uint32_t flags : {0u, wire::k24BitCoord | wire::kShortAngle, wire::kFloatCoord | wire::kFloatAngle,
                                    wire::kInt32Coord | wire::kShortAngle}) {
    for (const int protocol : {wire::kFitzQuake, wire::kRmq}) {
      SCOPED_TRACE(std::to_string(protocol) + " flags " + std::to_string(flags));
      MessageBytes block;
      block.ServerInfoMessage({protocol, 1, 0, "", {}, {}, flags});
      for (EntityUpdate& update : updates) {
        update.entity = 9000;
        update.origin[0] = -5000.5f;
        block.EntityUpdateMessage(update);
      }
      for (const ClientData& data : clients) block.ClientDataMessage(data);
      block.PlaySound({9000, 3, 300, {1, 2, 3}, 200, 64}).PlaySound({5, 9, 3, {1, 2, 3}, {}, {}});
      block.PlaySound({5, 1, 3, {1, 2, 3}, {}, {}}).SetAngle({10, 20, 30}).Particle({1, 2, 3}, {0, 0, 1}, 20, 73);
      block.Damage(1, 2, {1, 2, 3}).SpawnStatic(narrow).SpawnBaseline(narrow).SpawnStaticSound({1, 2, 3}, 4, 5, 6);
      block.TempEntityMessage({13, 5, {1, 2, 3}, {4, 5, 6}, 0, 0}).TempEntityMessage({12, 0, {1, 2, 3}, {}, 7, 8});
      block.TempEntityMessage({11, 0, {1, 2, 3}, {}, 0, 0}).Skybox("sky1").Bf().Fog(50, 10, 20, 30, 250);
      block.SpawnBaseline2(wide).SpawnBaseline2(narrow).SpawnStatic2(wide).SpawnStaticSound2({1, 2, 3}, 300, 5, 6);
      block.Achievement("ACH_1").LocalSound(7).LocalSound(700).Version(protocol).Time(99.5f);
      Context context = QuietContext();
      EXPECT_EQ(RunMessageLoop(context, block.Bytes()), block.Bytes());
      EXPECT_EQ(context.run.demoTime, 99.5f);
      EXPECT_FALSE(context.run.streamProblems);
    }
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
