#pragma once
// Reads a whole camera script from a string, as the run reads a script file.

#include <string>

#include "base/entity_table.h"
#include "camera/command.h"

namespace cw::test {

// Calls ParseScript until it sets scriptEnded; returns how many calls read a
// line (the last call, which meets the end, is not counted).
int ReadScript(const std::string& script, CommandLists& lists, EntityTable& entities);

}  // namespace cw::test
