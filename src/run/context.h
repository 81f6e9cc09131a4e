#pragma once
// The state of a run: the per-block step's, and the script generator's. The
// program keeps one for as long as it runs; a test makes a fresh one.

#include "autogen/disposition.h"
#include "autogen/generator.h"
#include "refilm/refilm_context.h"

namespace cw {

struct Context : RefilmContext {
  GeneratorState generator;
  ZoneTables zones;
  // The video asked for after the run was not made (its "Error" was shown).
  bool videoFailed = false;
};

// A run begins: the per-block step's state as StartRun leaves it, and the
// generator's afresh.
inline void StartRun(Context& context) {
  StartRun(static_cast<RefilmContext&>(context));
  context.generator = GeneratorState{};
  context.zones = ZoneTables{};
}

}  // namespace cw
