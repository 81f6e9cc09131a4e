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

void MessageHandlers::Other(int start, std::uint8_t type) {
  Copy(start);
  if (type == svc_bad || type == svc_nop) context.run.streamProblems = true;
}

void MessageHandlers::Damaged(int start) {
  // A message cut by its block's end, or bytes that are no message: what is
  // left of the block goes over unchanged, so nothing of it is lost.
  context.run.streamProblems = true;
  context.run.damagedFrom = out.Mark();
  Copy(start);
}

void MessageHandlers::SetView(int start, int) {
  if (!context.run.refilming) {
    Copy(start);
    return;
  }
  out.BeginMessage();
  out.PutByte(svc_setview);
  out.PutShort(context.edits.cameraEntity);
}

void MessageHandlers::Time(int start, float seconds) {
  Copy(start);
  // A time that is no number would stop the camera's clock and every
  // comparison with it: the message goes over, the clock stays.
  if (!std::isfinite(seconds)) {
    context.run.streamProblems = true;
    return;
  }
  context.run.demoTime = seconds;
  if (context.run.refilming) WriteTimeEdits(context, out);
}

void MessageHandlers::Text(int start, std::uint8_t type, std::string_view) {
  if (type == svc_finale) context.run.refilming = false;
  if (Removed(context.options, type)) return;
  Copy(start);
}

void MessageHandlers::UpdateColors(int start, int player, int) {
  if (!context.options.changeColors || player != 0) {
    Copy(start);
    return;
  }
  out.BeginMessage();
  out.PutByte(svc_updatecolors);
  out.PutByte(player);
  out.PutByte(context.options.shirtColor * 16 + context.options.pantsColor);
}

void MessageHandlers::SignonNum(int start, int stage) {
  if (stage == 2) WriteCameraBaseline(context, out);
  Copy(start);
}

void MessageHandlers::Intermission(int start) {
  Copy(start);
  context.run.refilming = false;
  context.run.exitTime = context.run.demoTime;
  ParserValues& parser = context.parser;
  parser.exactExitTime = context.run.demoTime;
  // The exit of the level being read; one before any level is the first's.
  const auto level = static_cast<std::size_t>(parser.levelsSeen > 0 ? parser.levelsSeen - 1 : 0);
  if (parser.levelExitTimes.size() <= level) parser.levelExitTimes.resize(level + 1, 0.0f);
  parser.levelExitTimes[level] = context.run.demoTime;
  // The intermission is seen from the player's spot, not from the camera.
  out.BeginMessage();
  out.PutByte(svc_setview);
  out.PutShort(kPlayerEntity);
}

void MessageHandlers::SpawnBaseline(int start, const BaselineFields& baseline) {
  Copy(start);
  const int entity = baseline.entity;
  context.entities.used.set(static_cast<std::uint16_t>(entity));
  context.entities.RecordBaseline(entity, TrackedOrigin(baseline.origin));
}

}  // namespace cw
