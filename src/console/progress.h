#pragma once
// The progress of refilms on a terminal: one line, redrawn over itself on
// standard error, and nothing at all when standard error is no terminal.

#include <chrono>
#include <iosfwd>
#include <string>

#include "console/console_platform.h"

namespace cw {

struct ProgressFigures {
  int demosDone = 0;
  int demos = 0;  // 0 for a single refilm: no count of demos is shown
  double bytesDone = 0;
  double bytes = 0;    // 0 when unknown: no megabytes are shown
  double seconds = 0;  // since the start
};

// At most `columns - 1` characters: a bar, then "45%" or "3/12 demos",
// "12.4/48.0 MB", "24.8 MB/s" and "1:05 left" as far as they are known.
std::string ProgressLine(const ProgressFigures& figures, int columns);

// "0:42", or "1:02:03" from an hour on.
std::string Duration(double seconds);

// The line on a stream marked as a terminal (see terminal.h).
class ProgressBar {
 public:
  explicit ProgressBar(std::ostream& stream);
  ~ProgressBar();
  ProgressBar(const ProgressBar&) = delete;
  ProgressBar& operator=(const ProgressBar&) = delete;

  bool Active() const { return terminal; }
  void Draw(const ProgressFigures& figures);
  // Takes the line away, so that other text starts at the left margin.
  void Clear();

 private:
  std::ostream& err;
  bool terminal;
  bool drawn = false;
};

// The console of a single refilm: its progress is drawn once the run has
// taken `delay` (a short refilm shows none), at most ten times a second,
// and taken away before any message and at the end.
class ProgressConsolePlatform : public ConsolePlatform {
 public:
  using Clock = std::chrono::steady_clock;
  ProgressConsolePlatform(std::ostream& output, std::ostream& errors, const std::string& source,
                          Clock::duration delay = std::chrono::seconds(1));
  MessageAnswer MessageBox(const std::string& text, const std::string& caption, MessageKind kind) override;
  void RunCommand(const std::string& commandLine) override;
  void Progress(double fraction) override;

 private:
  ProgressBar bar;
  double bytes = 0;
  Clock::time_point start;
  Clock::time_point lastDrawn;
  Clock::duration delay;
};

}  // namespace cw
