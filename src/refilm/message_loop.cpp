#include "refilm/message_loop.h"

#include <algorithm>

#include "base/protocol.h"
#include "camera/director.h"
#include "refilm/map_keeping.h"
#include "refilm/message_handlers.h"
#include "refilm/refilm_context.h"
#include "refilm/run_watcher.h"
#include "refilm/script_effects.h"
#include "refilm/stream_edits.h"
#include "stream/block.h"
#include "stream/message_reader.h"

namespace cw {

namespace {

// The step's handlers, telling the watcher of the messages it draws from
// first. A type of its own, so that a step without a watcher pays nothing
// for it per message.
class WatchedHandlers : public MessageHandlers {
 public:
  WatchedHandlers(RefilmContext& step, const CBlock& input, CBlock& output, RunWatcher& runWatcher)
      : MessageHandlers(step, input, output), watcher(runWatcher) {}

  void EntityUpdate(int start, const EntityUpdateFields& update) {
    watcher.EntityUpdate(update);
    MessageHandlers::EntityUpdate(start, update);
  }
  void ServerInfo(int start, const ServerInfoFields& info) {
    watcher.ServerInfo(info);
    MessageHandlers::ServerInfo(start, info);
  }
  void SpawnBaseline(int start, const BaselineFields& baseline) {
    watcher.SpawnBaseline(baseline);
    MessageHandlers::SpawnBaseline(start, baseline);
  }
  void Time(int start, float seconds) {
    watcher.Time(seconds);
    MessageHandlers::Time(start, seconds);
  }
  void SetView(int start, int entity) {
    watcher.SetView(entity);
    MessageHandlers::SetView(start, entity);
  }

 private:
  RunWatcher& watcher;
};

}  // namespace

void MessageLoop(RefilmContext& context, CBlock& in, CBlock& out) {
  out.Reset();
  context.run.damagedFrom = -1;
  if (context.watcher == nullptr) {
    MessageHandlers handlers(context, in, out);
    ReadMessages(in, context.stream, handlers);
    return;
  }
  WatchedHandlers handlers(context, in, out, *context.watcher);
  ReadMessages(in, context.stream, handlers);
}

namespace {

constexpr int kBlocksBetweenPrunings = 16;

void PruneTracks(RefilmContext& context) {
  TrackPruning& pruning = context.pruning;
  const int block = pruning.block++;
  if (pruning.keepEveryPoint) return;
  switch (pruning.mode) {
    case TrackPruning::Mode::Off:
      return;
    case TrackPruning::Mode::Generation:
      context.entities.DropPointsAfter(kPlayerEntity, pruning.playerBound);
      return;
    case TrackPruning::Mode::Refilm:
      break;
  }
  // Now and then is enough: what a few blocks add is small, and the walk
  // over every followed entity is not.
  if (block % kBlocksBetweenPrunings != 0) return;
  while (pruning.nextLow < pruning.lows.size() && pruning.lows[pruning.nextLow].block < block) ++pruning.nextLow;
  float lowest = context.run.demoTime;
  if (pruning.nextLow < pruning.lows.size()) lowest = std::min(lowest, pruning.lows[pruning.nextLow].time);
  context.entities.DropPointsBefore(lowest - pruning.maxLag);
}

}  // namespace

void ProcessBlock(RefilmContext& context, CBlock& input, CBlock& output) {
  PruneTracks(context);
  if (context.scriptFeed != nullptr) context.scriptFeed->ReadFor(context.run.demoTime);
  const bool filming = !context.run.generating;
  if (filming) {
    CameraStep(context.director, context.commands, context.entities, context.run.demoTime);
    KeepCameraInMap(context);
  }
  MessageLoop(context, input, output);
  if (context.scriptFeed != nullptr) context.scriptFeed->ReadFor(context.run.demoTime);
  if (filming) RollStep(context.director, context.commands.roll, context.run.demoTime);
  PaletteStage(context, output);
  EventStage(context, output);
  WriteExactExitTime(context, output);
  WriteFadeOut(context, output);
}

}  // namespace cw
