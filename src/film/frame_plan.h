#pragma once
// Which frames the engine plays, with which frame time, and which of them
// it takes a picture of, so that each picture shows the demo at exactly the
// film time it was asked for. The plan follows the engine's clock (see
// engine_clock.h): each frame's time is chosen to land on the next time
// asked for. Far from it, frames take long steps and draw nothing; the last
// second before it is played in the film's own steps, so that what lives
// for a while (particles, lights, animations) is as it would be. Where the
// engine cannot show a time (between the blocks of a gap, after the demo's
// end), the picture of the moment that does show it is used again.

#include <span>
#include <string>
#include <vector>

#include "film/demo_timeline.h"

namespace cw {

struct PlannedFrame {
  std::string step;            // host_framerate for this frame, as the console is told it
  bool drawn = true;           // the view is drawn (r_norefresh 0)
  int picture = -1;            // the picture taken of this frame; -1 for none
  std::size_t blocksRead = 0;  // the blocks read by the end of this frame
};

struct FramePlan {
  // frames[0] is the frame in which playback starts.
  std::vector<PlannedFrame> frames;
  // For each time asked for, the picture that shows it.
  std::vector<int> pictureOf;
  int pictures = 0;
};

// Plans the frames for `filmTimes` (ascending), with frames of `step`
// seconds near them. False, with `error`, when the demo shows nothing at
// all, or its clock stands still.
bool PlanFrames(const DemoTimeline& timeline, std::span<const double> filmTimes, double step, FramePlan& plan,
                std::string& error);

}  // namespace cw
