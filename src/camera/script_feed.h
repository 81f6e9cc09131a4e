#pragma once
// A camera script read as a refilm needs it. One read ahead learns what the
// whole script asks for: the entities it follows, the longest lag of its
// points, its sounds, and how early each stretch of its lines begins. The
// command lists are then filled line by line as the demo's time comes to
// them, so that they hold only what the camera may take next, however long
// the script.
//
// The lists look the same to every stage that takes from them as when the
// whole script is read first: every line whose time has come is read, a
// list whose head has come always holds the command after it too (so that
// the head's end is known), a run of keyframes the two keyframes after
// those whose time has come (the curve bends toward them), and a line is
// read while its list still holds the commands it closes or turns from. Reading further ahead than that is
// always safe; a script whose lines are out of time order is simply read
// further ahead.

#include <cstddef>
#include <istream>
#include <string>
#include <vector>

namespace cw {

struct CommandLists;
class EntityTable;

class ScriptFeed {
 public:
  // Reads the script once ahead (it is read again from its start after);
  // its sounds go to the lists' sound names, its entities are followed.
  ScriptFeed(std::istream& script, CommandLists& lists, EntityTable& entities);

  float LongestLag() const { return longestLag; }

  // Every line now.
  void ReadAll();
  // What the camera and the stages may take by `demoTime`: every line whose
  // time has come, and the command after each head that has come.
  void ReadFor(float demoTime);
  // Lines up to the first position command still to come, which places the
  // camera's baseline.
  void ReadFirstPosition();

 private:
  bool ReadLine();
  // The earliest time of any line from the next one to read on (or a time
  // before it: lines are taken a stretch at a time).
  float EarliestAhead() const;

  std::istream& script;
  CommandLists& lists;
  EntityTable& entities;
  float longestLag = 0;
  // For each stretch of lines, the earliest time of its lines and of all
  // that follow.
  std::vector<float> earliestFrom;
  std::size_t linesRead = 0;
  bool ended = false;
};

}  // namespace cw
