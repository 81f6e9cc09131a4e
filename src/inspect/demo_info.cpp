#include "inspect/demo_info.h"

#include <algorithm>
#include <cmath>

#include "base/protocol.h"
#include "inspect/demo_pass.h"
#include "stream/block.h"
#include "stream/demo_files.h"
#include "stream/demo_walk.h"
#include "stream/message_reader.h"

namespace cw {
namespace {

constexpr int kModelsKept = 4;  // an entity that changes its model more often is rare

// Thrown by the handler to stop at a protocol the reader does not read:
// nothing after its server info can be taken for what it is.
struct StopReading {};

double Distance(const Vec3& a, const Vec3& b) {
  const double dx = a[0] - b[0], dy = a[1] - b[1], dz = a[2] - b[2];
  return std::sqrt(dx * dx + dy * dy + dz * dz);
}

void AddNames(const NameList& list, std::vector<std::string>& names) {
  names.assign(1, std::string());
  list.ForEach([&names](std::string_view name) { names.emplace_back(name); });
}

class InfoHandler {
 public:
  InfoHandler(DemoInfo& demo, const CBlock& in) : info(demo), block(in) {}

  void StartBlock(int number, std::int64_t offset) {
    blockNumber = number;
    blockOffset = offset;
  }

  // The level read so far gets its entities in the order of their numbers,
  // and the numbers are free for the next level.
  void FinishLevel() {
    if (info.levels.empty()) return;
    std::vector<EntityRecord>& records = info.levels.back().entities;
    for (const EntityRecord& record : records) slots[static_cast<std::size_t>(record.entity)] = -1;
    std::sort(records.begin(), records.end(),
              [](const EntityRecord& a, const EntityRecord& b) { return a.entity < b.entity; });
  }

  void Problem(std::int64_t offset, std::string what) {
    if (info.problemCount++ == 0) info.firstProblem = {blockNumber, offset, std::move(what)};
  }

  void EntityUpdate(int, const EntityUpdateFields& update) {
    ++info.messageCounts[kEntityUpdateCount];
    if (update.entity < 0) return;
    EntityRecord& record = Record(update.entity);
    if (update.model >= 0) NoteModel(record, update.model);
    const Vec3 at = places.Place(update);
    const float time = Level().lastTime;
    if (record.updates++ == 0) {
      record.firstTime = time;
      record.first = at;
    } else {
      record.distance += Distance(record.last, at);
    }
    record.lastTime = time;
    record.last = at;
  }

  void ClientData(int, const ClientDataFields&) { Count(svc_clientdata); }

  void ServerInfo(int, const ServerInfoFields& fields) {
    Count(svc_serverinfo);
    if (info.protocol == 0) info.protocol = fields.protocol;
    FinishLevel();
    if (!reading::ReadableLevel(fields)) {
      info.protocol = fields.protocol;
      info.unreadable = true;
      throw StopReading{};
    }
    LevelInfo& level = info.levels.emplace_back();
    level.protocol = fields.protocol;
    level.maxClients = fields.maxClients;
    level.levelName = std::string(fields.levelName);
    AddNames(fields.models, level.models);
    AddNames(fields.sounds, level.sounds);
    places.NewLevel();
  }

  void SpawnBaseline(int start, const BaselineFields& baseline) {
    Count(block.Data()[start]);  // either form of baseline
    if (baseline.entity < 0) return;
    places.Baseline(baseline);
    EntityRecord& record = Record(baseline.entity);
    NoteModel(record, baseline.model);
    if (record.updates == 0) record.first = record.last = baseline.origin;
  }

  void Time(int start, float seconds) {
    Count(svc_time);
    if (!std::isfinite(seconds)) {
      Problem(blockOffset + start, "a time that is no number");
      return;
    }
    LevelInfo& level = Level();
    if (!level.timeSeen) level.firstTime = seconds;
    level.timeSeen = true;
    level.lastTime = seconds;
  }

  void Text(int, std::uint8_t type, std::string_view) { Count(type); }
  void SetView(int, int entity) {
    Count(svc_setview);
    Level().viewEntity = entity;
  }
  void UpdateColors(int, int, int) { Count(svc_updatecolors); }
  void SignonNum(int, int) { Count(svc_signonnum); }

  void Intermission(int) {
    Count(svc_intermission);
    LevelInfo& level = Level();
    if (!level.exitTime) level.exitTime = level.lastTime;
  }

  void Other(int start, std::uint8_t type) {
    Count(type);
    // The track stands in the message's first byte after its type.
    if (type == svc_cdtrack) Level().cdTrack = block.Data()[start + 1];
    if (type == svc_bad || type == svc_nop) {
      Problem(blockOffset + start, "an " + MessageName(type) + " message, which no server records");
    }
  }

  void Damaged(int start) {
    Problem(blockOffset + start, "bytes that are no message of the protocol, or a message cut by its block's end");
  }

 private:
  void Count(int type) { ++info.messageCounts[static_cast<std::size_t>(type)]; }

  // Messages before any server info still belong somewhere: to a level
  // without a name.
  LevelInfo& Level() {
    if (info.levels.empty()) info.levels.emplace_back();
    return info.levels.back();
  }

  EntityRecord& Record(int entity) {
    std::vector<EntityRecord>& records = Level().entities;
    std::int32_t& slot = slots[static_cast<std::size_t>(entity)];
    if (slot < 0) {
      slot = static_cast<std::int32_t>(records.size());
      records.emplace_back().entity = entity;
    }
    return records[static_cast<std::size_t>(slot)];
  }

  static void NoteModel(EntityRecord& record, int model) {
    if (static_cast<int>(record.models.size()) >= kModelsKept) return;
    for (const int known : record.models) {
      if (known == model) return;
    }
    record.models.push_back(model);
  }

  DemoInfo& info;
  const CBlock& block;
  EntityPlaces places;
  // Where each entity number's record stands in the level's list; -1 for
  // the numbers the level has not named.
  std::vector<std::int32_t> slots = std::vector<std::int32_t>(kHighestEntity + 1, -1);
  int blockNumber = 0;
  std::int64_t blockOffset = 0;
};

}  // namespace

void EntityPlaces::Baseline(const BaselineFields& baseline) {
  if (baseline.entity < 0) return;
  const auto entity = static_cast<std::size_t>(baseline.entity);
  if (baselines.size() <= entity) baselines.resize(entity + 1);
  baselines[entity] = baseline.origin;
}

Vec3 EntityPlaces::Place(const EntityUpdateFields& update) const {
  Vec3 at = update.origin;
  const auto entity = static_cast<std::size_t>(update.entity);
  if (entity >= baselines.size() || !baselines[entity]) return at;
  for (std::size_t axis = 0; axis < 3; ++axis) {
    if (!update.originPresent[axis]) at[axis] = (*baselines[entity])[axis];
  }
  return at;
}

const std::string& LevelInfo::Map() const {
  static const std::string kNone;
  return models.size() > 1 ? models[1] : kNone;
}

const EntityRecord* LevelInfo::Entity(int number) const {
  const auto found = std::lower_bound(entities.begin(), entities.end(), number,
                                      [](const EntityRecord& record, int entity) { return record.entity < entity; });
  return found != entities.end() && found->entity == number ? &*found : nullptr;
}

std::string LevelInfo::EntityName(int entity) const {
  if (entity >= 1 && entity <= maxClients) return "player " + std::to_string(entity);
  const EntityRecord* record = Entity(entity);
  if (record == nullptr || record->models.empty()) return {};
  const int model = record->models.front();
  if (model <= 0 || static_cast<std::size_t>(model) >= models.size())
    return model == 0 ? "" : "model " + std::to_string(model);
  return models[static_cast<std::size_t>(model)];
}

double DemoInfo::PlayerPath() const {
  double length = 0;
  for (const LevelInfo& level : levels) {
    if (const EntityRecord* seen = level.Entity(level.viewEntity)) length += seen->distance;
  }
  return length;
}

float DemoInfo::Duration() const {
  float duration = 0;
  for (const LevelInfo& level : levels) {
    if (level.timeSeen) duration += level.lastTime - level.firstTime;
  }
  return duration;
}

std::string MessageName(int type) {
  if (type == kEntityUpdateCount) return "entity update";
  const MessageType* row = FindMessageType(type);
  if (row != nullptr && !row->name.empty()) return std::string(row->name);
  return "message " + std::to_string(type);
}

DemoInfo ReadDemoInfo(const std::string& path) {
  DemoInfo info;
  info.path = path;
  const std::unique_ptr<InputFile> file = OpenDemo(path, info.openError);
  if (file == nullptr) return info;
  CBlock block;
  InfoHandler handler(info, block);
  Vec3 angles{};
  DemoWalk walk(*file, angles);
  info.firstLine = walk.FirstLine();
  if (!walk.FirstLineEnded()) handler.Problem(0, "the first line (the CD track) has no line feed");
  if (!info.firstLine.empty() && info.firstLine.back() == '\r') info.firstLine.pop_back();

  StreamState stream;
  try {
    while (walk.Next(block)) {
      info.blocks = walk.Number();
      handler.StartBlock(info.blocks, walk.Offset() + kBlockHeaderSize);
      if (walk.Cut()) handler.Problem(walk.Offset(), "the file ends inside this block");
      if (block.Length() > info.longestBlockBytes) {
        info.longestBlockBytes = block.Length();
        info.longestBlock = info.blocks;
      }
      ReadMessages(block, stream, handler);
    }
  } catch (const StopReading&) {
    return info;
  }
  handler.FinishLevel();
  const std::int64_t end = walk.Offset();
  handler.StartBlock(info.blocks + 1, end);
  if (walk.End() == WalkEnd::BrokenHeader) {
    handler.Problem(end, "a block header cut short, or a block length out of range");
  } else if (walk.End() == WalkEnd::AfterMarker) {
    handler.Problem(end, "data after the block that ends the demo");
  }
  if (walk.ReadError() != 0) handler.Problem(end, "a read error: " + SystemReason(walk.ReadError()));
  return info;
}

}  // namespace cw
