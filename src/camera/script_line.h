#pragma once
// One command line of a script, split into its three parts, and the handlers
// of the event list's commands (the other lists' handlers live beside the
// line reader).

#include <array>
#include <iosfwd>
#include <string>
#include <string_view>

#include "camera/script_words.h"

namespace cw {

class CommandList;
struct CommandLists;

struct ScriptLine {
  float time = 0;
  std::string_view word;
  std::string_view arguments;  // empty when the word ends the line
};

// The reader's own steps, shared with the script check so that both see
// the same lines. A line ends with a line feed; a last line without one is
// no line (false).
bool ReadScriptLine(std::istream& script, std::string& line);
// The line without its trailing blanks and line ends and its leading
// spaces; empty when nothing is left.
std::string_view TrimScriptLine(std::string_view line);
// Time, word and arguments; false when the line has no word after its time.
bool SplitScriptLine(std::string_view text, ScriptLine& line);

// The words of a follow or orbit line: "p 120 40 0.5". The reader and the
// checker split it alike.
struct EntityShotWords {
  std::string_view head;
  int entity = 0;  // p is the player, eN entity N; 0 for anything else
  std::array<std::string_view, 3> tokens{};
  std::array<float, 3> numbers{0, 0, 0};
  int count = 0;          // numbers written, at most three
  std::string_view rest;  // what stands after the third number
};
EntityShotWords ReadEntityShotWords(std::string_view arguments);

// Each stores nothing when the line is malformed: a message without both its
// double quotes, a text line with no space after its kind, a sound with an empty
// name or one longer than the game's sound names, an entity number the
// entity table cannot hold.
// Each command gets `word`, the identity of the line's word.
void AddText(const ScriptLine& line, ScriptWord word, CommandList& events);
void AddSubtitle(const ScriptLine& line, ScriptWord word, CommandList& events);
void AddSound(const ScriptLine& line, ScriptWord word, CommandLists& lists);
void AddEyes(const ScriptLine& line, ScriptWord word, CommandList& events);

}  // namespace cw
