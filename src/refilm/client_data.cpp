#include "base/protocol.h"
#include "refilm/message_handlers.h"
#include "refilm/refilm_context.h"
#include "refilm/stream_edits.h"
#include "stream/block.h"

namespace cw {
namespace {

struct ClientDataField {
  int bit;
  bool zeroedWhileRefilming;  // the recording player's view motion, which the camera must not take over
};

// The optional one-byte fields, in stream order.
constexpr ClientDataField kByteFields[] = {
    {SU_VIEWHEIGHT, true}, {SU_IDEALPITCH, true}, {SU_PUNCH1, false}, {SU_VELOCITY1, true},
    {SU_PUNCH2, false},    {SU_VELOCITY2, true},  {SU_PUNCH3, true},  {SU_VELOCITY3, true},
};

}  // namespace

void HandleClientData(RefilmContext& context, CBlock& in, CBlock& out, int start) {
  const int flags = static_cast<std::uint16_t>(in.ReadShort());
  int zeroed[8];  // input offsets of the fields written as 0
  int zeroedCount = 0;
  for (const ClientDataField& field : kByteFields) {
    if (!(flags & field.bit)) continue;
    if (field.zeroedWhileRefilming) zeroed[zeroedCount++] = in.cursor;
    in.ReadByte();
  }
  if ((flags & SU_ITEMS) || context.parser.serverVersion107) in.ReadLong();
  if (flags & SU_WEAPONFRAME) in.ReadByte();
  if (flags & SU_ARMOR) in.ReadByte();
  if (flags & SU_WEAPON) in.ReadByte();
  const std::int16_t health = in.ReadShort();
  for (int i = 0; i < 6; ++i) in.ReadByte();  // ammunition counts and active weapon

  const int mark = out.Mark();
  CopyMessage(in, out, start);
  context.parser.healthSeen = health;
  if (!context.run.refilming) return;
  for (int i = 0; i < zeroedCount; ++i) out.Data()[mark + (zeroed[i] - start)] = 0;
  WriteCameraUpdate(context, out);
}

}  // namespace cw
