#include "inspect/moment_report.h"

#include <cmath>
#include <cstdio>
#include <ostream>
#include <string>
#include <vector>

#include "inspect/demo_moment.h"
#include "inspect/json_text.h"
#include "inspect/quake_items.h"
#include "inspect/shown_text.h"

namespace cw {
namespace {

constexpr float kLookAhead = 256;  // how far ahead of the player's eyes the view line looks
constexpr double kDegreesPerRadian = 57.29577951308232;
constexpr int kFirstArmourBit = 13;

std::string Seconds(double value) {
  if (!std::isfinite(value)) return "?";
  char text[64];
  std::snprintf(text, sizeof text, "%.2f", value);
  return text;
}

// A number as a script takes it; "?" for one that a hostile demo made no number.
std::string Number(double value) { return std::isfinite(value) ? ScriptNumber(value) : "?"; }

std::string Point(const Vec3& at) { return Number(at[0]) + " " + Number(at[1]) + " " + Number(at[2]); }

std::string JsonPoint(const Vec3& at) {
  return "[" + JsonNumber(at[0]) + "," + JsonNumber(at[1]) + "," + JsonNumber(at[2]) + "]";
}

bool Finite(const Vec3& at) { return std::isfinite(at[0]) && std::isfinite(at[1]) && std::isfinite(at[2]); }

double Speed(const Vec3& velocity) {
  return std::sqrt(double{velocity[0]} * velocity[0] + double{velocity[1]} * velocity[1] +
                   double{velocity[2]} * velocity[2]);
}

void Field(std::ostream& out, const char* name, const std::string& value) {
  std::string line = "  ";
  line += name;
  line.resize(19, ' ');
  out << line << value << '\n';
}

std::string Joined(const std::vector<std::string>& names) {
  std::string text;
  for (const std::string& name : names) text += (text.empty() ? "" : ", ") + name;
  return text;
}

// The armour's kind from the items: green, yellow or red; empty for none.
std::string ArmourKind(std::int32_t items) {
  for (int bit = kFirstArmourBit + 2; bit >= kFirstArmourBit; --bit) {
    if ((static_cast<std::uint32_t>(items) >> bit & 1u) != 0) return ItemName(bit);
  }
  return {};
}

// Which updates the place comes from.
std::string Source(const Moment& moment) {
  const EntitySample& before = *moment.before;
  if (moment.after)
    return "between its updates at " + Seconds(before.time) + " and " + Seconds(moment.after->time) + " s";
  if (before.time == moment.question.time) return "at its update";
  return "its update at " + Seconds(before.time) + " s (none in the frame after)";
}

std::string LevelLine(const Moment& moment) {
  const PassLevel& level = moment.level;
  return std::to_string(moment.question.level) + " of " + std::to_string(moment.levelCount) + ", " +
         (level.Map().empty() ? "no map" : ShownText(level.Map())) + ", " + Seconds(level.firstTime) + " to " +
         Seconds(level.lastTime) + " s";
}

std::string EntityLine(const Moment& moment) {
  std::string line = "e" + std::to_string(moment.entity);
  if (!moment.entityName.empty()) line += ", " + ShownText(moment.entityName);
  if (moment.player) line += " (the player: the demo is seen through it)";
  return line;
}

std::string VelocityLine(const Moment& moment) {
  if (!moment.velocity) return "unknown (no update in the frames around)";
  const std::string speed = Number(Speed(*moment.velocity)) + " units/s";
  return Point(*moment.velocity) + " (" + speed + (moment.player ? ")" : ", from its updates)");
}

void WritePlayerState(const PlayerState& state, const PassLevel& level, std::ostream& out) {
  if (!state.seen) {
    Field(out, "health", "unknown (no client data yet)");
    return;
  }
  Field(out, "health", std::to_string(state.health));
  const std::string kind = ArmourKind(state.items);
  Field(out, "armour", std::to_string(state.armor) + (kind.empty() ? "" : " (" + kind + ")"));
  const std::string model = level.ModelName(state.weapon);
  Field(out, "weapon", WeaponName(state.activeWeapon) + (model.empty() ? "" : " (" + ShownText(model) + ")"));
  const std::string ammo = AmmoKind(state.items);
  Field(out, "ammunition",
        std::to_string(state.ammo) + (ammo.empty() ? "" : " " + ammo) + " (shells " +
            std::to_string(state.ammoCounts[0]) + ", nails " + std::to_string(state.ammoCounts[1]) + ", rockets " +
            std::to_string(state.ammoCounts[2]) + ", cells " + std::to_string(state.ammoCounts[3]) + ")");
  const std::string items = Joined(ItemNames(state.items));
  Field(out, "items", items.empty() ? "none" : items);
}

std::string JsonText(const std::string& text) { return text.empty() ? "null" : JsonString(text); }

void WritePlayerJson(const PlayerState& state, const PassLevel& level, std::ostream& out) {
  if (!state.seen) {
    out << ",\"health\":null,\"armor\":null,\"armorKind\":null,\"weapon\":null,\"weaponModel\":null,\"ammo\":null,"
           "\"items\":null";
    return;
  }
  out << ",\"health\":" << state.health << ",\"armor\":" << state.armor
      << ",\"armorKind\":" << JsonText(ArmourKind(state.items))
      << ",\"weapon\":" << JsonString(WeaponName(state.activeWeapon))
      << ",\"weaponModel\":" << JsonText(level.ModelName(state.weapon)) << ",\"ammo\":{\"current\":" << state.ammo
      << ",\"kind\":" << JsonText(AmmoKind(state.items)) << ",\"shells\":" << state.ammoCounts[0]
      << ",\"nails\":" << state.ammoCounts[1] << ",\"rockets\":" << state.ammoCounts[2]
      << ",\"cells\":" << state.ammoCounts[3] << "},\"items\":[";
  const std::vector<std::string> items = ItemNames(state.items);
  for (std::size_t i = 0; i < items.size(); ++i) out << (i == 0 ? "" : ",") << JsonString(items[i]);
  out << "]";
}

// The direction the angles face: pitch down is positive, as the game turns the view.
Vec3 Forward(const Vec3& angles) {
  const double pitch = angles[kPitch] / kDegreesPerRadian;
  const double yaw = angles[kYaw] / kDegreesPerRadian;
  return {static_cast<float>(std::cos(pitch) * std::cos(yaw)), static_cast<float>(std::cos(pitch) * std::sin(yaw)),
          static_cast<float>(-std::sin(pitch))};
}

std::string ScriptTime(const Moment& moment) { return JsonNumber(moment.question.time); }

}  // namespace

std::string StayLine(const Moment& moment) {
  if (!Finite(moment.origin)) return {};
  return ScriptTime(moment) + " stay " + Point(moment.origin);
}

std::string ViewLine(const Moment& moment) {
  if (!moment.player) return ScriptTime(moment) + " view e" + std::to_string(moment.entity);
  const Vec3 forward = Forward(moment.angles);
  const float eyes = static_cast<float>(moment.state.seen ? moment.state.viewHeight : 22);
  const Vec3 ahead{moment.origin[0] + kLookAhead * forward[0], moment.origin[1] + kLookAhead * forward[1],
                   moment.origin[2] + eyes + kLookAhead * forward[2]};
  if (!Finite(ahead)) return {};
  return ScriptTime(moment) + " view " + Point(ahead);
}

void WriteMomentText(const Moment& moment, std::ostream& out) {
  out << moment.path << '\n';
  if (moment.outcome.unreadable && moment.levelCount < moment.question.level) {
    Field(out, "protocol",
          std::to_string(moment.outcome.protocol) +
              " (only protocols 15, 666 and 999 can be read: nothing more is read)");
    return;
  }
  Field(out, "level", LevelLine(moment));
  Field(out, "moment", Seconds(moment.question.time) + " s: " + Source(moment));
  Field(out, "entity", EntityLine(moment));
  Field(out, "position", Point(moment.origin));
  const Vec3& angles = moment.angles;
  Field(out, "angles",
        "pitch " + Number(angles[kPitch]) + ", yaw " + Number(angles[kYaw]) + ", roll " + Number(angles[kRoll]) +
            (moment.player ? " (the player's view)" : ""));
  Field(out, "velocity", VelocityLine(moment));
  if (moment.player) WritePlayerState(moment.state, moment.level, out);
  const std::string stay = StayLine(moment);
  Field(out, "script", stay.empty() ? "none: a coordinate is no number" : stay);
  const std::string view = ViewLine(moment);
  if (!stay.empty() && !view.empty()) Field(out, "", view);
}

void WriteMomentJson(const Moment& moment, std::ostream& out) {
  out << "{\"file\":" << JsonString(moment.path);
  if (!moment.outcome.openError.empty()) {
    out << ",\"error\":" << JsonString(moment.outcome.openError) << "}\n";
    return;
  }
  const bool unread = moment.outcome.unreadable && moment.levelCount < moment.question.level;
  out << ",\"protocol\":" << moment.outcome.protocol << ",\"readable\":" << (unread ? "false" : "true");
  if (unread) {
    out << "}\n";
    return;
  }
  if (!moment.problem.empty()) {
    out << ",\"error\":" << JsonString(moment.problem) << "}\n";
    return;
  }
  const PassLevel& level = moment.level;
  out << ",\"level\":" << moment.question.level << ",\"levelCount\":" << moment.levelCount
      << ",\"map\":" << JsonString(level.Map()) << ",\"time\":" << JsonNumber(moment.question.time)
      << ",\"entity\":" << moment.entity << ",\"player\":" << (moment.player ? "true" : "false")
      << ",\"name\":" << JsonString(moment.entityName) << ",\"updates\":[" << JsonNumber(moment.before->time);
  if (moment.after) out << "," << JsonNumber(moment.after->time);
  out << "],\"origin\":" << JsonPoint(moment.origin) << ",\"angles\":" << JsonPoint(moment.angles)
      << ",\"velocity\":" << (moment.velocity ? JsonPoint(*moment.velocity) : "null");
  if (moment.player) WritePlayerJson(moment.state, level, out);
  const std::string stay = StayLine(moment);
  const std::string view = ViewLine(moment);
  out << ",\"script\":" << JsonText(stay) << ",\"view\":" << JsonText(stay.empty() ? "" : view) << "}\n";
}

}  // namespace cw
