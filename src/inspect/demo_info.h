#pragma once
// What a demo holds, read through the stream's message reader without
// refilming anything: its levels, times, messages, problems, and every
// entity with its model and its way through the level.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/vec3.h"

namespace cw {

struct BaselineFields;
struct EntityUpdateFields;

// Where entities stand: an update's axes, and the baseline's for the axes
// the update leaves out, as the game places them.
class EntityPlaces {
 public:
  void NewLevel() { baselines.clear(); }
  void Baseline(const BaselineFields& baseline);
  Vec3 Place(const EntityUpdateFields& update) const;

 private:
  std::vector<std::optional<Vec3>> baselines;  // by entity number
};

// An entity a baseline or an update of the level named.
struct EntityRecord {
  int entity = 0;
  std::vector<int> models;  // indexes into the level's model list, in the order first seen
  int updates = 0;
  float firstTime = 0;
  float lastTime = 0;
  Vec3 first{0, 0, 0};
  Vec3 last{0, 0, 0};
  double distance = 0;  // between successive updates
};

struct LevelInfo {
  int protocol = 0;
  int maxClients = 0;
  std::string levelName;
  std::vector<std::string> models;  // from index 1; [0] is empty
  std::vector<std::string> sounds;  // the same
  std::optional<int> cdTrack;       // of svc_cdtrack
  bool timeSeen = false;
  float firstTime = 0;
  float lastTime = 0;
  std::optional<float> exitTime;  // of the first svc_intermission
  int viewEntity = 1;             // of svc_setview: the player seen through
  // The entities the level names, in the order of their numbers: a level
  // names a few hundred of the 32768 numbers, and a demo may hold
  // thousands of levels.
  std::vector<EntityRecord> entities;

  const std::string& Map() const;  // model 1, or empty
  // The record of entity `number`, or nullptr when the level never names it.
  const EntityRecord* Entity(int number) const;
  // "player 3" for entities 1 to maxClients, else the first model's name.
  std::string EntityName(int entity) const;
};

struct StreamProblem {
  int block = 0;            // 1-based; 0 for the first line
  std::int64_t offset = 0;  // in the file
  std::string what;
};

inline constexpr int kEntityUpdateCount = 256;  // messageCounts index of entity updates

struct DemoInfo {
  std::string path;
  std::string openError;    // set when the file could not be read at all
  std::string firstLine;    // the CD track line, without its line feed
  int protocol = 0;         // of the first server info; 0 before any
  bool unreadable = false;  // a protocol the reader does not read: reading stopped there
  int blocks = 0;
  int longestBlock = 0;  // 1-based number
  int longestBlockBytes = 0;
  std::array<std::int64_t, kEntityUpdateCount + 1> messageCounts{};
  int problemCount = 0;
  StreamProblem firstProblem;
  std::vector<LevelInfo> levels;

  // The player's way: the distance the seen-through entity covered, over every level.
  double PlayerPath() const;
  // Demo time from the first to the last svc_time of each level, summed.
  float Duration() const;
};

DemoInfo ReadDemoInfo(const std::string& path);

// The name of a message type from kMessageTypes, "entity update" for
// kEntityUpdateCount, "message 39" for a number no engine names.
std::string MessageName(int type);

}  // namespace cw
