// One block of arbitrary bytes through the per-block step, refilming, with
// every option on and a script that follows entities and has effects due.

#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

#include "busy_run.h"
#include "camera/script_parser.h"
#include "refilm/message_loop.h"
#include "run/context.h"
#include "stream/block.h"

namespace {

void LoadScript(cw::Context& context) {
  static const std::string text = cw::test::BusyScript(2.0f, 1);
  std::istringstream script(text);
  bool ended = false;
  while (!ended) cw::ParseScript(script, context.commands, context.entities, ended);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > static_cast<std::size_t>(cw::kMaxInputBlock)) return 0;
  cw::Context context;
  context.options.generateScript = true;  // the exact exit time needs it
  cw::test::TurnEveryOptionOn(context.options);
  LoadScript(context);
  context.entities.Reference(cw::kPlayerEntity);
  context.parser.exactExitTime = 1.0f;
  context.run.refilming = true;

  // The blocks are reused: each one reserves a large buffer, and making two
  // per input would cost more than the input's own work.
  static cw::CBlock input;
  static cw::CBlock output;
  input.Load(data, static_cast<int>(size));
  cw::ProcessBlock(context, input, output);
  // The same bytes again, with the state the first pass left (a time read,
  // an intermission met, names recorded).
  input.RewindTo(0);
  cw::ProcessBlock(context, input, output);
  return 0;
}
