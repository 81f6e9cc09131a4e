#include "refilm/message_loop.h"

#include "camera/director.h"
#include "refilm/message_handlers.h"
#include "refilm/refilm_context.h"
#include "refilm/script_effects.h"
#include "refilm/stream_edits.h"
#include "stream/block.h"
#include "stream/message_reader.h"

namespace cw {

void MessageLoop(RefilmContext& context, CBlock& in, CBlock& out) {
  out.Reset();
  MessageHandlers handlers(context, in, out);
  ReadMessages(in, context.stream, handlers);
}

void ProcessBlock(RefilmContext& context, CBlock& input, CBlock& output) {
  CameraStep(context.director, context.commands, context.entities, context.run.demoTime);
  MessageLoop(context, input, output);
  RollStep(context.director, context.commands.roll, context.run.demoTime);
  PaletteStage(context, output);
  EventStage(context, output);
  WriteExactExitTime(context, output);
  WriteFadeOut(context, output);
}

}  // namespace cw
