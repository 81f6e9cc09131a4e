#pragma once
// The clock of a Quake engine of QuakeSpasm's family playing a demo at its
// own pace (not as a timedemo), frame by frame, with the frame time fixed
// by host_framerate. Each frame the engine's time goes on by the frame
// time; the engine then reads blocks until it holds one at or after that
// time (every block while it connects), and corrects its time where it
// falls outside the last two block times: at a level's start, in a gap of
// more than a tenth of a second between blocks, where two blocks carry the
// same time, and at the demo's end. The arithmetic is the engine's own, in
// its types, so that the engine and this clock agree on every frame.

#include <cstddef>
#include <string>

#include "film/demo_timeline.h"

namespace cw {

class EngineClock {
 public:
  explicit EngineClock(const DemoTimeline& timeline) : timeline_(timeline) {}

  // One frame of `step` seconds.
  void Frame(float step);

  // The time the frame was drawn at, on its level's clock.
  double Time() const { return time_; }
  // The level being played: -1 before the first server info.
  int Level() const { return level_; }
  // The blocks read so far; the last frame read those from the frame before's count.
  std::size_t BlocksRead() const { return next_; }
  // The playback ended: no frame from the one that ended it on is drawn.
  bool Ended() const { return ended_; }

 private:
  void Read(std::size_t block);
  void Correct();

  const DemoTimeline& timeline_;
  double time_ = 0;      // the client's time
  double newest_ = 0;    // the time of the newest block read
  double previous_ = 0;  // the time of the one before it
  bool connected_ = false;
  bool ended_ = false;
  int level_ = -1;
  std::size_t next_ = 0;
};

// host_framerate as the engine reads the text of a console value: digits
// gathered into a double, divided by ten for each decimal, made a float.
float ConsoleValue(const std::string& text);
// The text of a frame time for the console, in the plain decimals the
// engine reads (it reads no exponent), and the value the engine will read.
std::string ConsoleText(double seconds);

}  // namespace cw
