#pragma once
// What a run shows to whoever watches it block by block, the preview: the
// script as read, the messages of each source block as the step reads them,
// and the step's state after each block. A watcher sees; it has no say in
// what the run does.

#include "stream/message_reader.h"

namespace cw {

struct RefilmContext;

class RunWatcher {
 public:
  virtual ~RunWatcher() = default;
  // Once the script is read, before the first block: the command lists as
  // the camera will take them.
  virtual void ScriptRead(const RefilmContext& context) = 0;
  // The messages a watcher draws from, each as the step reads it from the
  // source block, before the step takes it.
  virtual void EntityUpdate(const EntityUpdateFields&) {}
  virtual void ServerInfo(const ServerInfoFields&) {}
  virtual void SpawnBaseline(const BaselineFields&) {}
  virtual void Time(float) {}
  virtual void SetView(int) {}
  // After each block's step.
  virtual void BlockDone(const RefilmContext& context) = 0;
};

}  // namespace cw
