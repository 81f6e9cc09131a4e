// The synthetic demo builder writes what protocol 15 says, byte by byte: the
// tests of the parser are only as good as the demos they are fed.

#include "demo_builder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <sstream>
#include <vector>

#include "app/context.h"
#include "demo/block.h"
#include "demo/message_loop.h"
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

TEST(ServerMessages, ClientDataInterleavesPunchAndVelocity) {
  ClientData data;
  data.viewHeight = 22;
  data.punch[1] = 3;
  data.velocity[0] = 10;
  data.velocity[2] = 0xF0;
  data.items = 0x11;
  data.armor = 50;
  data.health = 260;
  data.currentAmmo = 7;
  data.ammo[0] = 7;
  data.ammo[1] = 8;
  data.ammo[2] = 9;
  data.ammo[3] = 10;
  data.activeWeapon = 2;
  MessageBytes m;
  m.ClientDataMessage(data);
  const Bytes expected = {
      15,                             // svc_clientdata
      0xA9, 0x22,                     // flags 0x22A9: view height, velocity x, punch yaw, velocity z, items, armour
      22,                             // view height
      10,                             // velocity x
      3,                              // punch yaw
      0xF0,                           // velocity z
      0x11, 0x00, 0x00, 0x00,         // items
      50,                             // armour
      0x04, 0x01,                     // health 260
      7,    7,    8,    9,    10, 2,  // current ammo, shells, nails, rockets, cells, active weapon
  };
  EXPECT_EQ(m.Bytes(), expected);
}

TEST(ServerMessages, ClientDataFlagsOverrideKeepsTheFields) {
  ClientData data;
  data.items = 1;
  data.flagsOverride = 0;  // a 1.07 server sends the items without their bit
  MessageBytes m;
  m.ClientDataMessage(data);
  ASSERT_EQ(m.Size(), 1u + 2 + 4 + 2 + 6);
  EXPECT_EQ(m.Bytes()[1], 0);
  EXPECT_EQ(m.Bytes()[3], 1);
}

TEST(ServerMessages, EntityUpdateOfTheCameraEntity) {
  EntityUpdate update;
  update.entity = 449;
  update.origin[0] = 1.0f;
  update.origin[1] = -2.0f;
  update.origin[2] = 3.5f;
  update.angles[0] = 0.0f;
  update.angles[1] = -90.0f;
  update.angles[2] = 0.0f;
  MessageBytes m;
  m.EntityUpdateMessage(update);
  const Bytes expected = {
      0x9F,        // 0x80 | more bits, origin x y z, yaw
      0x43,        // pitch, roll, long entity
      0xC1, 0x01,  // entity 449
      0x08, 0x00,  // x 1.0
      0x00,        // pitch
      0xF0, 0xFF,  // y -2.0
      0xC0,        // yaw -90
      0x1C, 0x00,  // z 3.5
      0x00,        // roll
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

TEST(ServerMessages, ServerInfoEndsBothListsWithAnEmptyName) {
  ServerInfo info;
  info.levelName = "L";
  info.maxClients = 4;
  info.gameType = 1;
  info.models = {"m", "n", "o"};
  info.sounds = {"s", "t"};
  MessageBytes m;
  m.ServerInfoMessage(info);
  const Bytes expected = {
      11,                         // svc_serverinfo
      15,  0, 0,   0,             // protocol 15
      4,                          // maximum clients
      1,                          // game type
      'L', 0,                     // level name
      'm', 0, 'n', 0, 'o', 0, 0,  // models, then the empty end
      's', 0, 't', 0, 0,          // sounds, then the empty end
  };
  EXPECT_EQ(m.Bytes(), expected);
}

TEST(ServerMessages, SoundWithVolumeAndAttenuation) {
  MessageBytes m;
  m.PlaySound({3, 2, 7, {1, 2, 3}, 200, 64});
  const Bytes expected = {
      6,                         // svc_sound
      3,                         // mask: volume, attenuation
      200,                       // volume
      64,                        // attenuation
      0x1A, 0x00,                // entity 3 << 3 | channel 2
      7,                         // sound number
      8,    0,    16, 0, 24, 0,  // origin
  };
  EXPECT_EQ(m.Bytes(), expected);
  MessageBytes plain;
  plain.PlaySound({1, 0, 1, {0, 0, 0}, std::nullopt, std::nullopt});
  EXPECT_EQ(plain.Size(), 2u + 9u);
}

TEST(ServerMessages, TempEntitySizesPerKind) {
  // Bytes after the kind byte.
  const int sizes[] = {6, 6, 6, 6, 6, 14, 14, 6, 6, 14, 6, 6, 8, 14, 0, 0};
  for (int kind = 0; kind < 16; ++kind) {
    SCOPED_TRACE(kind);
    MessageBytes m;
    m.TempEntityMessage({kind, 1, {0, 0, 0}, {0, 0, 0}, 0, 0});
    ASSERT_EQ(m.Size(), 2u + static_cast<std::size_t>(sizes[kind]));
    EXPECT_EQ(m.Bytes()[0], 23);
    EXPECT_EQ(m.Bytes()[1], kind);
  }
  MessageBytes beam;
  beam.TempEntityMessage({9, 300, {1, 0, 0}, {0, 0, -1}, 0, 0});
  EXPECT_EQ(beam.Bytes(), (Bytes{23, 9, 0x2C, 0x01, 8, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xF8, 0xFF}));
}

TEST(ServerMessages, FixedSizeMessagesHaveTheirTypeAndLength) {
  struct Case {
    MessageBytes message;
    int type;
    std::size_t size;
  };
  const Case cases[] = {
      {MessageBytes().Bad(), 0, 1},
      {MessageBytes().Nop(), 1, 1},
      {MessageBytes().Disconnect(), 2, 1},
      {MessageBytes().UpdateStat(1, 2), 3, 6},
      {MessageBytes().Version(15), 4, 5},
      {MessageBytes().SetView(449), 5, 3},
      {MessageBytes().Time(1.5f), 7, 5},
      {MessageBytes().SetAngle({0, 90, 0}), 10, 4},
      {MessageBytes().LightStyle(3, "az"), 12, 5},
      {MessageBytes().UpdateName(0, "p"), 13, 4},
      {MessageBytes().UpdateFrags(0, -1), 14, 4},
      {MessageBytes().StopSound(9), 16, 3},
      {MessageBytes().UpdateColors(0, 0x4D), 17, 3},
      {MessageBytes().Particle({0, 0, 0}, {0, 0, 1}, 20, 73), 18, 12},
      {MessageBytes().Damage(1, 2, {0, 0, 0}), 19, 9},
      {MessageBytes().SpawnStatic({}), 20, 14},
      {MessageBytes().SpawnBinary(), 21, 1},
      {MessageBytes().SpawnBaseline({}), 22, 16},
      {MessageBytes().SetPause(1), 24, 2},
      {MessageBytes().SignonNum(2), 25, 2},
      {MessageBytes().CenterPrint("x"), 26, 3},
      {MessageBytes().KilledMonster(), 27, 1},
      {MessageBytes().FoundSecret(), 28, 1},
      {MessageBytes().SpawnStaticSound({0, 0, 0}, 1, 2, 3), 29, 10},
      {MessageBytes().Intermission(), 30, 1},
      {MessageBytes().Finale("x"), 31, 3},
      {MessageBytes().CdTrack(2, 3), 32, 3},
      {MessageBytes().SellScreen(), 33, 1},
      {MessageBytes().Cutscene(""), 34, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.type);
    ASSERT_EQ(c.message.Size(), c.size);
    EXPECT_EQ(c.message.Bytes()[0], c.type);
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
    ASSERT_GT(block.length, 0);
    lastFirstByte = block.Data()[0];
  }
  EXPECT_EQ(blocks, 3 + SyntheticFrameCount(options) + 1);  // signon, frames, disconnect
  EXPECT_EQ(lastFirstByte, 2);                              // svc_disconnect
}

TEST(SyntheticDemo, FramesCarryTimeFirstAndAdvanceAtTheBlockRate) {
  SyntheticDemoOptions options;
  const MessageBytes first = SyntheticFrame(options, 0);
  const MessageBytes later = SyntheticFrame(options, 20);
  ASSERT_GE(first.Size(), 5u);
  EXPECT_EQ(first.Bytes()[0], 7);  // svc_time
  EXPECT_EQ(Bytes(first.Bytes().begin(), first.Bytes().begin() + 5), MessageBytes().Time(1.0f).Bytes());
  EXPECT_EQ(Bytes(later.Bytes().begin(), later.Bytes().begin() + 5), MessageBytes().Time(2.0f).Bytes());
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
  input.PutBytes(bytes.data(), static_cast<int>(bytes.size()));
  input.cursor = 0;
  MessageLoop(context, input, output);
  return Bytes(output.Data(), output.Data() + output.length);
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
    const Bytes original(input.Data(), input.Data() + input.length);
    MessageLoop(context, input, output);
    const Bytes copied(output.Data(), output.Data() + output.length);
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
