#pragma once
// A result played in the engine, on the display at hand, as a user plays a
// demo: the engine starts with the game data and the demo, and the call
// returns once the user has quit it. The engine plays a copy of the demo in
// folders of the film's own (see film_folder.h), removed afterwards.

#include <functional>
#include <string>

#include "film/programs.h"

namespace cw {

struct PlaySettings {
  std::string demo;    // the demo, only read
  std::string engine;  // the engine program
  std::string id1;     // the game's id1 folder
};

// False, with `error`, when the engine cannot be started or ends with an
// error of its own. `stopRequested` is asked now and then: true ends the engine.
bool PlayInEngine(const PlaySettings& settings, Programs& programs, const std::function<bool()>& stopRequested,
                  std::string& error);

}  // namespace cw
