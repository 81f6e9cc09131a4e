#include "camera/script_feed.h"

#include <algorithm>
#include <limits>

#include "camera/command.h"
#include "camera/entity_shots.h"
#include "camera/script_line.h"
#include "camera/script_parser.h"

namespace cw {
namespace {

constexpr std::size_t kStretch = 256;  // lines
constexpr float kNever = std::numeric_limits<float>::infinity();

// Keeps the last command of a list: the only one a later line can close,
// end or turn from.
void KeepTail(CommandList& list) {
  while (list.Count() > 1) list.RemoveHead();
}

float LagOfTail(const CommandList& list) {
  if (list.Empty()) return 0;
  const CCoord& coord = list.Tail().coord;
  float lag = list.Tail().word == ScriptWord::Follow ? kFollowTravelWindow : 0;
  for (std::size_t axis = 0; axis < 3; ++axis) {
    if (coord.entity[axis] > 0) lag = std::max(lag, coord.lag[axis]);
  }
  return lag;
}

// A list whose head has come needs the command after it; a run of
// keyframes needs the two keyframes after those whose time has come, as
// the curve toward the next one bends toward the one after it.
bool NeedsMore(const CommandList& list, float demoTime) {
  if (list.Count() < 2) return true;
  const ScriptWord word = list.Head().word;
  if (!IsKeyframe(word)) return false;
  int ahead = 0;
  for (const CCommand& command : list) {
    if (command.word != word) return false;
    if (command.startTime > demoTime) ++ahead;
  }
  return ahead < 2;
}

}  // namespace

ScriptFeed::ScriptFeed(std::istream& source, CommandLists& commandLists, EntityTable& table)
    : script(source), lists(commandLists), entities(table) {
  // The read ahead keeps no more of the script than the tails of its lists.
  CommandLists scratch;
  std::string text;
  for (std::size_t line = 0; ReadScriptLine(script, text); ++line) {
    if (line % kStretch == 0) earliestFrom.push_back(kNever);
    float time = 0;
    if (ScriptLineTime(text, time)) earliestFrom.back() = std::min(earliestFrom.back(), time);
    ParseScriptLine(text, scratch, entities);
    longestLag = std::max({longestLag, LagOfTail(scratch.position), LagOfTail(scratch.view)});
    for (CommandList* list : {&scratch.position, &scratch.view, &scratch.roll, &scratch.palette}) KeepTail(*list);
    scratch.event.RemoveAll();
  }
  for (std::size_t stretch = earliestFrom.size(); stretch > 1; --stretch) {
    earliestFrom[stretch - 2] = std::min(earliestFrom[stretch - 2], earliestFrom[stretch - 1]);
  }
  lists.sounds = std::move(scratch.sounds);
  lists.soundsKnown = true;
  script.clear();
  script.seekg(0);
  if (!script) ended = true;
}

float ScriptFeed::EarliestAhead() const {
  const std::size_t stretch = linesRead / kStretch;
  return stretch < earliestFrom.size() ? earliestFrom[stretch] : kNever;
}

bool ScriptFeed::ReadLine() {
  std::string text;
  if (ended || !ReadScriptLine(script, text)) {
    ended = true;
    return false;
  }
  ++linesRead;
  ParseScriptLine(text, lists, entities);
  return true;
}

void ScriptFeed::ReadAll() {
  while (ReadLine()) {
  }
}

void ScriptFeed::ReadFor(float demoTime) {
  if (ended) return;
  while (EarliestAhead() <= demoTime && ReadLine()) {
  }
  for (CommandList* list : {&lists.position, &lists.view, &lists.roll, &lists.palette}) {
    while (!list->Empty() && list->Head().startTime <= demoTime && NeedsMore(*list, demoTime) && ReadLine()) {
    }
  }
}

void ScriptFeed::ReadFirstPosition() {
  while (lists.position.Empty() && ReadLine()) {
  }
}

}  // namespace cw
