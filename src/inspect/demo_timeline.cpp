#include "inspect/demo_timeline.h"

#include <array>
#include <cstdint>

#include "inspect/quake_items.h"

namespace cw {
namespace {

// The stats a server sends with svc_updatestat that name a level's totals.
constexpr int kStatTotalSecrets = 11;
constexpr int kStatTotalMonsters = 12;
constexpr int kFirstArmourBit = 13;
constexpr int kArmourBits = 3;
// A server sends the bonus flash in its reliable message, which may come a
// frame or two before or after the client data that shows the gain.
constexpr float kFlashWindow = 0.25f;
// The game shows a centerprinted text for 2 seconds: the same text sent again
// within that time is the same message kept on the screen.
constexpr float kCenterprintShown = 2.0f;

// What the client data tells of the player, to compare frame with frame.
struct PlayerStats {
  bool seen = false;
  std::uint32_t items = 0;
  int health = 0;
  int armor = 0;
  std::array<int, 4> ammo{};
};

constexpr const char* kAmmoNames[4] = {"shells", "nails", "rockets", "cells"};

bool IsArmourBit(int bit) { return bit >= kFirstArmourBit && bit < kFirstArmourBit + kArmourBits; }

// The "bf" command among the commands of a stuffed text.
bool HasBonusFlash(std::string_view text) {
  std::size_t begin = 0;
  while (begin <= text.size()) {
    std::size_t end = text.find_first_of(";\n", begin);
    if (end == std::string_view::npos) end = text.size();
    std::string_view command = text.substr(begin, end - begin);
    while (!command.empty() && (command.front() == ' ' || command.front() == '\t')) command.remove_prefix(1);
    while (!command.empty() && (command.back() == ' ' || command.back() == '\t' || command.back() == '\r'))
      command.remove_suffix(1);
    if (command == "bf") return true;
    begin = end + 1;
  }
  return false;
}

class TimelineHandler : public PassHandler {
 public:
  explicit TimelineHandler(std::vector<DemoEvent>& list) : events(list) {}

  void ServerInfo(int start, const ServerInfoFields& fields) {
    EndLevel();
    PassHandler::ServerInfo(start, fields);
    level = {};
    untimed = events.size();  // a level without a time leaves its events without one
    DemoEvent& event = Add(EventKind::Level);
    event.text = levels.Current().Map();
    event.levelName = levels.Current().levelName;
  }

  void Time(int start, float seconds) {
    PassHandler::Time(start, seconds);
    const PassLevel& current = levels.Current();
    if (!current.timeSeen) return;
    // What came before the level's first time happened at its start.
    for (; untimed < events.size(); ++untimed) {
      if (!events[untimed].time) events[untimed].time = current.firstTime;
    }
  }

  void Intermission(int start) {
    PassHandler::Intermission(start);
    Add(EventKind::Intermission);
  }

  void Text(int, std::uint8_t type, std::string_view text) {
    if (type == svc_stufftext && HasBonusFlash(text)) Flash();
    if (type == svc_centerprint) Centerprint(text);
    if (type == svc_finale) Add(EventKind::Finale).text = std::string(text);
    if (type == svc_cutscene) Add(EventKind::Cutscene).text = std::string(text);
  }

  void Other(int start, std::uint8_t type) {
    PassHandler::Other(start, type);
    const std::uint8_t* message = Bytes() + start;
    switch (type) {
      case svc_killedmonster:
        Counted(EventKind::Kill, ++level.kills, level.totalKills);
        break;
      case svc_foundsecret:
        Counted(EventKind::Secret, ++level.secrets, level.totalSecrets);
        break;
      case svc_updatestat: {
        const auto value = static_cast<std::int32_t>(
            static_cast<std::uint32_t>(message[2]) | static_cast<std::uint32_t>(message[3]) << 8 |
            static_cast<std::uint32_t>(message[4]) << 16 | static_cast<std::uint32_t>(message[5]) << 24);
        if (message[1] == kStatTotalMonsters) level.totalKills = value;
        if (message[1] == kStatTotalSecrets) level.totalSecrets = value;
        break;
      }
      case svc_damage: {
        DemoEvent& event = Add(EventKind::Damage);
        event.armor = message[1];
        event.blood = message[2];
        break;
      }
      case svc_bf:
        Flash();
        break;
      default:
        break;
    }
  }

  void ClientData(int, const ClientDataFields& data) {
    PlayerStats now;
    now.seen = true;
    now.items = data.itemsPresent ? static_cast<std::uint32_t>(data.items) : level.player.items;
    now.health = data.health;
    now.armor = data.armor;
    now.ammo = data.ammoCounts;
    const PlayerStats before = level.player;
    level.player = now;
    // The first client data of a level is where the player starts, no gain.
    if (!before.seen) return;
    if (before.health > 0 && now.health <= 0) {
      Add(EventKind::Death).health = now.health;
    } else if (before.health <= 0 && now.health > 0) {
      Add(EventKind::Respawn).health = now.health;
    } else if (now.health > 0) {
      Changes(before, now);
    }
  }

  // The end of the last level.
  void Finish() { EndLevel(); }

 private:
  struct LevelState {
    int kills = 0;
    int secrets = 0;
    std::optional<int> totalKills;
    std::optional<int> totalSecrets;
    PlayerStats player;
    std::optional<std::size_t> lastCenterprint;  // its event
  };

  DemoEvent& Add(EventKind kind) {
    levels.Current();
    DemoEvent& event = events.emplace_back();
    event.level = levels.Number();
    event.kind = kind;
    if (levels.Current().timeSeen) event.time = levels.Current().lastTime;
    return event;
  }

  void EndLevel() {
    if (levels.Number() == 0 || !levels.Current().timeSeen) return;
    Add(EventKind::End);
  }

  void Counted(EventKind kind, int count, std::optional<int> total) {
    DemoEvent& event = Add(kind);
    event.count = count;
    event.total = total;
  }

  void Centerprint(std::string_view text) {
    if (level.lastCenterprint) {
      DemoEvent& last = events[*level.lastCenterprint];
      const PassLevel& current = levels.Current();
      if (last.text == text && last.time && current.timeSeen && current.lastTime - *last.time < kCenterprintShown) {
        return;
      }
    }
    level.lastCenterprint = events.size();
    Add(EventKind::Centerprint).text = std::string(text);
  }

  // An event of `kind` of the current level within the flash window, with no flash yet.
  DemoEvent* Recent(EventKind kind) {
    const PassLevel& current = levels.Current();
    for (auto it = events.rbegin(); it != events.rend(); ++it) {
      if (it->level != levels.Number() || !it->time || !current.timeSeen) return nullptr;
      if (current.lastTime - *it->time > kFlashWindow) return nullptr;
      if (it->kind == kind && !it->flash) return &*it;
    }
    return nullptr;
  }

  void Flash() {
    if (DemoEvent* pickup = Recent(EventKind::Pickup)) {
      pickup->flash = true;
      return;
    }
    Add(EventKind::Bonus);
  }

  void Changes(const PlayerStats& before, const PlayerStats& now) {
    std::vector<std::string> gained, lost;
    bool armourGained = false;
    for (int bit = 0; bit < 32; ++bit) {
      if (IsAmmoKindBit(bit)) continue;
      const bool had = (before.items >> bit & 1u) != 0;
      const bool has = (now.items >> bit & 1u) != 0;
      if (has && !had) {
        gained.push_back(ItemName(bit));
        armourGained = armourGained || IsArmourBit(bit);
      }
      if (had && !has) lost.push_back(ItemName(bit));
    }
    std::vector<std::pair<std::string, int>> gains;
    if (now.health > before.health) gains.emplace_back("health", now.health - before.health);
    if (now.armor > before.armor) gains.emplace_back("armour", now.armor - before.armor);
    for (std::size_t kind = 0; kind < now.ammo.size(); ++kind) {
      if (now.ammo[kind] > before.ammo[kind]) gains.emplace_back(kAmmoNames[kind], now.ammo[kind] - before.ammo[kind]);
    }
    if (!gained.empty() || !gains.empty()) {
      DemoEvent* event = Recent(EventKind::Bonus);
      if (event != nullptr) {
        event->kind = EventKind::Pickup;
        event->flash = true;
      } else {
        event = &Add(EventKind::Pickup);
      }
      event->items = std::move(gained);
      event->gains = std::move(gains);
    }
    // Better armour takes the place of the worse: that is no loss.
    if (armourGained) {
      std::erase_if(lost, [](const std::string& name) { return name.find("armour") != std::string::npos; });
    }
    if (!lost.empty()) Add(EventKind::Loss).items = std::move(lost);
  }

  std::vector<DemoEvent>& events;
  std::size_t untimed = 0;  // the first event that may still wait for its level's first time
  LevelState level;
};

}  // namespace

const char* EventKindName(EventKind kind) {
  switch (kind) {
    case EventKind::Level:
      return "level";
    case EventKind::Kill:
      return "kill";
    case EventKind::Secret:
      return "secret";
    case EventKind::Pickup:
      return "pickup";
    case EventKind::Loss:
      return "loss";
    case EventKind::Bonus:
      return "bonus";
    case EventKind::Damage:
      return "damage";
    case EventKind::Death:
      return "death";
    case EventKind::Respawn:
      return "respawn";
    case EventKind::Centerprint:
      return "centerprint";
    case EventKind::Intermission:
      return "intermission";
    case EventKind::Finale:
      return "finale";
    case EventKind::Cutscene:
      return "cutscene";
    case EventKind::End:
      return "end";
  }
  return "";
}

Timeline ReadTimeline(const std::string& path) {
  Timeline timeline;
  timeline.path = path;
  TimelineHandler handler(timeline.events);
  timeline.outcome = PassDemo(path, handler);
  if (!timeline.outcome.openError.empty()) return timeline;
  if (!timeline.outcome.unreadable) handler.Finish();
  timeline.levelCount = handler.levels.Number();
  return timeline;
}

}  // namespace cw
