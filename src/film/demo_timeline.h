#pragma once
// What an engine's clock follows in a demo, block by block: the times the
// blocks carry, where a level begins, where its connection completes, where
// the demo ends; the console texts the demo hands the engine; and where
// each level lies on the film's clock.
//
// The film's clock is the demo's clock of its first level. Each later level
// follows on it where the level before it ended, so that a demo of several
// levels is one stretch of film time.

#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <span>
#include <string>
#include <vector>

namespace cw {

enum class ClockEventKind : std::uint8_t {
  Level,      // a server info: the engine clears its clock and connects anew
  Connected,  // the first entity update after signon stage 3: connected
  Time,       // an svc_time
  End,        // a disconnect, or a message the engine cannot read: playback ends
};

struct ClockEvent {
  ClockEventKind kind = ClockEventKind::Time;
  float time = 0;  // for Time
};

struct StuffedText {
  std::size_t block = 0;
  std::string text;
};

// One level's first and last svc_time, and where its first lies on the
// film's clock.
struct LevelSpan {
  bool timed = false;  // false: the level carries no time, and takes none
  float first = 0;
  float last = 0;
  double filmStart = 0;
  double FilmEnd() const { return filmStart + (static_cast<double>(last) - first); }
};

struct DemoTimeline {
  std::vector<std::uint32_t> blockStarts;  // each block's first event; one more entry ends the last
  std::vector<ClockEvent> events;
  std::vector<StuffedText> texts;  // the svc_stufftext of every block, in order
  std::vector<LevelSpan> levels;
  bool damaged = false;  // a block is cut short or holds bytes that are no message

  std::size_t BlockCount() const { return blockStarts.empty() ? 0 : blockStarts.size() - 1; }
  std::span<const ClockEvent> EventsOf(std::size_t block) const {
    return std::span<const ClockEvent>(events).subspan(blockStarts[block], blockStarts[block + 1] - blockStarts[block]);
  }
  // The first and last film times of the demo; both 0 when no level has a time.
  double FilmStart() const;
  double FilmEnd() const;
};

// Reads a whole demo (its first line included). False, with `error`, when it
// has no block at all.
bool ReadTimeline(std::istream& demo, DemoTimeline& timeline, std::string& error);

// A film time as a level's own clock gives it. A time before the first
// level's first is in the first level, one after the last level's end in
// the last; a time where one level ends and the next begins is the end of
// the earlier one.
struct LevelTime {
  int level = 0;
  double time = 0;
};
LevelTime AtFilmTime(const DemoTimeline& timeline, double filmTime);

}  // namespace cw
