#pragma once
// Reads a camera script one line per call into the command lists.

#include <iosfwd>
#include <string_view>

namespace cw {

struct CommandLists;
class EntityTable;

// Reads the next line of `script` and appends what it means to the lists.
// At the end of the stream (a last line without a line feed included) sets
// `scriptEnded` and stores nothing.
void ParseScript(std::istream& script, CommandLists& lists, EntityTable& entities, bool& scriptEnded);

// One line already read, as ParseScript takes it.
void ParseScriptLine(std::string_view text, CommandLists& lists, EntityTable& entities);

// The time of a line that the reader hands on to a command word; false for
// the lines it passes over before that (blank lines, comments, no word).
bool ScriptLineTime(std::string_view text, float& time);

}  // namespace cw
