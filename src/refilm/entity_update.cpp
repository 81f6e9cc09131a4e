#include "base/convert.h"
#include "base/protocol.h"
#include "camera/director.h"
#include "refilm/message_handlers.h"
#include "refilm/refilm_context.h"
#include "refilm/stream_edits.h"
#include "stream/block.h"

namespace cw {

void HandleEntityUpdate(RefilmContext& context, CBlock& in, CBlock& out, int start, std::uint8_t type) {
  int flags = type & ~kEntityUpdateBit;
  if (flags & U_MOREBITS) flags |= in.ReadByte() << 8;
  const int entity = (flags & U_LONGENTITY) ? in.ReadShort() : in.ReadByte();
  if (flags & U_MODEL) in.ReadByte();
  if (flags & U_FRAME) in.ReadByte();
  if (flags & U_COLORMAP) in.ReadByte();
  if (flags & U_SKIN) in.ReadByte();
  if (flags & U_EFFECTS) in.ReadByte();

  // What the update itself carries; an axis it leaves out is 0 here.
  Vec3 origin{0, 0, 0};
  Vec3 angles{0, 0, 0};
  constexpr int kOriginBits[3] = {U_ORIGIN1, U_ORIGIN2, U_ORIGIN3};
  constexpr int kAngleBits[3] = {U_ANGLE1, U_ANGLE2, U_ANGLE3};
  bool anglePresent[3] = {false, false, false};
  for (std::size_t axis = 0; axis < 3; ++axis) {
    if (flags & kOriginBits[axis]) {
      const std::int16_t value = in.ReadShort();
      origin[axis] = axis == 0 ? DecodeOriginX(value) : DecodeOriginYZ(value);
    }
    if (flags & kAngleBits[axis]) {
      angles[axis] = DecodeAngle(in.ReadByte());
      anglePresent[axis] = true;
    }
  }

  const int mark = out.Mark();
  CopyMessage(in, out, start);

  EntityTable& entities = context.entities;
  entities.used.set(static_cast<std::uint16_t>(entity));
  if (entities.IsReferenced(entity)) {
    // The engine fills an axis the server left out from the entity's
    // baseline; so does the trajectory, or a followed entity would jump to 0
    // whenever it stands level with its spawn point.
    Vec3 point = origin;
    const BaselineOrigin& baseline = entities.baselines[static_cast<std::size_t>(entity)];
    for (std::size_t axis = 0; axis < 3; ++axis) {
      if (!(flags & kOriginBits[axis]) && baseline.present) point[axis] = baseline.origin[axis];
    }
    entities.AddTrackPoint(entity, context.run.demoTime, point[0], point[1], point[2]);
  }
  EyesAngles(context.director, entity, angles, anglePresent);
  if (context.options.removeOutsideFov && context.run.refilming && OutsideFieldOfView(context, origin)) {
    out.Rewind(mark);
  }
}

}  // namespace cw
