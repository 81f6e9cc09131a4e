// The demo's clock as the engine follows it, and the frames planned so that
// each picture shows exactly the time asked for.

#include "film/frame_plan.h"

#include <gtest/gtest.h>

#include <sstream>

#include "demo_builder.h"
#include "film/demo_timeline.h"
#include "film/engine_clock.h"

namespace cw {
namespace {

using test::DemoBuilder;
using test::MessageBytes;

// A level as a real demo starts one: the server info, the baselines, the
// first time with signon stage 3, then blocks of a time and an update each.
void AddLevel(DemoBuilder& demo, const std::vector<float>& times, const std::string& stuffed = "") {
  test::ServerInfo info;
  info.models = {"maps/test.bsp"};
  demo.Block(MessageBytes().ServerInfoMessage(info).SignonNum(1));
  demo.Block(MessageBytes().SignonNum(2));
  demo.Block(MessageBytes().Time(times.front()).SignonNum(3));
  for (std::size_t i = 1; i < times.size(); ++i) {
    MessageBytes block;
    block.Time(times[i]).EntityUpdateMessage({});
    if (i == 2 && !stuffed.empty()) block.StuffText(stuffed);
    demo.Block(block);
  }
}

DemoTimeline Timeline(const DemoBuilder& demo) {
  std::istringstream in(demo.Build());
  DemoTimeline timeline;
  std::string error;
  EXPECT_TRUE(ReadTimeline(in, timeline, error)) << error;
  return timeline;
}

std::vector<float> Steady(float from, float to, float step) {
  std::vector<float> times;
  for (float t = from; t <= to + 1e-4f; t += step) times.push_back(t);
  return times;
}

TEST(DemoTimeline, LevelsTextsAndTheFilmClock) {
  DemoBuilder demo;
  AddLevel(demo, Steady(1.4f, 3.0f, 0.1f), "bf\n");
  AddLevel(demo, Steady(0.5f, 2.5f, 0.1f));
  demo.Block(MessageBytes().Disconnect());
  const DemoTimeline timeline = Timeline(demo);
  ASSERT_EQ(timeline.levels.size(), 2u);
  EXPECT_FLOAT_EQ(timeline.levels[0].first, 1.4f);
  EXPECT_NEAR(timeline.levels[0].last, 3.0f, 1e-4);
  EXPECT_DOUBLE_EQ(timeline.levels[0].filmStart, timeline.levels[0].first);
  // The second level follows where the first ended.
  EXPECT_NEAR(timeline.levels[1].filmStart, 3.0, 1e-4);
  EXPECT_NEAR(timeline.FilmStart(), 1.4, 1e-6);
  EXPECT_NEAR(timeline.FilmEnd(), 5.0, 1e-4);
  EXPECT_EQ(AtFilmTime(timeline, 0).level, 0);
  EXPECT_NEAR(AtFilmTime(timeline, 2.0).time, 2.0, 1e-9);
  EXPECT_EQ(AtFilmTime(timeline, timeline.levels[1].filmStart).level, 0);  // the end of the first
  EXPECT_EQ(AtFilmTime(timeline, 3.5).level, 1);
  EXPECT_NEAR(AtFilmTime(timeline, 3.5).time, 1.0, 1e-4);
  EXPECT_EQ(AtFilmTime(timeline, 99).level, 1);
  ASSERT_EQ(timeline.texts.size(), 1u);
  EXPECT_EQ(timeline.texts[0].text, "bf\n");
  EXPECT_EQ(timeline.texts[0].block, 4u);
  EXPECT_FALSE(timeline.damaged);
  // The connection completes with the first update after stage 3.
  const auto events = timeline.EventsOf(3);
  ASSERT_EQ(events.size(), 2u);
  EXPECT_EQ(events[1].kind, ClockEventKind::Connected);
  EXPECT_EQ(timeline.EventsOf(timeline.BlockCount() - 1).back().kind, ClockEventKind::End);
}

TEST(DemoTimeline, ADemoCutShortEndsWhereTheEngineStops) {
  DemoBuilder demo;
  AddLevel(demo, Steady(1.0f, 2.0f, 0.1f));
  demo.RawBlock(50, {0, 0, 0}, {7, 0, 0});  // a block whose bytes the file does not hold
  const DemoTimeline timeline = Timeline(demo);
  EXPECT_TRUE(timeline.damaged);
  EXPECT_EQ(timeline.EventsOf(timeline.BlockCount() - 1).back().kind, ClockEventKind::End);
  std::istringstream empty("-1\n");
  DemoTimeline none;
  std::string error;
  EXPECT_FALSE(ReadTimeline(empty, none, error));
  std::istringstream noLine("no line feed");
  EXPECT_FALSE(ReadTimeline(noLine, none, error));
}

TEST(EngineClock, FollowsTheEnginesCorrections) {
  DemoBuilder demo;
  // 1.4, then 1.4278 (as qfm_e1m3 begins), steady blocks to 2.0, a gap to
  // 2.3, a block that carries its time twice, the end.
  std::vector<float> times = {1.4f, 1.4278f};
  for (int i = 1; i <= 12; ++i) times.push_back(1.4f + 0.05f * static_cast<float>(i));
  times.push_back(2.3f);
  AddLevel(demo, times);
  demo.Block(MessageBytes().Time(2.35f).Time(2.35f).EntityUpdateMessage({}));
  demo.Block(MessageBytes().Time(2.4f).EntityUpdateMessage({}));
  demo.Block(MessageBytes().Disconnect());
  const DemoTimeline timeline = Timeline(demo);
  EngineClock clock(timeline);
  // The first frame reads the whole connection; its time goes back to the
  // first block's.
  clock.Frame(1.0f / 30);
  EXPECT_EQ(clock.Level(), 0);
  EXPECT_DOUBLE_EQ(clock.Time(), static_cast<double>(1.4f));
  EXPECT_EQ(clock.BlocksRead(), 4u);
  const float step = ConsoleValue("0.0333333333");
  clock.Frame(step);
  EXPECT_DOUBLE_EQ(clock.Time(), static_cast<double>(1.4f) + static_cast<double>(step));
  // Up to the gap's start, then over it: the time jumps to a tenth of a
  // second before the block after the gap.
  while (clock.Time() < 1.95) clock.Frame(step);
  clock.Frame(0.1f);
  EXPECT_DOUBLE_EQ(clock.Time(), static_cast<double>(2.3f) - 0.1);
  clock.Frame(0.09f);
  EXPECT_NEAR(clock.Time(), 2.29, 1e-6);
  // A block of one time twice: the time is its own.
  clock.Frame(0.03f);
  EXPECT_DOUBLE_EQ(clock.Time(), static_cast<double>(2.35f));
  EXPECT_FALSE(clock.Ended());
  clock.Frame(1.0f);
  EXPECT_TRUE(clock.Ended());
}

TEST(EngineClock, ConsoleValuesAreReadAsTheEngineReadsThem) {
  EXPECT_EQ(ConsoleValue("0.5"), 0.5f);
  EXPECT_EQ(ConsoleValue("  -2.25"), -2.25f);
  EXPECT_EQ(ConsoleValue("3"), 3.0f);
  EXPECT_EQ(ConsoleValue("1e-05"), 1.0f);  // no exponents: the digits before it
  EXPECT_EQ(ConsoleText(1.0 / 30), "0.0333333333");
  EXPECT_EQ(ConsoleText(0.5), "0.5");
  EXPECT_EQ(ConsoleText(2), "2");
  EXPECT_EQ(ConsoleText(0.00001), "0.00001");
  EXPECT_NEAR(ConsoleValue(ConsoleText(1.0 / 30)), 1.0 / 30, 1e-8);  // the float nearest
}

// Where the clock is after each frame of a plan, as the engine will be.
std::vector<double> PictureTimes(const DemoTimeline& timeline, const FramePlan& plan) {
  std::vector<double> times(static_cast<std::size_t>(plan.pictures), -1);
  EngineClock clock(timeline);
  for (const PlannedFrame& frame : plan.frames) {
    clock.Frame(ConsoleValue(frame.step));
    EXPECT_EQ(clock.BlocksRead(), frame.blocksRead);
    if (frame.picture >= 0) {
      EXPECT_TRUE(frame.drawn);
      times[static_cast<std::size_t>(frame.picture)] = clock.Time();
    }
  }
  return times;
}

TEST(FramePlan, EachPictureShowsItsTime) {
  DemoBuilder demo;
  AddLevel(demo, Steady(1.0f, 30.0f, 1.0f / 72));
  demo.Block(MessageBytes().Disconnect());
  const DemoTimeline timeline = Timeline(demo);
  std::vector<double> wanted;
  for (int k = 0; k < 60; ++k) wanted.push_back(10.0 + k / 30.0);
  FramePlan plan;
  std::string error;
  ASSERT_TRUE(PlanFrames(timeline, wanted, 1.0 / 30, plan, error)) << error;
  ASSERT_EQ(plan.pictures, 60);
  const std::vector<double> shown = PictureTimes(timeline, plan);
  for (std::size_t k = 0; k < wanted.size(); ++k) {
    EXPECT_EQ(plan.pictureOf[k], static_cast<int>(k));
    EXPECT_NEAR(shown[k], wanted[k], 1e-5) << k;
  }
  // Far from the first time, long steps that draw nothing.
  EXPECT_LT(plan.frames.size(), 60u + 40u);
  EXPECT_FALSE(plan.frames[2].drawn);
  EXPECT_EQ(plan.frames[2].step, "1");
}

TEST(FramePlan, TimesTheDemoCannotShowReuseAPicture) {
  DemoBuilder demo;
  std::vector<float> times = Steady(1.0f, 2.0f, 0.02f);
  const std::vector<float> after = Steady(2.5f, 3.0f, 0.02f);  // a gap of half a second
  times.insert(times.end(), after.begin(), after.end());
  AddLevel(demo, times);
  demo.Block(MessageBytes().Disconnect());
  const DemoTimeline timeline = Timeline(demo);
  // Before the start, in the gap, after the end.
  const std::vector<double> wanted = {0.0, 0.5, 1.5, 2.1, 2.2, 2.45, 2.7, 3.5, 4.0};
  FramePlan plan;
  std::string error;
  ASSERT_TRUE(PlanFrames(timeline, wanted, 0.05, plan, error)) << error;
  const std::vector<int>& of = plan.pictureOf;
  EXPECT_EQ(of[0], of[1]);  // both before the start: its first picture
  EXPECT_NE(of[1], of[2]);
  EXPECT_EQ(of[4], of[3]);  // inside the gap: the picture of the moment after its start
  EXPECT_NE(of[5], of[4]);
  EXPECT_EQ(of[7], of[8]);  // after the end: the last picture
  const std::vector<double> shown = PictureTimes(timeline, plan);
  EXPECT_NEAR(shown[static_cast<std::size_t>(of[2])], 1.5, 1e-5);
  EXPECT_NEAR(shown[static_cast<std::size_t>(of[3])], 2.4, 1e-5);  // where the engine lands in the gap
  EXPECT_NEAR(shown[static_cast<std::size_t>(of[5])], 2.45, 1e-5);
  EXPECT_NEAR(shown[static_cast<std::size_t>(of[6])], 2.7, 1e-5);
}

TEST(FramePlan, LevelsFollowOneAnother) {
  DemoBuilder demo;
  AddLevel(demo, Steady(1.0f, 3.0f, 0.02f));
  AddLevel(demo, Steady(0.5f, 2.0f, 0.02f));
  demo.Block(MessageBytes().Disconnect());
  const DemoTimeline timeline = Timeline(demo);
  const std::vector<double> wanted = {2.5, 2.9, 3.5, 4.0};
  FramePlan plan;
  std::string error;
  ASSERT_TRUE(PlanFrames(timeline, wanted, 0.1, plan, error)) << error;
  ASSERT_EQ(plan.pictures, 4);
  EngineClock clock(timeline);
  std::vector<std::pair<int, double>> shown;
  for (const PlannedFrame& frame : plan.frames) {
    clock.Frame(ConsoleValue(frame.step));
    if (frame.picture >= 0) shown.emplace_back(clock.Level(), clock.Time());
  }
  EXPECT_EQ(shown[1].first, 0);
  EXPECT_NEAR(shown[1].second, 2.9, 1e-4);
  EXPECT_EQ(shown[2].first, 1);
  EXPECT_NEAR(shown[2].second, 1.0, 1e-4);  // half a second into the second level
  EXPECT_NEAR(shown[3].second, 1.5, 1e-4);
}

TEST(FramePlan, ADemoThatShowsNothingIsRefused) {
  DemoBuilder demo;
  demo.Block(MessageBytes().Disconnect());
  const DemoTimeline timeline = Timeline(demo);
  FramePlan plan;
  std::string error;
  const std::vector<double> wanted = {1.0};
  EXPECT_FALSE(PlanFrames(timeline, wanted, 0.1, plan, error));
  EXPECT_EQ(error, "the demo ends before it shows anything");
}

}  // namespace
}  // namespace cw
