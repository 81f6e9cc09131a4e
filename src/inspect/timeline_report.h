#pragma once
// A demo's events (`info --timeline`), as one line per event for people and
// as one JSON object per demo for programs.

#include <iosfwd>

namespace cw {

struct Timeline;

// `level` picks one level's events; 0 writes every level's.
void WriteTimelineText(const Timeline& timeline, int level, std::ostream& out);
void WriteTimelineJson(const Timeline& timeline, int level, std::ostream& out);

}  // namespace cw
