#pragma once
// One pass through a demo's messages for a reader that asks one question of
// it (where is the player at a moment, what happened when): the file opened
// and walked as `info` walks it, and the levels counted as `info` counts
// them, so that "level 2" and a level's times mean the same in every answer.

#include <memory>
#include <string>
#include <vector>

#include "stream/block.h"
#include "stream/demo_files.h"
#include "stream/demo_walk.h"
#include "stream/message_reader.h"

namespace cw {

// A level as a pass sees it: its names and its clock.
struct PassLevel {
  int protocol = 0;
  int maxClients = 0;
  std::string levelName;
  std::vector<std::string> models;  // from index 1; [0] is empty
  bool timeSeen = false;
  float firstTime = 0;
  float lastTime = 0;
  int frames = 0;  // svc_time messages so far: the number of the frame now shown
  int viewEntity = kPlayerEntity;

  const std::string& Map() const;
  // A model's name; empty for index 0 or one past the list.
  std::string ModelName(int index) const;
};

// Thrown by a pass's handler at a protocol that is not read: nothing after
// its server info can be taken for what it is.
struct StopPass {};

// The levels of a demo, as its messages begin them and set their clocks. A
// pass's handler hands it the messages that concern levels.
class LevelTrack {
 public:
  // Begins a level; throws StopPass for a protocol that is not read.
  void ServerInfo(const ServerInfoFields& fields);
  // Sets the current level's clock; false for a time that is no number,
  // which leaves the clock as it was.
  bool Time(float seconds);
  void SetView(int entity) { Current().viewEntity = entity; }

  // Messages before any server info still belong somewhere: to a level
  // without a name.
  PassLevel& Current();
  // The current level's number, from 1; 0 before any.
  int Number() const { return static_cast<int>(levels.size()); }
  const std::vector<PassLevel>& Levels() const { return levels; }
  int Protocol() const { return firstProtocol; }

 private:
  std::vector<PassLevel> levels;
  int firstProtocol = 0;
};

// How a pass went.
struct PassOutcome {
  std::string openError;    // set when the file could not be read at all
  int protocol = 0;         // of the first server info; 0 before any
  bool unreadable = false;  // a protocol that is not read: the pass stopped there
  bool damaged = false;     // blocks or messages cut or damaged, or times that are no number
};

// The bits of a pass that every handler shares: the levels, and the damage
// met. A handler derives from it and declares again the messages it wants.
class PassHandler : public IgnoredMessages {
 public:
  void ServerInfo(int, const ServerInfoFields& fields) { levels.ServerInfo(fields); }
  void Time(int, float seconds) {
    if (!levels.Time(seconds)) damaged = true;
  }
  void SetView(int, int entity) { levels.SetView(entity); }
  // These belong to a level even before any server info, as info counts them.
  void EntityUpdate(int, const EntityUpdateFields& update) {
    if (update.entity >= 0) levels.Current();
  }
  void SpawnBaseline(int, const BaselineFields& baseline) {
    if (baseline.entity >= 0) levels.Current();
  }
  void Intermission(int) { levels.Current(); }
  void Damaged(int) { damaged = true; }
  // No server records these: info counts them among a demo's problems.
  void Other(int, std::uint8_t type) {
    if (type == svc_bad || type == svc_nop) damaged = true;
    if (type == svc_cdtrack) levels.Current();
  }

  // Called before each block's messages, with the block's view angles, and after them.
  void StartBlock(const CBlock& read, const Vec3&) { reading = &read; }
  void EndBlock() {}

  LevelTrack levels;
  bool damaged = false;

 protected:
  // The bytes of the block being read; a message's bytes start at its `start`.
  const std::uint8_t* Bytes() const { return reading->Data(); }

 private:
  const CBlock* reading = nullptr;
};

// Opens the demo at `path` for a look tool's walk; null, with the reason in
// `openError`, when it is not a file or cannot be read. A FIFO or a device is
// refused before it is opened, as opening one may wait for ever.
std::unique_ptr<InputFile> OpenDemo(const std::string& path, std::string& openError);

// Walks the demo at `path` through `handler`, a PassHandler.
template <typename Handler>
PassOutcome PassDemo(const std::string& path, Handler& handler) {
  PassOutcome outcome;
  const std::unique_ptr<InputFile> file = OpenDemo(path, outcome.openError);
  if (file == nullptr) return outcome;
  CBlock block;
  Vec3 angles{};
  DemoWalk walk(*file, angles);
  StreamState stream;
  try {
    while (walk.Next(block)) {
      handler.StartBlock(block, angles);
      ReadMessages(block, stream, handler);
      handler.EndBlock();
    }
  } catch (const StopPass&) {
    outcome.unreadable = true;
  }
  outcome.protocol = handler.levels.Protocol();
  outcome.damaged = !outcome.unreadable && (walk.Damaged() || handler.damaged);
  return outcome;
}

}  // namespace cw
