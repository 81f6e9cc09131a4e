#pragma once
// Reads a camera script one line per call into the command lists.

#include <iosfwd>

namespace cw {

struct CommandLists;
class EntityTable;

// Reads the next line of `script` and appends what it means to the lists.
// At the end of the stream (a last line without a line feed included) sets
// `scriptEnded` and stores nothing.
void ParseScript(std::istream& script, CommandLists& lists, EntityTable& entities, bool& scriptEnded);

}  // namespace cw
