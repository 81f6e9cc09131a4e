#pragma once
// What a preview draws: where the player, the camera and the entities the
// script follows went, block by block, gathered while a run goes through
// the demo without writing it.

#include <string>
#include <utility>
#include <vector>

#include "base/vec3.h"
#include "camera/coord.h"
#include "inspect/demo_info.h"
#include "map/bsp_floors.h"
#include "refilm/run_watcher.h"
#include "stream/message_reader.h"

namespace cw {

class EntityTable;
struct CommandLists;
struct ZoneTables;

struct TimedPoint {
  float time = 0;
  Vec3 at{0, 0, 0};
};

struct CameraSample {
  float time = 0;
  Vec3 origin{0, 0, 0};
  Vec3 angles{0, 0, 0};  // pitch, yaw, roll
  bool ownView = true;   // seen through the camera, not through an entity's eyes
  // Which position command placed the camera and which view command aims it,
  // counted in the script's order; -1 before the first.
  int positionCommand = -1;
  int viewCommand = -1;
  bool looksAtPoint = false;  // `lookAt` is a point looked at (not an eyes view or a turn)
  Vec3 lookAt{0, 0, 0};
};

// A position or view command, where it puts the camera or its view.
struct CommandMark {
  float time = 0;
  std::string word;
  Vec3 at{0, 0, 0};
  bool view = false;
};

struct ZoneBox {
  int zone = 0;
  Vec3 low{0, 0, 0};
  Vec3 high{0, 0, 0};
  Vec3 spot{0, 0, 0};
};

// A span of time in which the camera is somewhere the map says it should
// not be, drawn in a warning colour and listed under the picture.
struct PreviewWarning {
  float from = 0;
  float to = 0;
  std::string text;  // "example.cam:16: the camera stands in the sky ..."
};

// What the script shows or plays besides the camera, for the time strip.
enum class StripKind : unsigned char { Centerprint, Print, Subtitle, OtherText, Fade, Sound, Eyes };

struct StripEvent {
  float from = 0;
  float to = 0;  // a fade's end; `from` for the others
  StripKind kind = StripKind::Print;
  std::string what;  // the message, the sound's name, the entity
};

struct PreviewPicture {
  std::string title;  // the demo's name
  std::string map;
  std::string levelName;
  std::vector<TimedPoint> player;
  std::vector<std::pair<int, std::vector<TimedPoint>>> followed;  // by entity number
  std::vector<CameraSample> camera;
  std::vector<TimedPoint> sweeps;  // the looked-at point while a run of sweeps leads it
  std::vector<CommandMark> marks;
  std::vector<ZoneBox> zones;
  std::vector<FloorPolygon> floors;
  std::vector<PreviewWarning> warnings;
  std::vector<StripEvent> events;
};

// The demo time the picture covers, from its first to its last block drawn.
struct DemoTimes {
  float first = 0;
  float last = 0;
  bool any = false;
};
DemoTimes TimesOf(const PreviewPicture& picture);

// The zones a zone file defines, as boxes.
std::vector<ZoneBox> ZoneBoxes(const ZoneTables& tables);

// Gathers a picture from a run of the demo's first level.
class PreviewCollector : public RunWatcher {
 public:
  void ScriptRead(const RefilmContext& context) override;
  void EntityUpdate(const EntityUpdateFields& update) override;
  void ServerInfo(const ServerInfoFields& info) override;
  void SpawnBaseline(const BaselineFields& baseline) override { places.Baseline(baseline); }
  void Time(float seconds) override;
  void SetView(int entity) override { viewEntity = entity; }
  void BlockDone(const RefilmContext& context) override;

  PreviewPicture& Picture() { return picture; }

 private:
  struct PendingMark {
    float at = 0;  // the demo time its point is taken at
    CommandMark mark;
    CCoord coord;
    bool taken = false;
  };
  bool Drawn() const { return level == 1 && timeSeen; }
  void Follow(int entity, const Vec3& at);
  void TakeMarks(const RefilmContext& context);
  void TakeEvents(const CommandLists& lists);
  static bool Placed(const CCoord& coord, const EntityTable& entities, float at);
  CameraSample SampleOf(const RefilmContext& context, float placedAt) const;

  PreviewPicture picture;
  std::vector<PendingMark> pending;  // in the order of `at`
  std::size_t nextMark = 0;
  int positionTotal = 0;  // the script's position and view commands
  int viewTotal = 0;
  const RefilmContext* step = nullptr;
  EntityPlaces places;
  int level = 0;
  int viewEntity = 1;
  bool timeSeen = false;
  float time = 0;
  float blockStart = 0;  // the time the block before this one set
};

}  // namespace cw
