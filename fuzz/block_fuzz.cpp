// One block of arbitrary bytes through the per-block step, refilming, with
// every option on and a script that follows entities and has effects due:
// as a block of protocol 15, and of protocol 666 or 999.

#include <cstddef>
#include <cstdint>
#include <iterator>
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

// The levels a block may belong to: protocol 666, and 999 in each width.
constexpr std::uint32_t kRmqWidths[] = {
    0,
    cw::PRFL_24BITCOORD | cw::PRFL_SHORTANGLE,
    cw::PRFL_FLOATCOORD | cw::PRFL_FLOATANGLE,
    cw::PRFL_INT32COORD | cw::PRFL_SHORTANGLE,
};

void Prepare(cw::Context& context) {
  context.options.generateScript = true;  // the exact exit time needs it
  cw::test::TurnEveryOptionOn(context.options);
  LoadScript(context);
  context.entities.Reference(cw::kPlayerEntity);
  context.parser.exactExitTime = 1.0f;
  context.run.refilming = true;
  context.run.filming = true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > static_cast<std::size_t>(cw::kMaxInputBlock)) return 0;
  cw::Context context;
  Prepare(context);

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

  // The same bytes as a block of a level of protocol 666 or 999, chosen by
  // the block's length.
  cw::Context modern;
  Prepare(modern);
  const std::size_t choice = size % (1 + std::size(kRmqWidths));
  modern.stream.protocol = choice == 0 ? cw::kProtocolFitzQuake : cw::kProtocolRmq;
  modern.stream.protocolFlags = choice == 0 ? 0 : kRmqWidths[choice - 1];
  input.RewindTo(0);
  cw::ProcessBlock(modern, input, output);
  return 0;
}
