#include "refilm/stream_edits.h"

#include <cmath>

#include "base/convert.h"
#include "base/protocol.h"
#include "base/text_format.h"
#include "camera/coord.h"
#include "refilm/refilm_context.h"
#include "stream/block.h"
#include "stream/message_writer.h"

namespace cw {
namespace {

constexpr float kCreditsTime = 2.0f;
constexpr float kTimeDisplayInterval = 0.1f;
constexpr int kBloodColour = 73;
constexpr float kExitTimeLead = 1.7f;
constexpr float kExitTimePrinted = 9999999.0f;
constexpr float kFadeOutRate = 51.0f;  // to full black in 5 seconds
constexpr int kFullStrength = 255;
constexpr float kFovHalfAngleSquared = 6400.0f;  // 80 degrees to either side
constexpr float kFovDistance = 600.0f;

void PutText(CBlock& out, int type, const std::string& text) {
  out.BeginMessage();
  out.PutByte(type);
  out.PutString(text);
}

// "M:S.T": whole minutes, seconds of the minute, and a fraction of the second.
void AppendMinutesSeconds(std::string& text, float seconds) {
  AppendInt(text, TruncateToInt(seconds * kSecondsToMinutes));
  text.push_back(':');
  AppendInt(text, TruncateToInt(seconds) % 60);
}

float Fraction(float seconds) { return seconds - static_cast<float>(TruncateToInt(seconds)); }

}  // namespace

void WriteCameraBaseline(RefilmContext& context, CBlock& out) {
  if (context.scriptFeed != nullptr) context.scriptFeed->ReadFirstPosition();
  Vec3 place{0, 0, 0};  // a "now" axis has no camera yet: it starts at 0
  if (!context.commands.position.Empty()) {
    Evaluate(context.commands.position.Head().coord, place, context.entities, context.run.demoTime);
  }
  out.BeginMessage();
  out.PutByte(svc_spawnbaseline);
  out.PutShort(context.edits.cameraEntity);
  out.PutByte(1);  // model
  out.PutByte(0);  // frame
  out.PutByte(0);  // colour map
  out.PutByte(0);  // skin
  for (float axis : place) {
    PutCoord(out, context.stream, axis);
    PutAngle(out, context.stream, 0);
  }
  PutText(out, svc_stufftext, "r_drawviewmodel 0\n");
  PutText(out, svc_stufftext, "v_cshift 0 0 0 0\n");
}

void WriteCameraUpdate(RefilmContext& context, CBlock& out) {
  const Vec3& origin = context.director.cameraOrigin;
  const Vec3& angles = context.director.cameraAngles;
  out.BeginMessage();
  out.PutByte(kEntityUpdateBit | U_MOREBITS | U_ORIGIN1 | U_ORIGIN2 | U_ORIGIN3 | U_ANGLE2);
  out.PutByte((U_LONGENTITY | U_ANGLE1 | U_ANGLE3) >> 8);
  out.PutShort(context.edits.cameraEntity);
  for (std::size_t axis = 0; axis < 3; ++axis) {
    PutCoord(out, context.stream, origin[axis]);
    PutAngle(out, context.stream, angles[axis]);
  }
}

void WriteTimeEdits(RefilmContext& context, CBlock& out) {
  RefilmOptions& options = context.options;
  const float demoTime = context.run.demoTime;
  std::string& text = context.edits.textBuffer;

  if (options.printCredits && demoTime > kCreditsTime) {
    options.printCredits = false;
    text.assign("Run by ");
    text.append(options.runBy);
    text.append("\nFilming by ");
    text.append(options.filmingBy);
    text.push_back('\n');
    PutText(out, svc_print, text);
  }

  if (options.centerprintTime && demoTime - context.edits.lastTimeShown > kTimeDisplayInterval) {
    context.edits.lastTimeShown = demoTime;
    text.clear();
    AppendMinutesSeconds(text, demoTime);
    text.push_back('.');
    AppendInt(text, TruncateToInt(Fraction(demoTime) * 10.0f));
    PutText(out, svc_centerprint, text);
  }

  const TrackPoint* player = context.entities.LatestPoint(kPlayerEntity);
  if (options.playerBleeding && player != nullptr && context.parser.healthSeen < 100) {
    out.BeginMessage();
    out.PutByte(svc_particle);
    PutCoord(out, context.stream, player->x);
    PutCoord(out, context.stream, player->y);
    PutCoord(out, context.stream, player->z);
    out.PutByte(0);
    out.PutByte(0);
    out.PutByte(5);
    out.PutByte((100 - context.parser.healthSeen) >> 4);
    out.PutByte(kBloodColour);
  }
}

bool OutsideFieldOfView(const RefilmContext& context, const Vec3& origin) {
  if (origin[0] == 0 && origin[1] == 0 && origin[2] == 0) return false;
  const Vec3& camera = context.director.cameraOrigin;
  const float dx = origin[0] - camera[0];
  const float dy = origin[1] - camera[1];
  // What is near the camera stays, whatever its direction: the angle is
  // needed only beyond that.
  const float distance = std::sqrt(dx * dx + dy * dy);
  if (!(distance > kFovDistance)) return false;
  float delta = LookAtYaw(origin, camera) - context.director.cameraAngles[kYaw];
  if (delta > 180.0f) {
    delta -= 360.0f;
  } else if (delta < -180.0f) {
    delta += 360.0f;
  }
  return delta * delta > kFovHalfAngleSquared;
}

void AppendExitTime(std::string& text, float exit) {
  if (exit >= 60.0f) {
    AppendMinutesSeconds(text, exit);
  } else {
    AppendInt(text, TruncateToInt(exit) % 60);
  }
  text.push_back('.');
  // Five digits always, so that 12.05 s is not read as 12.5 s.
  AppendInt(text, TruncateToInt(Fraction(exit) * 100000.0f), 5);
}

void WriteExactExitTime(RefilmContext& context, CBlock& out) {
  const RefilmOptions& options = context.options;
  float& exit = context.parser.exactExitTime;
  if (!options.generateScript || !options.printExitTime || !context.run.refilming) return;
  if (!(exit > 0) || !(context.run.demoTime > exit - kExitTimeLead)) return;

  std::string& text = context.edits.textBuffer;
  text.assign("Exact exit time was ");
  AppendExitTime(text, exit);
  text.push_back('\n');
  PutText(out, svc_print, text);
  exit = kExitTimePrinted;
}

void WriteFadeOut(RefilmContext& context, CBlock& out) {
  if (!context.options.fadeOut || context.run.exitTime == 0) return;
  int strength = TruncateToInt((context.run.demoTime - context.run.exitTime) * kFadeOutRate);
  if (strength > kFullStrength) strength = kFullStrength;
  // Demo time that runs backwards (a restarted level) never lightens the view.
  if (strength < 0) strength = 0;
  std::string& text = context.edits.textBuffer;
  text.assign("v_cshift 0 0 0 ");
  AppendInt(text, strength);
  text.push_back('\n');
  PutText(out, svc_stufftext, text);
}

}  // namespace cw
