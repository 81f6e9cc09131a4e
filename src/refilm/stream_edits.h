#pragma once
// The edits that put the camera and the run's options into the stream.

#include <string>

#include "base/vec3.h"

namespace cw {

class CBlock;
struct RefilmContext;

// At signon stage 2: the camera entity's baseline and the two console
// commands that hide the weapon and clear the colour shift.
void WriteCameraBaseline(RefilmContext& context, CBlock& out);
// After svc_clientdata: the camera entity's position and angles.
void WriteCameraUpdate(RefilmContext& context, CBlock& out);
// After svc_time: credits, time display, bleeding.
void WriteTimeEdits(RefilmContext& context, CBlock& out);
// True when an entity update at `origin` lies far outside the camera's view.
bool OutsideFieldOfView(const RefilmContext& context, const Vec3& origin);
// The exit time as the printed exit time shows it: "M:S.FFFFF" from a
// minute on (65.25 s is "1:5.25000"), "S.FFFFF" below.
void AppendExitTime(std::string& text, float exit);
// End of block: the exit time, printed once shortly before it is reached.
void WriteExactExitTime(RefilmContext& context, CBlock& out);
// End of block: the view darkens after the intermission.
void WriteFadeOut(RefilmContext& context, CBlock& out);

}  // namespace cw
