// The handlers of the messages that are copied, dropped or lightly changed.

#include <cmath>
#include <string_view>

#include "base/convert.h"
#include "base/protocol.h"
#include "refilm/message_handlers.h"
#include "refilm/refilm_context.h"
#include "refilm/stream_edits.h"
#include "stream/block.h"

namespace cw {
namespace {

void Skip(CBlock& in, int count) {
  if (count > in.Remaining()) throw BadMessage{};
  in.cursor += count;
}

bool Removed(const RefilmOptions& options, std::uint8_t type) {
  switch (type) {
    case svc_print:
      return options.removePrint;
    case svc_stufftext:
      return options.removeStufftext;
    case svc_centerprint:
      return options.removeCenterprint;
    default:
      return false;
  }
}

}  // namespace

void HandleSetView(RefilmContext& context, CBlock& in, CBlock& out, int start) {
  in.ReadShort();
  if (!context.run.refilming) {
    CopyMessage(in, out, start);
    return;
  }
  out.BeginMessage();
  out.PutByte(svc_setview);
  out.PutShort(context.edits.cameraEntity);
}

void HandleSound(CBlock& in, CBlock& out, int start) {
  const std::uint8_t mask = in.ReadByte();
  if (mask & SND_VOLUME) in.ReadByte();
  if (mask & SND_ATTENUATION) in.ReadByte();
  Skip(in, 9);  // channel and entity, sound number, origin
  CopyMessage(in, out, start);
}

void HandleTime(RefilmContext& context, CBlock& in, CBlock& out, int start) {
  const float time = in.ReadFloat();
  CopyMessage(in, out, start);
  // A time that is no number would stop the camera's clock and every
  // comparison with it: the message goes over, the clock stays.
  if (!std::isfinite(time)) {
    context.run.streamProblems = true;
    return;
  }
  context.run.demoTime = time;
  if (context.run.refilming) WriteTimeEdits(context, out);
}

void HandleTextMessage(RefilmContext& context, CBlock& in, CBlock& out, int start, std::uint8_t type) {
  if (type == svc_lightstyle || type == svc_updatename) in.ReadByte();
  const std::string_view text = in.ReadString();
  if (type == svc_print && text.find("VERSION 1.07 SERVER") != std::string_view::npos) {
    context.parser.serverVersion107 = true;
  }
  if (type == svc_finale) context.run.refilming = false;
  if (Removed(context.options, type)) return;
  CopyMessage(in, out, start);
}

void HandleUpdateColors(RefilmContext& context, CBlock& in, CBlock& out, int start) {
  const std::uint8_t player = in.ReadByte();
  in.ReadByte();
  if (!context.options.changeColors || player != 0) {
    CopyMessage(in, out, start);
    return;
  }
  out.BeginMessage();
  out.PutByte(svc_updatecolors);
  out.PutByte(player);
  out.PutByte(context.options.shirtColor * 16 + context.options.pantsColor);
}

void HandleSignon(RefilmContext& context, CBlock& in, CBlock& out, int start) {
  const std::uint8_t stage = in.ReadByte();
  if (stage == 2) WriteCameraBaseline(context, out);
  CopyMessage(in, out, start);
}

void HandleIntermission(RefilmContext& context, CBlock& in, CBlock& out, int start) {
  CopyMessage(in, out, start);
  context.run.refilming = false;
  context.run.exitTime = context.run.demoTime;
  context.parser.exactExitTime = context.run.demoTime;
  // The intermission is seen from the player's spot, not from the camera.
  out.BeginMessage();
  out.PutByte(svc_setview);
  out.PutShort(kPlayerEntity);
}

void HandleTempEntity(CBlock& in, CBlock& out, int start) {
  const std::uint8_t kind = in.ReadByte();
  switch (kind) {
    case 5:
    case 6:
    case 9:
    case 13:  // beams: entity and two ends
      Skip(in, 2 + 6 * 2);
      break;
    case 12:  // coloured explosion: origin, first colour, colour count
      Skip(in, 3 * 2 + 2);
      break;
    default:
      if (kind > kTempEntityLastKind) throw BadMessage{};
      Skip(in, 3 * 2);
      break;
  }
  CopyMessage(in, out, start);
}

void HandleSpawnBaseline(RefilmContext& context, CBlock& in, CBlock& out, int start) {
  const std::int16_t entity = in.ReadShort();
  Skip(in, 4);  // model, frame, colour map, skin
  std::int16_t origin[3];
  for (auto& axis : origin) {
    axis = in.ReadShort();
    in.ReadByte();  // angle
  }
  CopyMessage(in, out, start);

  context.entities.used.set(static_cast<std::uint16_t>(entity));
  if (entity >= 0 && entity < kEntityTableSize) {
    BaselineOrigin& baseline = context.entities.baselines[static_cast<std::size_t>(entity)];
    baseline.present = true;
    baseline.origin = {DecodeOriginX(origin[0]), DecodeOriginYZ(origin[1]), DecodeOriginYZ(origin[2])};
  }
}

}  // namespace cw
