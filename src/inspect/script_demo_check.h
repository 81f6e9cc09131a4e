#pragma once
// A script's entities and sounds held against the demo it is meant for.

#include <string>
#include <vector>

#include "camera/script_check.h"

namespace cw {

struct DemoInfo;

// Adds to `check.findings`, in line order: lines timed after the end of
// every level of the demo, entities the script names that
// the demo never updates (the camera's own number excepted on an eyes line), and
// sounds in none of the demo's sound lists. With `gameDir`, a sound the
// game data has is no mistake: the refilm adds it to the list.
void CheckAgainstDemo(ScriptCheck& check, const DemoInfo& demo, const std::string& gameDir);

}  // namespace cw
