#include <gtest/gtest.h>

#include <deque>
#include <random>

#include "base/protocol.h"
#include "stream_fixture.h"

namespace cw {
namespace {

using test::Append;
using test::AppendShort;
using test::AppendString;
using test::Bytes;

Bytes Stuff(const std::string& text) {
  Bytes bytes = {svc_stufftext};
  AppendString(bytes, text);
  return bytes;
}

CCommand Colour(const char* word, float start, float end, float red, float green, float blue, float strength) {
  CCommand command;
  command.word = FindScriptWord(word)->word;
  command.startTime = start;
  command.endTime = end;
  command.param3 = red;
  command.param2 = green;
  command.param1 = blue;
  command.param4 = strength;
  return command;
}

// A word of the event list, or a text kind for a text line of that kind.
CCommand Event(const char* word, float start, const std::string& text = "") {
  CCommand command;
  if (const ScriptWordRow* row = FindScriptWord(word)) {
    command.word = row->word;
  } else {
    command.word = ScriptWord::Text;
    command.messageType = TextMessageType(word);
  }
  command.startTime = start;
  command.text = text;
  return command;
}

Bytes EndOfBlock(Context& context, float demoTime) {
  context.run.demoTime = demoTime;
  return test::RunBlock(context, {});
}

TEST(PaletteStage, PaletteTakesEffectOnceItsTimeHasCome) {
  auto context = test::QuietContext();
  context->commands.palette.Append(Colour("palette", 5, 0, 10, 20, 30, 40));
  EXPECT_TRUE(EndOfBlock(*context, 4.9f).empty());
  EXPECT_EQ(EndOfBlock(*context, 5), Stuff("v_cshift 10 20 30 40 \n"));
  EXPECT_TRUE(context->commands.palette.Empty());
  EXPECT_EQ(context->edits.paletteLast[3], 40.0f);
}

TEST(PaletteStage, FadeStepsEveryBlockUntilAfterItsEnd) {
  auto context = test::QuietContext();
  context->commands.palette.Append(Colour("fade", 10, 12, 255, 0, 0, 200));
  EXPECT_EQ(EndOfBlock(*context, 11), Stuff("v_cshift 127 0 0 100 \n"));  // red 127.5, truncated
  EXPECT_EQ(EndOfBlock(*context, 12), Stuff("v_cshift 255 0 0 200 \n"));
  EXPECT_FALSE(context->commands.palette.Empty());  // not yet past its end
  EXPECT_EQ(EndOfBlock(*context, 12.05f), Stuff("v_cshift 255 0 0 200 \n"));
  EXPECT_TRUE(context->commands.palette.Empty());
}

TEST(PaletteStage, StrengthAbove255FadesAndIsCappedButRemembered) {
  auto context = test::QuietContext();
  context->commands.palette.Append(Colour("palette", 1, 0, 0, 0, 0, 400));
  EXPECT_EQ(EndOfBlock(*context, 2), Stuff("v_cshift 0 0 0 255 \n"));
  EXPECT_TRUE(context->commands.palette.Empty());
  EXPECT_EQ(context->edits.paletteLast[3], 400.0f);
}

TEST(PaletteStage, StrengthOf255IsSetAtOnceEvenWhenALaterCommandClosedIt) {
  auto context = test::QuietContext();
  context->commands.palette.Append(Colour("palette", 1, 4, 0, 0, 0, 255));
  EXPECT_EQ(EndOfBlock(*context, 1), Stuff("v_cshift 0 0 0 255 \n"));
  EXPECT_TRUE(context->commands.palette.Empty());
}

TEST(PaletteStage, FadeEndingWhereItStartsReachesItsColourAtOnce) {
  auto context = test::QuietContext();
  context->commands.palette.Append(Colour("fade", 3, 3, 100, 0, 0, 50));
  EXPECT_EQ(EndOfBlock(*context, 3), Stuff("v_cshift 100 0 0 50 \n"));
}

TEST(EventStage, OneEventPerBlockInListOrder) {
  auto context = test::QuietContext();
  context->commands.event.Append(Event("print", 1, "first"));
  context->commands.event.Append(Event("centerprint", 1, "second"));
  Bytes first = {svc_print};
  AppendString(first, "first");
  Bytes second = {svc_centerprint};
  AppendString(second, "second");
  EXPECT_EQ(EndOfBlock(*context, 1), first);
  EXPECT_EQ(EndOfBlock(*context, 1), second);
  EXPECT_TRUE(EndOfBlock(*context, 1).empty());
}

TEST(EventStage, TextKinds) {
  struct Case {
    const char* kind;
    int type;
  };
  for (const Case& c : {Case{"stufftext", svc_stufftext}, Case{"finale", svc_finale}}) {
    SCOPED_TRACE(c.kind);
    auto context = test::QuietContext();
    context->commands.event.Append(Event(c.kind, 0, "t"));
    EXPECT_EQ(EndOfBlock(*context, 0), (Bytes{static_cast<std::uint8_t>(c.type), 't', 0}));
  }
}

TEST(EventStage, TextOfAnUnknownKindIsDropped) {
  auto context = test::QuietContext();
  context->commands.event.Append(Event("shout", 0, "t"));
  EXPECT_TRUE(EndOfBlock(*context, 0).empty());
  EXPECT_TRUE(context->commands.event.Empty());
}

TEST(EventStage, EyesSwitchesTheView) {
  auto context = test::QuietContext();
  CCommand eyes = Event("eyes", 10);
  eyes.param4 = 300;
  context->commands.event.Append(eyes);
  EXPECT_EQ(EndOfBlock(*context, 10), (Bytes{5, 3, 0}));
  EXPECT_EQ(context->director.eyesEntity, 3);
}

CCommand Sound(const std::string& name, float entity, bool fromCamera) {
  CCommand command = Event("sound", 0, name);
  command.param1 = 0;
  command.param2 = 1;
  command.param3 = 1;
  command.endTime = entity;
  command.cameraSource = fromCamera;
  return command;
}

TEST(EventStage, SoundAtTheCameraWithDefaultVolume) {
  auto context = test::QuietContext();
  CCommand sound = Sound("misc/talk.wav", 449, true);
  sound.param3 = 0.7f;
  context->commands.AppendSound(sound);
  context->commands.sounds.NewLevel();
  context->commands.sounds.NumberSlot(0, 42);
  context->director.cameraPlace.offset = {1, 2, 3};  // where the camera stands in every block
  context->edits.cameraEntity = 597;                 // the demo has its own 449
  // Volume 1: no volume byte; attenuation 0.7 (not the game's 2): 44.8, truncated.
  Bytes expected = {6, 2, 44};
  AppendShort(expected, 597 * 8);
  expected.push_back(42);
  for (int v : {8, 16, 24}) AppendShort(expected, v);
  EXPECT_EQ(EndOfBlock(*context, 0), expected);
}

TEST(EventStage, SoundFromAnEntityComesFromItsLatestPoint) {
  auto context = test::QuietContext();
  context->entities.Reference(12);
  context->entities.AddTrackPoint(12, 0, 100, 200, 300);
  CCommand sound = Sound("a.wav", 12, false);
  sound.param1 = 2;
  sound.param2 = 0.5f;
  sound.param3 = 2;
  context->commands.AppendSound(sound);
  Bytes expected = {6, 1, 127};
  AppendShort(expected, 2 + 12 * 8);
  expected.push_back(0);
  for (int v : {800, 1600, 2400}) AppendShort(expected, v);
  EXPECT_EQ(EndOfBlock(*context, 0), expected);
}

TEST(EventStage, SoundFromAnUnplacedEntityComesFromTheCamera) {
  auto context = test::QuietContext();
  context->commands.AppendSound(Sound("a.wav", 7, false));
  context->director.cameraPlace.offset = {1, 1, 1};
  const Bytes out = EndOfBlock(*context, 0);
  ASSERT_EQ(out.size(), 12u);
  EXPECT_EQ(out[6], 8);  // x of the camera, times 8
}

// The orders of a name's sounds come back as they went in: gaps of every
// width, pushed and played in turns, long enough for played bytes to go.
TEST(SoundList, OrdersComeBackAsTheyWentIn) {
  SoundOrders orders;
  std::deque<std::int64_t> expected;
  std::mt19937_64 random(7);
  std::int64_t order = -5;
  for (int step = 0; step < 40000; ++step) {
    if (random() % 3 != 0) {
      const int width = static_cast<int>(random() % 50);
      order += 1 + static_cast<std::int64_t>(random() % (std::uint64_t{1} << width));
      orders.Push(order);
      expected.push_back(order);
    } else if (!expected.empty()) {
      ASSERT_EQ(orders.Front(), expected.front());
      orders.Pop();
      expected.pop_front();
    }
    ASSERT_EQ(orders.Count(), expected.size());
  }
  for (; !expected.empty(); expected.pop_front(), orders.Pop()) ASSERT_EQ(orders.Front(), expected.front());
  EXPECT_TRUE(orders.Empty());
}

TEST(SoundList, ScriptSoundsFollowTheServersAndShareNumbers) {
  auto context = test::QuietContext();
  context->commands.AppendSound(Sound("new/one.wav", 449, true));
  context->commands.AppendSound(Sound("new/two.wav", 449, true));
  context->commands.AppendSound(Sound("s3.wav", 449, true));  // already the server's
  context->commands.AppendSound(Sound("new/two.wav", 449, true));
  Bytes block = {11};
  test::AppendLong(block, 15);
  Append(block, {1, 0});
  AppendString(block, "level");
  Append(block, {0});  // no models
  for (int i = 1; i <= 40; ++i) AppendString(block, "s" + std::to_string(i) + ".wav");
  Append(block, {0});
  Bytes expected = block;
  expected.pop_back();
  AppendString(expected, "new/one.wav");
  AppendString(expected, "new/two.wav");
  expected.push_back(0);
  EXPECT_EQ(test::RunMessages(*context, block), expected);
  std::vector<int> numbers;
  for (const CCommand& command : context->commands.event)
    numbers.push_back(context->commands.sounds.Number(command.soundSlot));
  EXPECT_EQ(numbers, (std::vector<int>{41, 42, 3, 42}));
  EXPECT_EQ(context->parser.soundCount, 44);
}

TEST(SoundList, ScriptSoundsNeverGrowTheServerInfoPastItsBlocksLimit) {
  auto context = test::QuietContext();
  context->commands.AppendSound(Sound(std::string(59, 'a') + ".wav", 449, true));
  context->commands.AppendSound(Sound(std::string(59, 'b') + ".wav", 449, true));
  Bytes block = {11};
  test::AppendLong(block, 15);
  Append(block, {1, 0});
  AppendString(block, "level");
  Append(block, {0});                                              // no models
  AppendString(block, std::string(7990 - block.size() - 2, 's'));  // one sound: the message is 7990 bytes
  Append(block, {0});
  const Bytes out = test::RunMessages(*context, block);
  EXPECT_EQ(out.size(), 7990u);  // no name fits within 8000 bytes
  EXPECT_EQ(context->commands.sounds.Number(0), 0);
  EXPECT_EQ(context->commands.sounds.Number(1), 0);
}

TEST(SoundList, AFullListTakesNoMoreAndTheSoundPlaysNothing) {
  auto context = test::QuietContext();
  context->commands.AppendSound(Sound("new/one.wav", 449, true));
  Bytes block = {11};
  test::AppendLong(block, 15);
  Append(block, {1, 0});
  AppendString(block, "level");
  Append(block, {0});  // no models; sounds 1 to 255 fill the list
  for (int i = 1; i <= 255; ++i) AppendString(block, "s" + std::to_string(i) + ".wav");
  Append(block, {0});
  EXPECT_EQ(test::RunMessages(*context, block), block);
  EXPECT_EQ(context->commands.sounds.Number(context->commands.event.Head().soundSlot), 0);
}

TEST(SoundList, ALongListOf666AndAnEntityPast8191TakeShorts) {
  auto context = test::QuietContext();
  context->commands.AppendSound(Sound("new/one.wav", 9000, false));
  context->commands.AppendSound(Sound("new/one.wav", 9000, false));
  Bytes block = {11};
  test::AppendLong(block, 666);
  Append(block, {1, 0});
  AppendString(block, "level");
  Append(block, {0});  // no models; 299 sounds, more than a byte numbers
  for (int i = 1; i <= 299; ++i) AppendString(block, "s" + std::to_string(i) + ".wav");
  Append(block, {0});
  test::RunMessages(*context, block);
  EXPECT_EQ(context->commands.sounds.Number(0), 300);
  context->director.cameraPlace.offset = {1, 1, 1};  // an entity never placed: the camera's spot
  Bytes expected = {6, SND_ATTENUATION | SND_LARGEENTITY | SND_LARGESOUND, 64};
  AppendShort(expected, 9000);
  expected.push_back(0);  // channel
  AppendShort(expected, 300);
  for (int v : {8, 8, 8}) AppendShort(expected, v);
  EXPECT_EQ(EndOfBlock(*context, 0), expected);
  // Protocol 15 has no room for such an entity: no sound.
  context->stream.ResetProtocol();
  EXPECT_TRUE(EndOfBlock(*context, 0).empty());
  EXPECT_TRUE(context->commands.event.Empty());
}

}  // namespace
}  // namespace cw
