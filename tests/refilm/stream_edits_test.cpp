#include <gtest/gtest.h>

#include "base/protocol.h"
#include "stream_fixture.h"

namespace cw {
namespace {

using test::Append;
using test::AppendShort;
using test::AppendString;
using test::Bytes;

Bytes TimeMessage(float seconds) {
  Bytes bytes = {svc_time};
  test::AppendFloat(bytes, seconds);
  return bytes;
}

Bytes Text(int type, const std::string& text) {
  Bytes bytes = {static_cast<std::uint8_t>(type)};
  AppendString(bytes, text);
  return bytes;
}

Bytes Join(std::initializer_list<Bytes> pieces) {
  Bytes all;
  for (const Bytes& piece : pieces) all.insert(all.end(), piece.begin(), piece.end());
  return all;
}

std::unique_ptr<Context> Refilming() {
  auto context = test::QuietContext();
  context->run.refilming = true;
  return context;
}

TEST(CameraInStream, SignonStage2BringsTheCameraBaselineFirst) {
  auto context = test::QuietContext();
  Bytes expected = {22, 0xC1, 0x01, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  const Bytes draw = Text(9, "r_drawviewmodel 0\n");
  const Bytes shift = Text(9, "v_cshift 0 0 0 0\n");
  expected.insert(expected.end(), draw.begin(), draw.end());
  expected.insert(expected.end(), shift.begin(), shift.end());
  Append(expected, {25, 2});
  EXPECT_EQ(test::RunMessages(*context, {25, 2}), expected);
  EXPECT_EQ(test::RunMessages(*context, {25, 1}), (Bytes{25, 1}));
  EXPECT_EQ(test::RunMessages(*context, {25, 3}), (Bytes{25, 3}));
}

TEST(CameraInStream, SetViewPointsAtTheCameraWhileRefilming) {
  auto context = Refilming();
  EXPECT_EQ(test::RunMessages(*context, {5, 1, 0}), (Bytes{5, 0xC1, 0x01}));
  context->edits.cameraEntity = 599;
  EXPECT_EQ(test::RunMessages(*context, {5, 1, 0}), (Bytes{5, 0x57, 0x02}));
  context->run.refilming = false;
  EXPECT_EQ(test::RunMessages(*context, {5, 1, 0}), (Bytes{5, 1, 0}));
}

TEST(CameraInStream, ClientDataLosesViewMotionAndIsFollowedByTheCamera) {
  auto context = Refilming();
  context->director.cameraOrigin = {100, -200, 50.5f};
  context->director.cameraAngles = {10, -90, 0};
  // Every optional field (flags 0x72FF) in stream order: view height 11,
  // ideal pitch 12, punch and velocity of each axis in turn 13 to 18, items,
  // weapon frame, armour, weapon; then health and ammunition. Of the view
  // motion only punch pitch (13) and punch yaw (15) stay.
  const Bytes rest = {1, 2, 3, 4, 21, 22, 23, 100, 0, 1, 2, 3, 4, 5, 6};
  const Bytes input = Join({{15, 0xFF, 0x72, 11, 12, 13, 14, 15, 16, 17, 18}, rest});
  Bytes expected = Join({{15, 0xFF, 0x72, 0, 0, 13, 0, 15, 0, 0, 0}, rest});
  // Exactly 13 bytes: flags, entity 449, x, pitch, y, yaw, z, roll.
  Append(expected, {0x9F, 0x43, 0xC1, 0x01});
  AppendShort(expected, 800);
  expected.push_back(7);  // 10 degrees
  AppendShort(expected, -1600);
  expected.push_back(192);  // -90 degrees
  AppendShort(expected, 404);
  expected.push_back(0);
  EXPECT_EQ(test::RunMessages(*context, input), expected);

  context->run.refilming = false;
  EXPECT_EQ(test::RunMessages(*context, input), input);
}

TEST(TimeEdits, CreditsComeOnceAtTheFirstTimePastTwoSeconds) {
  auto context = Refilming();
  context->options.printCredits = true;
  context->options.runBy = "A";
  context->options.filmingBy = "B";
  EXPECT_EQ(test::RunMessages(*context, TimeMessage(2.0f)), TimeMessage(2.0f));
  Bytes expected = TimeMessage(2.05f);
  const Bytes credits = Text(8, "Run by A\nFilming by B\n");
  expected.insert(expected.end(), credits.begin(), credits.end());
  EXPECT_EQ(test::RunMessages(*context, TimeMessage(2.05f)), expected);
  EXPECT_FALSE(context->options.printCredits);
  EXPECT_EQ(test::RunMessages(*context, TimeMessage(3)), TimeMessage(3));
}

TEST(TimeEdits, TimeDisplay) {
  struct Case {
    float time;
    const char* text;
  };
  for (const Case& c : {Case{125.5f, "2:5.5"}, Case{65.37f, "1:5.3"}, Case{0.5f, "0:0.5"}, Case{119.9f, "1:59.9"}}) {
    SCOPED_TRACE(c.text);
    auto context = Refilming();
    context->options.centerprintTime = true;
    Bytes expected = TimeMessage(c.time);
    const Bytes shown = Text(26, c.text);
    expected.insert(expected.end(), shown.begin(), shown.end());
    EXPECT_EQ(test::RunMessages(*context, TimeMessage(c.time)), expected);
  }
}

TEST(TimeEdits, TimeDisplayIsRenewedAfterATenthOfASecond) {
  auto context = Refilming();
  context->options.centerprintTime = true;
  EXPECT_EQ(test::RunMessages(*context, TimeMessage(0.1f)).size(), 5u);  // a tenth exactly is not above it
  EXPECT_GT(test::RunMessages(*context, TimeMessage(1.0f)).size(), 5u);
  EXPECT_EQ(test::RunMessages(*context, TimeMessage(1.05f)).size(), 5u);
  EXPECT_GT(test::RunMessages(*context, TimeMessage(1.15f)).size(), 5u);
}

TEST(TimeEdits, BleedingInProportionToLostHealth) {
  auto context = Refilming();
  context->options.playerBleeding = true;
  context->entities.Reference(1);
  context->entities.AddTrackPoint(1, 0, 10, 20.5f, -30);
  context->parser.healthSeen = 36;
  Bytes expected = TimeMessage(1);
  Append(expected, {18});
  AppendShort(expected, 80);
  AppendShort(expected, 164);
  AppendShort(expected, -240);
  Append(expected, {0, 0, 5, /*(100 - 36) >> 4*/ 4, 73});
  EXPECT_EQ(test::RunMessages(*context, TimeMessage(1)), expected);

  context->parser.healthSeen = 100;
  EXPECT_EQ(test::RunMessages(*context, TimeMessage(1)), TimeMessage(1));
}

TEST(TimeEdits, NoBleedingWithoutThePlayersTrack) {
  auto context = Refilming();
  context->options.playerBleeding = true;
  context->parser.healthSeen = 10;
  EXPECT_EQ(test::RunMessages(*context, TimeMessage(1)), TimeMessage(1));
}

TEST(TimeEdits, NothingWhileNotRefilming) {
  auto context = test::QuietContext();
  context->options.centerprintTime = true;
  context->options.printCredits = true;
  EXPECT_EQ(test::RunMessages(*context, TimeMessage(5)), TimeMessage(5));
  EXPECT_EQ(context->run.demoTime, 5.0f);
}

TEST(MessageRemoval, EachOptionDropsItsOwnKindOnly) {
  const Bytes print = Text(8, "hello"), centre = Text(26, "centre"), stuff = Text(9, "cmd\n");
  const struct {
    const char* name;
    std::vector<bool RefilmOptions::*> options;
    Bytes kept;
  } cases[] = {
      {"prints", {&RefilmOptions::removePrint}, Join({centre, stuff, {2}})},
      {"centre prints", {&RefilmOptions::removeCenterprint}, Join({print, stuff, {2}})},
      {"console texts", {&RefilmOptions::removeStufftext}, Join({print, centre, {2}})},
      {"all three",
       {&RefilmOptions::removePrint, &RefilmOptions::removeCenterprint, &RefilmOptions::removeStufftext},
       {2}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    auto context = test::QuietContext();
    for (bool RefilmOptions::*option : c.options) context->options.*option = true;
    EXPECT_EQ(test::RunMessages(*context, Join({print, centre, stuff, {2}})), c.kept);
  }
}

TEST(PlayerColours, OnlyPlayerZeroTakesTheChosenColours) {
  auto context = test::QuietContext();
  context->options.changeColors = true;
  context->options.shirtColor = 4;
  context->options.pantsColor = 13;
  EXPECT_EQ(test::RunMessages(*context, {17, 0, 0x11}), (Bytes{17, 0, 77}));
  EXPECT_EQ(test::RunMessages(*context, {17, 1, 0x11}), (Bytes{17, 1, 0x11}));
}

// Whether an update of entity 9 at (x, y) stays, seen from a camera at the
// origin with the given yaw.
bool KeptInView(float cameraYaw, float x, float y) {
  auto context = Refilming();
  context->options.removeOutsideFov = true;
  context->director.cameraAngles = {0, cameraYaw, 0};
  Bytes update = {0x80 | 0x06, 9};
  AppendShort(update, static_cast<int>(x * 8));
  AppendShort(update, static_cast<int>(y * 8));
  return !test::RunMessages(*context, update).empty();
}

// Updates of an entity seen from a camera at the origin looking along +x.
TEST(FieldOfView, FarUpdatesWellToTheSideAreDropped) {
  struct Case {
    const char* name;
    float x, y;
    bool kept;
  };
  const std::vector<Case> cases = {
      {"700 units at 90 degrees to the right", 0, -700, false},
      {"500 units at 90 degrees", 0, -500, true},
      {"600 units at 90 degrees", 0, -600, true},
      {"700 units at 70 degrees", 239.4f, -657.8f, true},
      {"700 units ahead", 700, 0, true},
      {"700 units behind", -700, 0, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(KeptInView(0, c.x, c.y), c.kept);
  }
}

// 700 units away, 20 degrees off the view across the seam at 180, not 340.
TEST(FieldOfView, TheSeamAt180DegreesIsNoEdge) {
  EXPECT_TRUE(KeptInView(170, -689, -122));  // toward -170
  EXPECT_TRUE(KeptInView(-170, -689, 122));  // toward 170
}

TEST(FieldOfView, UpdateWithoutOriginStays) {
  auto context = Refilming();
  context->options.removeOutsideFov = true;
  context->director.cameraOrigin = {5000, 5000, 0};
  EXPECT_EQ(test::RunMessages(*context, {0x80 | 0x40, 9, 3}), (Bytes{0xC0, 9, 3}));
}

Bytes EndOfBlockText(Context& context) {
  // An empty input block: only the end-of-block stages write.
  return test::RunBlock(context, {});
}

TEST(ExactExitTime, PrintedOnceWithFiveDigitsOfFraction) {
  struct Case {
    float exit;
    const char* text;
  };
  for (const Case& c : {Case{75.25f, "Exact exit time was 1:15.25000\n"}, Case{12.5f, "Exact exit time was 12.50000\n"},
                        Case{12.05f, "Exact exit time was 12.05000\n"}, Case{60, "Exact exit time was 1:0.00000\n"}}) {
    SCOPED_TRACE(c.text);
    auto context = Refilming();
    context->options.generateScript = true;
    context->options.printExitTime = true;
    context->parser.exactExitTime = c.exit;
    context->run.demoTime = c.exit - 1.75f;
    EXPECT_TRUE(EndOfBlockText(*context).empty());
    context->run.demoTime = c.exit - 1.65f;
    EXPECT_EQ(EndOfBlockText(*context), Text(8, c.text));
    EXPECT_TRUE(EndOfBlockText(*context).empty());
  }
}

TEST(ExactExitTime, OnlyWithAGeneratedScript) {
  auto context = Refilming();
  context->options.generateScript = false;
  context->options.printExitTime = true;
  context->parser.exactExitTime = 10;
  context->run.demoTime = 9.9f;
  EXPECT_TRUE(EndOfBlockText(*context).empty());
}

TEST(FadeOut, DarkensFromTheIntermission) {
  auto context = test::QuietContext();
  context->options.fadeOut = true;
  context->run.exitTime = 10;
  context->run.demoTime = 12;
  EXPECT_EQ(EndOfBlockText(*context), Text(9, "v_cshift 0 0 0 102\n"));
  context->run.demoTime = 10.5f;
  EXPECT_EQ(EndOfBlockText(*context), Text(9, "v_cshift 0 0 0 25\n"));  // 25.5, truncated
  context->run.demoTime = 16;
  EXPECT_EQ(EndOfBlockText(*context), Text(9, "v_cshift 0 0 0 255\n"));
  context->run.exitTime = 0;
  EXPECT_TRUE(EndOfBlockText(*context).empty());
}

}  // namespace
}  // namespace cw
