#include <cmath>

#include "base/convert.h"
#include "base/protocol.h"
#include "camera/director.h"
#include "refilm/message_handlers.h"
#include "refilm/refilm_context.h"
#include "refilm/stream_edits.h"
#include "stream/block.h"

namespace cw {

void MessageHandlers::EntityUpdate(int start, const EntityUpdateFields& update) {
  const int entity = update.entity;
  // What the update itself carries; an axis it leaves out is 0 here.
  const Vec3 origin = TrackedOrigin(update.origin);

  const int mark = out.Mark();
  Copy(start);

  EntityTable& entities = context.entities;
  entities.used.set(static_cast<std::uint16_t>(entity));
  if (entities.IsReferenced(entity)) {
    // The engine fills an axis the server left out from the entity's
    // baseline; so does the trajectory, or a followed entity would jump to 0
    // whenever it stands level with its spawn point.
    Vec3 point = origin;
    const BaselineOrigin* baseline = entities.Baseline(entity);
    for (std::size_t axis = 0; axis < 3; ++axis) {
      if (!update.originPresent[axis] && baseline != nullptr) point[axis] = baseline->origin[axis];
    }
    // Float coordinates can carry NaN or infinity: a camera placed by them
    // would have no place. It keeps the entity's last finite point.
    if (std::isfinite(point[0]) && std::isfinite(point[1]) && std::isfinite(point[2])) {
      entities.AddTrackPoint(entity, context.run.demoTime, point[0], point[1], point[2]);
    } else {
      context.run.streamProblems = true;
    }
  }
  // The same for the angles of the eyes the camera looks through.
  const bool eyes = entity != 0 && entity == context.director.eyesEntity;
  bool anglePresent[3];
  for (std::size_t axis = 0; axis < 3; ++axis) {
    anglePresent[axis] = update.anglePresent[axis] && std::isfinite(update.angles[axis]);
    if (eyes && anglePresent[axis] != update.anglePresent[axis]) context.run.streamProblems = true;
  }
  EyesAngles(context.director, entity, update.angles, anglePresent);
  if (context.options.removeOutsideFov && context.run.refilming && OutsideFieldOfView(context, origin)) {
    out.Rewind(mark);
  }
}

}  // namespace cw
