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
};

}  // namespace cw
