#include "inspect/info_report.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ostream>
#include <string>
#include <vector>

#include "inspect/demo_info.h"
#include "inspect/json_text.h"
#include "inspect/shown_text.h"
#include "refilm/stream_edits.h"

namespace cw {
namespace {

constexpr std::size_t kLineWidth = 100;

std::string Fixed(double value, int decimals) {
  char text[64];
  std::snprintf(text, sizeof text, "%.*f", decimals, value);
  return text;
}

std::string Place(const Vec3& at) { return Fixed(at[0], 0) + " " + Fixed(at[1], 0) + " " + Fixed(at[2], 0); }

std::string JsonPoint(const Vec3& at) {
  return "[" + JsonNumber(at[0]) + "," + JsonNumber(at[1]) + "," + JsonNumber(at[2]) + "]";
}

void Field(std::ostream& out, const char* name, const std::string& value) {
  std::string line = "  ";
  line += name;
  line.resize(19, ' ');
  out << line << value << '\n';
}

// Message counts, the most frequent first.
std::vector<std::pair<int, std::int64_t>> Counts(const DemoInfo& info) {
  std::vector<std::pair<int, std::int64_t>> counts;
  for (std::size_t type = 0; type < info.messageCounts.size(); ++type) {
    if (info.messageCounts[type] > 0) counts.emplace_back(static_cast<int>(type), info.messageCounts[type]);
  }
  std::stable_sort(counts.begin(), counts.end(), [](const auto& a, const auto& b) { return a.second > b.second; });
  return counts;
}

std::string Problems(const DemoInfo& info) {
  if (info.problemCount == 0) return "none";
  const StreamProblem& first = info.firstProblem;
  std::string where = first.block == 0 ? "the first line" : "block " + std::to_string(first.block);
  return std::to_string(info.problemCount) + ", the first in " + where + " at byte " + std::to_string(first.offset) +
         ": " + first.what;
}

const LevelInfo* FirstExit(const DemoInfo& info) {
  for (const LevelInfo& level : info.levels) {
    if (level.exitTime) return &level;
  }
  return nullptr;
}

}  // namespace

std::string ExitTimeText(float exit) {
  std::string text;
  AppendExitTime(text, exit);
  return text;
}

void WriteInfoText(const DemoInfo& info, std::ostream& out) {
  out << info.path << '\n';
  if (!info.openError.empty()) {
    out << "  " << info.openError << '\n';
    return;
  }
  if (info.unreadable) {
    Field(out, "protocol",
          std::to_string(info.protocol) + " (only protocols 15, 666 and 999 can be read: nothing more is read)");
    return;
  }
  Field(out, "protocol", info.protocol == 0 ? "none (no server info)" : std::to_string(info.protocol));
  std::string maps, tracks, times, exits;
  for (std::size_t i = 0; i < info.levels.size(); ++i) {
    const LevelInfo& level = info.levels[i];
    const std::string separator = i == 0 ? "" : "; ";
    const std::string which = info.levels.size() > 1 ? " (level " + std::to_string(i + 1) + ")" : "";
    maps +=
        separator + (level.Map().empty() ? "none" : ShownText(level.Map())) + " \"" + ShownText(level.levelName) + "\"";
    if (level.cdTrack) tracks += separator + std::to_string(*level.cdTrack) + which;
    if (level.timeSeen)
      times += separator + Fixed(level.firstTime, 2) + " to " + Fixed(level.lastTime, 2) + " s" + which;
    if (level.exitTime) exits += separator + ExitTimeText(*level.exitTime) + which;
  }
  Field(out, "map", maps.empty() ? "none" : maps);
  Field(out, "CD track", (tracks.empty() ? "none" : tracks) + " (first line: \"" + ShownText(info.firstLine) + "\")");
  Field(out, "blocks", std::to_string(info.blocks));
  Field(out, "levels", std::to_string(info.levels.size()));
  Field(out, "demo time", times.empty() ? "none" : times + " (" + Fixed(info.Duration(), 2) + " s)");
  Field(out, "exit time", exits.empty() ? "none (no intermission)" : exits);
  Field(out, "player path", Fixed(info.PlayerPath(), 0) + " units");
  Field(out, "longest block",
        info.blocks == 0
            ? "none"
            : "block " + std::to_string(info.longestBlock) + ", " + std::to_string(info.longestBlockBytes) + " bytes");
  std::string line;
  bool first = true;
  for (const auto& [type, count] : Counts(info)) {
    const std::string item = MessageName(type) + " " + std::to_string(count);
    if (!line.empty() && line.size() + item.size() + 2 > kLineWidth - 19) {
      Field(out, first ? "messages" : "", line + ",");
      first = false;
      line.clear();
    }
    line += (line.empty() ? "" : ", ") + item;
  }
  Field(out, first ? "messages" : "", line.empty() ? "none" : line);
  Field(out, "stream problems", Problems(info));
}

void WriteInfoJson(const DemoInfo& info, std::ostream& out) {
  out << "{\"file\":" << JsonString(info.path);
  if (!info.openError.empty()) {
    out << ",\"error\":" << JsonString(info.openError) << "}\n";
    return;
  }
  out << ",\"protocol\":" << info.protocol << ",\"readable\":" << (info.unreadable ? "false" : "true");
  if (info.unreadable) {
    out << "}\n";
    return;
  }
  const LevelInfo* firstLevel = info.levels.empty() ? nullptr : &info.levels.front();
  const LevelInfo* exitLevel = FirstExit(info);
  out << ",\"firstLine\":" << JsonString(info.firstLine);
  out << ",\"map\":" << JsonString(firstLevel ? firstLevel->Map() : "");
  out << ",\"levelName\":" << JsonString(firstLevel ? firstLevel->levelName : "");
  out << ",\"cdTrack\":" << (firstLevel && firstLevel->cdTrack ? std::to_string(*firstLevel->cdTrack) : "null");
  out << ",\"blocks\":" << info.blocks << ",\"levelCount\":" << info.levels.size();
  out << ",\"duration\":" << JsonNumber(info.Duration());
  out << ",\"exitTime\":" << (exitLevel ? JsonNumber(*exitLevel->exitTime) : "null");
  out << ",\"exitTimeText\":" << (exitLevel ? JsonString(ExitTimeText(*exitLevel->exitTime)) : "null");
  out << ",\"playerPath\":" << JsonTenths(info.PlayerPath());
  out << ",\"longestBlock\":{\"block\":" << info.longestBlock << ",\"bytes\":" << info.longestBlockBytes << "}";
  out << ",\"messages\":{";
  bool first = true;
  for (const auto& [type, count] : Counts(info)) {
    out << (first ? "" : ",") << JsonString(MessageName(type)) << ":" << count;
    first = false;
  }
  out << "},\"problems\":{\"count\":" << info.problemCount << ",\"first\":";
  if (info.problemCount == 0) {
    out << "null";
  } else {
    out << "{\"block\":" << info.firstProblem.block << ",\"offset\":" << info.firstProblem.offset
        << ",\"what\":" << JsonString(info.firstProblem.what) << "}";
  }
  out << "},\"levels\":[";
  for (std::size_t i = 0; i < info.levels.size(); ++i) {
    const LevelInfo& level = info.levels[i];
    out << (i == 0 ? "" : ",") << "{\"map\":" << JsonString(level.Map())
        << ",\"levelName\":" << JsonString(level.levelName)
        << ",\"cdTrack\":" << (level.cdTrack ? std::to_string(*level.cdTrack) : "null")
        << ",\"firstTime\":" << (level.timeSeen ? JsonNumber(level.firstTime) : "null")
        << ",\"lastTime\":" << (level.timeSeen ? JsonNumber(level.lastTime) : "null")
        << ",\"exitTime\":" << (level.exitTime ? JsonNumber(*level.exitTime) : "null")
        << ",\"viewEntity\":" << level.viewEntity << "}";
  }
  out << "]}\n";
}

void WriteEntitiesText(const DemoInfo& info, std::ostream& out) {
  out << info.path << '\n';
  if (!info.openError.empty() || info.unreadable) {
    out << "  " << (info.unreadable ? "protocol " + std::to_string(info.protocol) + " is not read" : info.openError)
        << '\n';
    return;
  }
  char line[256];
  for (std::size_t i = 0; i < info.levels.size(); ++i) {
    const LevelInfo& level = info.levels[i];
    if (info.levels.size() > 1) out << "level " << i + 1 << ": " << ShownText(level.Map()) << '\n';
    std::snprintf(line, sizeof line, "  %-7s %-22s %9s %9s %8s %9s  %-20s  %s\n", "entity", "model", "first s",
                  "last s", "updates", "travelled", "first at", "last at");
    out << line;
    for (std::size_t entity = 1; entity < level.entities.size(); ++entity) {
      const EntityRecord& record = level.entities[entity];
      if (!record.present) continue;
      const bool seen = record.updates > 0;
      std::snprintf(line, sizeof line, "  %-7s %-22s %9s %9s %8d %9.0f  %-20s  %s\n",
                    ("e" + std::to_string(entity)).c_str(),
                    ShownText(level.EntityName(static_cast<int>(entity))).c_str(),
                    seen ? Fixed(record.firstTime, 2).c_str() : "-", seen ? Fixed(record.lastTime, 2).c_str() : "-",
                    record.updates, record.distance, Place(record.first).c_str(), Place(record.last).c_str());
      out << line;
    }
  }
}

void WriteEntitiesJson(const DemoInfo& info, std::ostream& out) {
  out << "{\"file\":" << JsonString(info.path);
  if (!info.openError.empty()) {
    out << ",\"error\":" << JsonString(info.openError) << "}\n";
    return;
  }
  out << ",\"protocol\":" << info.protocol << ",\"readable\":" << (info.unreadable ? "false" : "true")
      << ",\"entities\":[";
  bool first = true;
  for (std::size_t i = 0; i < info.levels.size(); ++i) {
    const LevelInfo& level = info.levels[i];
    for (std::size_t entity = 1; entity < level.entities.size(); ++entity) {
      const EntityRecord& record = level.entities[entity];
      if (!record.present) continue;
      const bool seen = record.updates > 0;
      out << (first ? "" : ",") << "{\"level\":" << i + 1 << ",\"entity\":" << entity
          << ",\"name\":" << JsonString(level.EntityName(static_cast<int>(entity))) << ",\"models\":[";
      for (std::size_t m = 0; m < record.models.size(); ++m) {
        const auto model = static_cast<std::size_t>(record.models[m]);
        out << (m == 0 ? "" : ",") << JsonString(model < level.models.size() ? level.models[model] : "");
      }
      out << "],\"updates\":" << record.updates << ",\"firstTime\":" << (seen ? JsonNumber(record.firstTime) : "null")
          << ",\"lastTime\":" << (seen ? JsonNumber(record.lastTime) : "null")
          << ",\"distance\":" << JsonTenths(record.distance) << ",\"first\":" << JsonPoint(record.first)
          << ",\"last\":" << JsonPoint(record.last) << "}";
      first = false;
    }
  }
  out << "]}\n";
}

}  // namespace cw
