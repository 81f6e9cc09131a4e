#pragma once
// The per-block step: the camera of the block, every server message of the
// input block parsed and written (changed, dropped or with others injected)
// to the output block, then the end-of-block stages.

#include "refilm/refilm_context.h"

namespace cw {

class CBlock;

void ProcessBlock(RefilmContext& context, CBlock& input, CBlock& output);

// The message stage alone.
void MessageLoop(RefilmContext& context, CBlock& input, CBlock& output);

}  // namespace cw
