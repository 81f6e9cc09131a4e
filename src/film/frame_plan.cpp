#include "film/frame_plan.h"

#include <algorithm>
#include <tuple>

#include "film/engine_clock.h"

namespace cw {
namespace {

constexpr double kFarStep = 1.0;               // a frame far from the next time asked for
constexpr double kSettle = 1.0;                // played in the film's steps before a time asked for
constexpr double kDrawn = 0.5;                 // drawn before a time asked for, so that animations blend as they would
constexpr double kReached = 1e-5;              // a time this close is reached
constexpr int kStillFrames = 2000;             // frames in a row that move nothing: the clock stands still
constexpr const char* kLeastStep = "0.00001";  // host_framerate 0 would mean the wall clock
constexpr double kShortOfTheEnd = 2e-6;        // a level's end is aimed at from just before it

class Planner {
 public:
  Planner(const DemoTimeline& timeline, FramePlan& target) : clock(timeline), plan(target), levels(timeline.levels) {}

  void Play(double seconds, bool drawn) {
    std::string text = ConsoleText(seconds);
    float value = ConsoleValue(text);
    if (!(value > 0)) {
      text = kLeastStep;
      value = ConsoleValue(text);
    }
    const bool endedBefore = clock.Ended();
    clock.Frame(value);
    if (clock.Ended() && !endedBefore) endingFrame = static_cast<int>(plan.frames.size());
    plan.frames.push_back({text, drawn, -1, clock.BlocksRead()});
  }

  bool Before(const LevelTime& want) const {
    return clock.Level() < want.level || (clock.Level() == want.level && clock.Time() < want.time - kReached);
  }

  // Plays on until the clock shows `want` or the demo ends.
  bool PlayTo(const LevelTime& want, double step, std::string& error) {
    int still = 0;
    while (!clock.Ended() && Before(want)) {
      const auto before = std::make_tuple(clock.Level(), clock.Time(), clock.BlocksRead());
      if (clock.Level() < want.level) {
        Play(kFarStep, false);  // on through the levels before it
      } else {
        // A step that went past a level's last block would read on into
        // the next level, or the demo's end.
        double aim = want.time;
        const auto index = static_cast<std::size_t>(want.level);
        if (index < levels.size() && levels[index].timed) {
          aim = std::min(aim, static_cast<double>(levels[index].last) - kShortOfTheEnd);
        }
        const double gap = aim - clock.Time();
        const double seconds = gap > kSettle ? std::min(kFarStep, gap - kSettle) : std::min(step, gap);
        Play(seconds, gap - seconds <= kDrawn);
      }
      const auto after = std::make_tuple(clock.Level(), clock.Time(), clock.BlocksRead());
      still = after == before ? still + 1 : 0;
      if (still >= kStillFrames) {
        error = "the demo's clock stands still";
        return false;
      }
    }
    return true;
  }

  // The frame that shows what the clock reached: the latest, or the last
  // one drawn before the frame that ended playback. -1 when there is none.
  int ShownFrame() const {
    if (endingFrame >= 0) return endingFrame - 1;
    return static_cast<int>(plan.frames.size()) - 1;
  }

  EngineClock clock;
  FramePlan& plan;
  const std::vector<LevelSpan>& levels;
  int endingFrame = -1;
};

}  // namespace

bool PlanFrames(const DemoTimeline& timeline, std::span<const double> filmTimes, double step, FramePlan& plan,
                std::string& error) {
  plan = FramePlan();
  Planner planner(timeline, plan);
  planner.Play(step, true);  // playback starts: the level's first blocks
  for (const double filmTime : filmTimes) {
    if (!planner.PlayTo(AtFilmTime(timeline, filmTime), step, error)) return false;
    const int shown = planner.ShownFrame();
    if (shown < 0) {
      error = "the demo ends before it shows anything";
      return false;
    }
    PlannedFrame& frame = plan.frames[static_cast<std::size_t>(shown)];
    if (frame.picture < 0) {
      frame.picture = plan.pictures++;
      frame.drawn = true;
    }
    plan.pictureOf.push_back(frame.picture);
  }
  return true;
}

}  // namespace cw
