#include "run/frame_thinning.h"

#include <algorithm>

#include "base/protocol.h"
#include "refilm/options.h"
#include "refilm/refilm_context.h"

namespace cw {
namespace {

// What every written block carries anew, so that a block not written may
// give it up: the time, the client data, and an entity update (a type byte
// with its high bit set).
bool FrameMessage(std::uint8_t type) { return type >= kEntityUpdateBit || type == svc_time || type == svc_clientdata; }

}  // namespace

bool FrameThinning::Keep(const RefilmOptions& options, RunFlags& run) {
  if (!options.setFps || run.demoTime == 0) return true;
  const bool keep =
      run.demoTime - run.lastWrittenTime > 1.0f / static_cast<float>(options.fps) || run.demoTime == run.lastBlockTime;
  if (keep) run.lastWrittenTime = run.demoTime;
  run.lastBlockTime = run.demoTime;
  return keep;
}

void FrameThinning::Drop(const CBlock& stepped, int damagedFrom, int limit) {
  const std::uint8_t* bytes = stepped.Data();
  stepped.ForEachMessage([&](int begin, int end) {
    if (begin == damagedFrom || FrameMessage(bytes[begin])) return;
    waiting.PutMessage(stepped, begin, end);
    waitingLimit = std::max(waitingLimit, limit);
  });
}

bool FrameThinning::Write(const CBlock& stepped, std::ostream& result, const Vec3& angles, int limit) {
  if (waiting.Length() == 0) return stepped.WriteSplitTo(result, angles, limit);
  stepped.ForEachMessage([&](int begin, int end) { waiting.PutMessage(stepped, begin, end); });
  const bool whole = waiting.WriteSplitTo(result, angles, std::max(limit, waitingLimit));
  waiting.Reset();
  waitingLimit = 0;
  return whole;
}

bool FrameThinning::Flush(std::ostream& result, const Vec3& angles) {
  if (waiting.Length() == 0) return true;
  const bool whole = waiting.WriteSplitTo(result, angles, waitingLimit);
  waiting.Reset();
  waitingLimit = 0;
  return whole;
}

}  // namespace cw
