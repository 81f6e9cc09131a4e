#include "console/info_command.h"

#include <new>
#include <ostream>
#include <sstream>

#include "console/exit_status.h"
#include "console/info_questions.h"
#include "console/subcommand_kit.h"
#include "inspect/demo_info.h"
#include "inspect/info_report.h"

namespace cw {
namespace {

constexpr const char* kInfoUsage =
    "Usage: camwright-cli info [--json] DEMO.dem...\n"
    "  or:  camwright-cli info --entities [--json] DEMO.dem...\n"
    "  or:  camwright-cli info --at T [--entity N] [--level N] [--json] DEMO.dem...\n"
    "  or:  camwright-cli info --timeline [--level N] [--json] DEMO.dem...\n";

constexpr const char* kInfoHelp =
    "Tells what a demo holds, without refilming it: the network protocol, the\n"
    "map and the level's name, the CD track, the number of blocks and of levels,\n"
    "the demo time from the first to the last svc_time of each level, the exit\n"
    "time (the intermission) as the printed exit time shows it, the length of\n"
    "the player's path in map units, the count of each message type, the\n"
    "longest block, and the stream problems met, with the block and the byte\n"
    "offset of the first. A demo of a protocol that Camwright does not read\n"
    "tells its protocol and no more.\n"
    "\n"
    "With --entities, one line per entity number instead: its model (a player\n"
    "is \"player N\"), the demo times of its first and last update, its number\n"
    "of updates, the distance it travelled, and where it was first and last.\n"
    "Its number is what a script writes as \"e17\".\n"
    "\n"
    "With --at T, the moment T (demo seconds, in the level's clock) instead:\n"
    "where the player stands (the entity the demo is seen through, or\n"
    "--entity N), its angles and velocity, and from the client data its health,\n"
    "armour, weapon, ammunition and items, ending in the lines \"T stay X Y Z\"\n"
    "and \"T view X Y Z\" (256 units ahead of the eyes) ready to paste into a\n"
    "script. The place lies between the entity's updates around T, as the game\n"
    "shows it.\n"
    "\n"
    "With --timeline, the demo's events with their times instead: level starts\n"
    "and map names, kills and secrets (counted, out of the level's totals),\n"
    "item pickups (items and counts gained, bonus flashes), items lost, damage\n"
    "taken (armour and blood), deaths, centerprinted texts, the intermission\n"
    "(with its exit time), the finale and level ends.\n"
    "\n"
    "Options:\n"
    "  -e, --entities  list the entities\n"
    "  -t, --timeline  list the demo's events\n"
    "      --at T      the moment T of the player or of --entity\n"
    "      --entity N  with --at: entity N (\"7\" or \"e7\") instead of the player\n"
    "      --level N   with --at or --timeline: level N of a demo of several\n"
    "                  levels (from 1; --at takes level 1 without it)\n"
    "      --json      one JSON object per demo, each on a line of its own\n"
    "  -h, --help      print this help and exit\n"
    "\n"
    "The JSON keys of info: file, protocol, readable, firstLine, map, levelName,\n"
    "cdTrack, blocks, levelCount, duration, exitTime, exitTimeText, playerPath,\n"
    "longestBlock {block, bytes}, messages {type: count}, problems {count, first\n"
    "{block, offset, what}}, levels [{map, levelName, cdTrack, firstTime,\n"
    "lastTime, exitTime, viewEntity}]. Of --entities: file, protocol, readable,\n"
    "entities [{level, entity, name, models, updates, firstTime, lastTime,\n"
    "distance, first [x, y, z], last [x, y, z]}]. Of --at: file, protocol,\n"
    "readable, level, levelCount, map, time, entity, player, name, updates\n"
    "[time...], origin, angles, velocity, and for the player health, armor,\n"
    "armorKind, weapon, weaponModel, ammo {current, kind, shells, nails,\n"
    "rockets, cells}, items [name...]; then script, view. Of --timeline: file,\n"
    "protocol, readable, levelCount, events [{level, time, kind, ...}], kind one\n"
    "of level {map, levelName}, kill and secret {count, total}, pickup {items,\n"
    "gains {what: amount}, flash}, loss {items}, bonus, damage {amount, armor,\n"
    "blood}, death and respawn {health}, centerprint, finale and cutscene\n"
    "{text}, intermission {exitTimeText}, end. Times are demo seconds,\n"
    "distances map units; what the demo does not tell is null. A demo that\n"
    "cannot be read gives {file, error}.\n"
    "\n"
    "Exit status: 0 every demo was read whole, 1 refused (a demo missing or no\n"
    "file, a mistake in the words, no such level, entity or moment), 2 a demo is\n"
    "damaged or of a protocol that is not read.\n";

constexpr OptionSpec kInfoOptions[] = {kHelpOption,         {"entities", 'e'},  {"json"},         {"at", 0, true},
                                       {"entity", 0, true}, {"level", 0, true}, {"timeline", 't'}};

constexpr const char* kOutOfMemory = "there is not enough memory to read it";

// What a demo holds; a demo too big for the memory at hand is an error of
// its own, not the end of the program, and the demos after it are still read.
DemoInfo ReadSafely(const std::string& path) {
  try {
    return ReadDemoInfo(path);
  } catch (const std::bad_alloc&) {
  }
  DemoInfo info;
  info.path = path;
  info.openError = kOutOfMemory;
  return info;
}

std::string OpenProblem(const DemoInfo& info) {
  if (info.openError == kOutOfMemory) return "The demo " + Quoted(info.path) + " cannot be read: " + kOutOfMemory;
  const std::string problem = InputProblem("The demo", info.path);
  return problem.empty() ? "The demo " + Quoted(info.path) + " cannot be read" : problem;
}

// One demo's report; false when there was not memory enough to write it.
bool WriteReport(const DemoInfo& info, bool json, bool entities, std::ostream& out) {
  try {
    std::ostringstream report;
    if (json) {
      (entities ? WriteEntitiesJson : WriteInfoJson)(info, report);
    } else {
      (entities ? WriteEntitiesText : WriteInfoText)(info, report);
    }
    out << report.str();
    return true;
  } catch (const std::bad_alloc&) {
    return false;
  }
}

}  // namespace

int InfoCommand(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err) {
  const CommandLine line = ParseCommandLine(arguments, kInfoOptions);
  if (!line.mistake.empty()) return Mistake(err, line.mistake, kInfoUsage);
  if (line.Has("help")) return Help(out, kInfoUsage, kInfoHelp);
  if (line.operands.empty()) {
    err << kInfoUsage;
    return kExitRefused;
  }
  InfoQuestion question;
  std::string mistake;
  if (!ReadInfoQuestion(line, question, mistake)) return Mistake(err, mistake, kInfoUsage);
  const bool json = line.Has("json");
  const bool entities = line.Has("entities");
  int status = kExitDone;
  for (const std::string& path : line.operands) {
    if (question.at || question.timeline) {
      const int answered = (question.at ? AnswerMoment : AnswerTimeline)(path, question, json, out, err);
      if (answered == kExitRefused || (answered == kExitProblems && status == kExitDone)) status = answered;
      continue;
    }
    DemoInfo info = ReadSafely(path);
    if (!info.openError.empty()) {
      err << "Error: " << OpenProblem(info) << '\n';
      status = kExitRefused;
      if (!json) continue;
    } else if ((info.unreadable || info.problemCount > 0) && status == kExitDone) {
      status = kExitProblems;
    }
    if (!WriteReport(info, json, entities, out)) {
      info = DemoInfo{};
      info.path = path;
      info.openError = kOutOfMemory;
      err << "Error: " << OpenProblem(info) << '\n';
      status = kExitRefused;
      if (json) WriteInfoJson(info, out);
    }
  }
  return out.flush() ? status : kExitRefused;
}

}  // namespace cw
