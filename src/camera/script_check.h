#pragma once
// A second reading of a camera script, beside the one a refilm makes: each
// line goes through the refilm's own reader and is compared with what it
// looks like, so that a line the reader passes over or reads otherwise is
// named with its number. The refilm's reading is not touched by this.

#include <iosfwd>
#include <string>
#include <vector>

namespace cw {

struct ScriptFinding {
  int line = 0;  // 1-based
  std::string text;
};

// An entity number a line follows, looks through or plays a sound from.
struct ScriptEntityUse {
  int line = 0;
  int entity = 0;
  bool eyes = false;  // an eyes line: the camera's own number is no mistake there
  bool shot = false;  // a follow or orbit, which waits for the entity to be somewhere
};

// A sound name as the refilm will ask the game for it ("misc/talk.wav").
struct ScriptSoundUse {
  int line = 0;
  std::string name;
};

// The time of a line the reader stores something for.
struct ScriptTimeUse {
  int line = 0;
  float time = 0;
};

struct ScriptCheck {
  std::vector<ScriptFinding> findings;  // in line order
  std::vector<ScriptTimeUse> times;
  std::vector<ScriptEntityUse> entities;
  std::vector<ScriptSoundUse> sounds;
  // The line of each position and view command, in the order the refilm's
  // lists hold them: what the camera did is told against its line.
  std::vector<int> positionLines;
  std::vector<int> viewLines;
};

ScriptCheck CheckScript(std::istream& script);

}  // namespace cw
