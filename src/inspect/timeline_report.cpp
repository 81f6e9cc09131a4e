#include "inspect/timeline_report.h"

#include <cmath>
#include <cstdio>
#include <ostream>
#include <string>

#include "inspect/demo_timeline.h"
#include "inspect/info_report.h"
#include "inspect/json_text.h"
#include "inspect/shown_text.h"

namespace cw {
namespace {

std::string Seconds(const std::optional<float>& time) {
  if (!time) return "-";
  if (!std::isfinite(*time)) return "?";
  char text[64];
  std::snprintf(text, sizeof text, "%.2f", double{*time});
  return text;
}

std::string Quoted(const std::string& text) { return "\"" + ShownText(text) + "\""; }

std::string Joined(const std::vector<std::string>& names) {
  std::string text;
  for (const std::string& name : names) text += (text.empty() ? "" : ", ") + name;
  return text;
}

std::string OutOf(const DemoEvent& event) {
  return std::to_string(event.count) + (event.total ? " of " + std::to_string(*event.total) : "");
}

std::string Pickup(const DemoEvent& event) {
  std::string text = Joined(event.items);
  for (const auto& [what, amount] : event.gains) {
    text += (text.empty() ? "+" : ", +") + std::to_string(amount) + " " + what;
  }
  return text + (event.flash ? " (bonus flash)" : "");
}

// What an event says after its kind.
std::string Details(const DemoEvent& event) {
  switch (event.kind) {
    case EventKind::Level:
      return (event.text.empty() ? "no map" : ShownText(event.text)) + " " + Quoted(event.levelName);
    case EventKind::Kill:
    case EventKind::Secret:
      return OutOf(event);
    case EventKind::Pickup:
      return Pickup(event);
    case EventKind::Loss:
      return Joined(event.items);
    case EventKind::Bonus:
      return "flash";
    case EventKind::Damage:
      return std::to_string(event.armor + event.blood) + " (armour " + std::to_string(event.armor) + ", blood " +
             std::to_string(event.blood) + ")";
    case EventKind::Death:
    case EventKind::Respawn:
      return "health " + std::to_string(event.health);
    case EventKind::Centerprint:
    case EventKind::Finale:
    case EventKind::Cutscene:
      return Quoted(event.text);
    case EventKind::Intermission:
      return event.time && std::isfinite(*event.time) ? "exit time " + ExitTimeText(*event.time) : "";
    case EventKind::End:
      return "of the level";
  }
  return {};
}

void WriteEventJson(const DemoEvent& event, std::ostream& out) {
  out << "{\"level\":" << event.level << ",\"time\":" << (event.time ? JsonNumber(*event.time) : "null")
      << ",\"kind\":\"" << EventKindName(event.kind) << "\"";
  switch (event.kind) {
    case EventKind::Level:
      out << ",\"map\":" << JsonString(event.text) << ",\"levelName\":" << JsonString(event.levelName);
      break;
    case EventKind::Kill:
    case EventKind::Secret:
      out << ",\"count\":" << event.count << ",\"total\":" << (event.total ? std::to_string(*event.total) : "null");
      break;
    case EventKind::Pickup:
    case EventKind::Loss: {
      out << ",\"items\":[";
      for (std::size_t i = 0; i < event.items.size(); ++i) out << (i == 0 ? "" : ",") << JsonString(event.items[i]);
      out << "]";
      if (event.kind == EventKind::Loss) break;
      out << ",\"gains\":{";
      for (std::size_t i = 0; i < event.gains.size(); ++i) {
        out << (i == 0 ? "" : ",") << JsonString(event.gains[i].first) << ":" << event.gains[i].second;
      }
      out << "},\"flash\":" << (event.flash ? "true" : "false");
      break;
    }
    case EventKind::Damage:
      out << ",\"amount\":" << event.armor + event.blood << ",\"armor\":" << event.armor
          << ",\"blood\":" << event.blood;
      break;
    case EventKind::Death:
    case EventKind::Respawn:
      out << ",\"health\":" << event.health;
      break;
    case EventKind::Centerprint:
    case EventKind::Finale:
    case EventKind::Cutscene:
      out << ",\"text\":" << JsonString(event.text);
      break;
    case EventKind::Intermission:
      out << ",\"exitTimeText\":"
          << (event.time && std::isfinite(*event.time) ? JsonString(ExitTimeText(*event.time)) : "null");
      break;
    case EventKind::Bonus:
    case EventKind::End:
      break;
  }
  out << "}";
}

bool Shown(const DemoEvent& event, int level) { return level == 0 || event.level == level; }

}  // namespace

void WriteTimelineText(const Timeline& timeline, int level, std::ostream& out) {
  out << timeline.path << '\n';
  out << "  level      time  event\n";
  char line[64];
  for (const DemoEvent& event : timeline.events) {
    if (!Shown(event, level)) continue;
    std::snprintf(line, sizeof line, "  %5d %9s  ", event.level, Seconds(event.time).c_str());
    const std::string details = Details(event);
    out << line << EventKindName(event.kind) << (details.empty() ? "" : " " + details) << '\n';
  }
  if (timeline.outcome.unreadable) {
    out << "  protocol " << timeline.outcome.protocol
        << " (only protocols 15, 666 and 999 can be read: nothing more is read)\n";
  }
}

void WriteTimelineJson(const Timeline& timeline, int level, std::ostream& out) {
  out << "{\"file\":" << JsonString(timeline.path);
  if (!timeline.outcome.openError.empty()) {
    out << ",\"error\":" << JsonString(timeline.outcome.openError) << "}\n";
    return;
  }
  out << ",\"protocol\":" << timeline.outcome.protocol
      << ",\"readable\":" << (timeline.outcome.unreadable ? "false" : "true")
      << ",\"levelCount\":" << timeline.levelCount << ",\"events\":[";
  bool first = true;
  for (const DemoEvent& event : timeline.events) {
    if (!Shown(event, level)) continue;
    out << (first ? "" : ",");
    WriteEventJson(event, out);
    first = false;
  }
  out << "]}\n";
}

}  // namespace cw
