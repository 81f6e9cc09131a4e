#include "base/protocol.h"
#include "refilm/message_handlers.h"
#include "refilm/refilm_context.h"
#include "refilm/stream_edits.h"
#include "stream/block.h"

namespace cw {
namespace {

// The recording player's view motion, which the camera must not take over;
// the punch of pitch and yaw stays.
constexpr ClientDataByteField kZeroedWhileRefilming[] = {kViewHeight, kIdealPitch, kVelocityX,
                                                         kVelocityY,  kPunchRoll,  kVelocityZ};

}  // namespace

void MessageHandlers::ClientData(int start, const ClientDataFields& data) {
  const int mark = out.Mark();
  Copy(start);
  context.parser.healthSeen = data.health;
  if (!context.run.refilming) return;
  for (const ClientDataByteField field : kZeroedWhileRefilming) {
    const int offset = data.byteOffset[field];
    if (offset >= 0) out.Data()[mark + offset] = 0;
  }
  WriteCameraUpdate(context, out);
}

}  // namespace cw
