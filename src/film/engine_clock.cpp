#include "film/engine_clock.h"

#include <charconv>

namespace cw {

void EngineClock::Frame(float step) {
  if (ended_) return;
  time_ += static_cast<double>(step);
  while (!ended_) {
    // Until it is connected the engine reads every block at once.
    if (connected_ && time_ <= newest_) break;
    if (next_ >= timeline_.BlockCount()) {
      ended_ = true;  // the file ends: playback stops
      break;
    }
    Read(next_++);
  }
  if (!ended_) Correct();
}

void EngineClock::Read(std::size_t block) {
  for (const ClockEvent& event : timeline_.EventsOf(block)) {
    switch (event.kind) {
      case ClockEventKind::Level:
        // The client's state is cleared: its clock, its block times, its connection.
        time_ = newest_ = previous_ = 0;
        connected_ = false;
        ++level_;
        break;
      case ClockEventKind::Connected:
        connected_ = true;
        break;
      case ClockEventKind::Time:
        previous_ = newest_;
        newest_ = static_cast<double>(event.time);
        break;
      case ClockEventKind::End:
        ended_ = true;
        return;
    }
  }
}

// The engine's correction of its time against the last two block times,
// with its float and double where it has them.
void EngineClock::Correct() {
  float span = static_cast<float>(newest_ - previous_);
  if (span == 0) {
    time_ = newest_;
    return;
  }
  if (span > 0.1) {  // a dropped packet, or the start of a level
    previous_ = newest_ - 0.1;
    span = 0.1f;
  }
  const float fraction = static_cast<float>((time_ - previous_) / static_cast<double>(span));
  if (fraction < 0) {
    if (fraction < -0.01) time_ = previous_;
  } else if (fraction > 1) {
    if (fraction > 1.01) time_ = newest_;
  }
}

float ConsoleValue(const std::string& text) {
  double value = 0;
  std::size_t at = 0;
  while (at < text.size() && (text[at] == ' ' || text[at] == '\t')) ++at;
  const bool negative = at < text.size() && text[at] == '-';
  if (negative) ++at;
  int decimal = -1;
  int total = 0;
  for (; at < text.size(); ++at) {
    const char c = text[at];
    if (c == '.') {
      decimal = total;
      continue;
    }
    if (c < '0' || c > '9') break;
    value = value * 10 + (c - '0');
    ++total;
  }
  if (decimal >= 0) {
    for (; total > decimal; --total) value /= 10;
  }
  return static_cast<float>(negative ? -value : value);
}

std::string ConsoleText(double seconds) {
  char text[64];
  const auto written = std::to_chars(text, text + sizeof text, seconds, std::chars_format::fixed, 10);
  std::string result(text, written.ptr);
  // Trailing zeros say nothing; a trailing point neither.
  while (result.size() > 1 && result.back() == '0' && result.find('.') != std::string::npos) result.pop_back();
  if (!result.empty() && result.back() == '.') result.pop_back();
  return result;
}

}  // namespace cw
