#include "refilm/message_loop.h"

#include "base/protocol.h"
#include "camera/director.h"
#include "refilm/message_handlers.h"
#include "refilm/refilm_context.h"
#include "refilm/script_effects.h"
#include "refilm/stream_edits.h"
#include "stream/block.h"

namespace cw {
namespace {

// Bytes after the type byte of the messages whose size never varies.
int FixedSize(int type) {
  switch (type) {
    case svc_bad:
    case svc_nop:
    case svc_disconnect:
    case svc_spawnbinary:
    case svc_killedmonster:
    case svc_foundsecret:
    case svc_sellscreen:
      return 0;
    case svc_updatestat:
      return 5;
    case svc_version:
      return 4;
    case svc_setangle:
      return 3;
    case svc_updatefrags:
      return 3;
    case svc_stopsound:
      return 2;
    case svc_particle:
      return 11;
    case svc_damage:
      return 8;
    case svc_spawnstatic:
      return 13;
    case svc_setpause:
      return 1;
    case svc_spawnstaticsound:
      return 9;
    case svc_cdtrack:
      return 2;
    default:
      return -1;
  }
}

void HandleMessage(RefilmContext& context, CBlock& in, CBlock& out, int start, std::uint8_t type) {
  if (type >= kEntityUpdateBit) {
    HandleEntityUpdate(context, in, out, start, type);
    return;
  }
  switch (type) {
    case svc_setview:
      HandleSetView(context, in, out, start);
      return;
    case svc_sound:
      HandleSound(in, out, start);
      return;
    case svc_time:
      HandleTime(context, in, out, start);
      return;
    case svc_print:
    case svc_stufftext:
    case svc_centerprint:
    case svc_lightstyle:
    case svc_updatename:
    case svc_finale:
    case svc_cutscene:
      HandleTextMessage(context, in, out, start, type);
      return;
    case svc_serverinfo:
      HandleServerInfo(context, in, out, start);
      return;
    case svc_clientdata:
      HandleClientData(context, in, out, start);
      return;
    case svc_updatecolors:
      HandleUpdateColors(context, in, out, start);
      return;
    case svc_spawnbaseline:
      HandleSpawnBaseline(context, in, out, start);
      return;
    case svc_temp_entity:
      HandleTempEntity(in, out, start);
      return;
    case svc_signonnum:
      HandleSignon(context, in, out, start);
      return;
    case svc_intermission:
      HandleIntermission(context, in, out, start);
      return;
    default:
      break;
  }
  const int size = FixedSize(type);
  if (size < 0) throw BadMessage{};  // 35..127: not a message of the protocol
  if (size > in.Remaining()) throw BadMessage{};
  in.cursor += size;
  CopyMessage(in, out, start);
  if (type == svc_bad || type == svc_nop) context.run.streamProblems = true;
}

}  // namespace

void CopyMessage(const CBlock& in, CBlock& out, int start) {
  out.BeginMessage();
  out.PutBytes(in.Data() + start, in.cursor - start);
}

void MessageLoop(RefilmContext& context, CBlock& in, CBlock& out) {
  out.Reset();
  while (!in.AtEnd()) {
    const int start = in.cursor;
    const int mark = out.Mark();
    try {
      const std::uint8_t type = in.ReadByte();
      HandleMessage(context, in, out, start, type);
    } catch (const BadMessage&) {
      // A message cut by its block's end, or bytes that are no message: what
      // is left of the block goes over unchanged, so nothing of it is lost.
      context.run.streamProblems = true;
      out.Rewind(mark);
      in.cursor = start;
      out.BeginMessage();
      out.CopyBytes(in, in.Remaining());
    }
  }
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
