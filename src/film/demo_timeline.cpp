#include "film/demo_timeline.h"

#include <istream>

#include "base/protocol.h"
#include "stream/block.h"
#include "stream/demo_walk.h"
#include "stream/message_reader.h"

namespace cw {
namespace {

constexpr int kSignonStages = 4;

// Follows the messages as the engine's client does for its clock.
struct TimelineReader : IgnoredMessages {
  DemoTimeline& timeline;
  std::size_t block = 0;
  int signon = 0;
  bool ended = false;

  explicit TimelineReader(DemoTimeline& target) : timeline(target) {}

  void Add(ClockEventKind kind, float time = 0) {
    if (!ended) timeline.events.push_back({kind, time});
    if (kind == ClockEventKind::End) ended = true;
  }
  void ServerInfo(int, const ServerInfoFields&) {
    signon = 0;
    Add(ClockEventKind::Level);
    if (!ended) timeline.levels.emplace_back();
  }
  void SignonNum(int, int stage) { signon = stage; }
  void EntitySeen(int, int) {
    if (signon != kSignonStages - 1) return;
    signon = kSignonStages;
    Add(ClockEventKind::Connected);
  }
  void Time(int, float seconds) {
    Add(ClockEventKind::Time, seconds);
    if (ended || timeline.levels.empty()) return;
    LevelSpan& level = timeline.levels.back();
    if (!level.timed) level.first = seconds;
    level.last = seconds;
    level.timed = true;
  }
  void Text(int, std::uint8_t type, std::string_view text) {
    if (type == svc_stufftext && !ended) timeline.texts.push_back({block, std::string(text)});
  }
  void Other(int, std::uint8_t type) {
    if (type == svc_disconnect) Add(ClockEventKind::End);
  }
  void Damaged(int) {
    timeline.damaged = true;
    Add(ClockEventKind::End);
  }
};

// Each timed level begins where the one before it ended.
void PlaceLevels(DemoTimeline& timeline) {
  double next = 0;
  bool first = true;
  for (LevelSpan& level : timeline.levels) {
    if (!level.timed) continue;
    level.filmStart = first ? level.first : next;
    next = level.FilmEnd();
    first = false;
  }
}

}  // namespace

double DemoTimeline::FilmStart() const {
  for (const LevelSpan& level : levels) {
    if (level.timed) return level.filmStart;
  }
  return 0;
}

double DemoTimeline::FilmEnd() const {
  for (auto level = levels.rbegin(); level != levels.rend(); ++level) {
    if (level->timed) return level->FilmEnd();
  }
  return 0;
}

bool ReadTimeline(std::istream& demo, DemoTimeline& timeline, std::string& error) {
  timeline = DemoTimeline();
  Vec3 angles{};
  DemoWalk walk(demo, angles);
  if (!walk.FirstLineEnded()) {
    error = "it is no demo: its first line does not end";
    return false;
  }
  TimelineReader reader(timeline);
  StreamState stream;
  CBlock block;
  while (walk.Next(block)) {
    timeline.blockStarts.push_back(static_cast<std::uint32_t>(timeline.events.size()));
    if (walk.Cut()) {
      // The engine cannot read a block cut short: its playback ends there.
      timeline.damaged = true;
      reader.Add(ClockEventKind::End);
      break;
    }
    ReadMessages(block, stream, reader);
    ++reader.block;
  }
  if (walk.End() == WalkEnd::BrokenHeader || walk.End() == WalkEnd::CutMarker) timeline.damaged = true;
  if (timeline.blockStarts.empty()) {
    error = "it holds no block";
    return false;
  }
  timeline.blockStarts.push_back(static_cast<std::uint32_t>(timeline.events.size()));
  PlaceLevels(timeline);
  return true;
}

LevelTime AtFilmTime(const DemoTimeline& timeline, double filmTime) {
  int found = -1;
  for (std::size_t index = 0; index < timeline.levels.size(); ++index) {
    const LevelSpan& level = timeline.levels[index];
    if (!level.timed) continue;
    // The first timed level takes every time up to its end; a later one the
    // times after the end of the one before it.
    if (found >= 0 && filmTime <= level.filmStart) break;
    found = static_cast<int>(index);
  }
  if (found < 0) return {0, filmTime};
  const LevelSpan& level = timeline.levels[static_cast<std::size_t>(found)];
  return {found, filmTime - level.filmStart + level.first};
}

}  // namespace cw
