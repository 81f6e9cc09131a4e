#pragma once
// What a run shows to whoever watches it block by block, the preview: the
// script as read, and the step's state after each block. A watcher sees;
// it has no say in what the run does.

namespace cw {

class CBlock;
struct RefilmContext;

class RunWatcher {
 public:
  virtual ~RunWatcher() = default;
  // Once the script is read, before the first block: the command lists as
  // the camera will take them.
  virtual void ScriptRead(const RefilmContext& context) = 0;
  // After each block's step: the source block, which the step has read to
  // its end, and the step's state.
  virtual void BlockDone(CBlock& source, const RefilmContext& context) = 0;
};

}  // namespace cw
