#pragma once
// The edits that put the camera and the run's options into the stream.

#include "demo/vec3.h"

namespace cw {

class CBlock;
struct Context;

// At signon stage 2: the camera entity's baseline and the two console
// commands that hide the weapon and clear the colour shift.
void WriteCameraBaseline(Context& context, CBlock& out);
// After svc_clientdata: the camera entity's position and angles.
void WriteCameraUpdate(Context& context, CBlock& out);
// After svc_time: credits, time display, bleeding.
void WriteTimeEdits(Context& context, CBlock& out);
// True when an entity update at `origin` lies far outside the camera's view.
bool OutsideFieldOfView(const Context& context, const Vec3& origin);
// End of block: the exit time, printed once shortly before it is reached.
void WriteExactExitTime(Context& context, CBlock& out);
// End of block: the view darkens after the intermission.
void WriteFadeOut(Context& context, CBlock& out);

}  // namespace cw
