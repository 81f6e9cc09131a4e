#include "refilm/refilm_context.h"

#include "camera/director.h"

namespace cw {

void StartRun(RefilmContext& context) {
  context.run = RunFlags{};
  context.stream = StreamState{};
  context.parser = ParserValues{};
  context.entities.StartRun();
  context.commands.RemoveAll();
  context.director = DirectorState{};
  context.edits.StartPass();
  context.edits.cameraEntity = kCameraEntity;
  context.pruning.StartRun();
  context.keeping = MapKeeping{};
}

void StartPass(RefilmContext& context, Pass pass) {
  context.run.StartPass(pass);
  context.stream.ResetProtocol();
  context.parser.StartPass(pass);
  // The script read next names the entities to follow; each block read puts
  // its own angles under the camera's.
  context.entities.ClearReferences();
  ResetDirector(context.director);
  context.edits.StartPass();
  context.pruning.StartPass(pass);
  context.keeping.StartPass();
}

}  // namespace cw
