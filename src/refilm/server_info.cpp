#include <string_view>

#include "base/protocol.h"
#include "refilm/map_keeping.h"
#include "refilm/message_handlers.h"
#include "refilm/refilm_context.h"
#include "refilm/script_effects.h"
#include "stream/block.h"

namespace cw {
namespace {

// Fills a name table from index 1, the empty end name included, and leaves
// `count` one past the last index filled. Names past the table's end are
// still in the message; only the table has no room for them.
template <typename Names>
void RecordNameList(const NameList& list, Names& names, int& count) {
  count = 1;
  auto record = [&](std::string_view name) {
    if (count < static_cast<int>(names.size())) names[static_cast<std::size_t>(count++)].assign(name);
  };
  list.ForEach(record);
  record({});
}

// A new level of the same demo: the run's clocks start again with its time,
// which its first svc_time gives.
void StartNextLevel(RefilmContext& context) {
  RunFlags& run = context.run;
  run.refilming = run.filming;
  run.demoTime = 0;
  run.exitTime = 0;
  run.lastWrittenTime = 0;
  run.lastBlockTime = 0;
  context.edits.lastTimeShown = 0;
}

}  // namespace

void MessageHandlers::ServerInfo(int start, const ServerInfoFields& info) {
  ParserValues& parser = context.parser;
  parser.serverInfoSeen = true;
  parser.protocol = info.protocol;
  parser.levelName.assign(info.levelName.substr(0, kLevelNameLimit));
  RecordNameList(info.models, parser.modelNames, parser.modelCount);
  parser.soundNames.resize(static_cast<std::size_t>(SoundListSize(context.stream)));
  RecordNameList(info.sounds, parser.soundNames, parser.soundCount);
  context.entities.ForgetBaselines();
  // A level whose map cannot be read keeps the script's camera; the run
  // already refused a first map that could not be.
  if (context.options.keepInMap) EnterLevelMap(context, parser.modelNames[1]);

  // Each level has its own exit; what happened at the last one is forgotten.
  if (parser.levelsSeen > 0) StartNextLevel(context);
  const auto level = static_cast<std::size_t>(parser.levelsSeen++);
  parser.exactExitTime = level < parser.levelExitTimes.size() ? parser.levelExitTimes[level] : 0.0f;

  const int mark = out.Mark();
  Copy(start);
  // The message cannot be split: what the script's sounds add must leave it
  // within the limit of the block it came in.
  const int limit = in.Length() <= kPlayableBlock ? kPlayableBlock : kMaxResultBlock;
  ExtendSoundList(context, out, limit - (out.Mark() - mark));
}

}  // namespace cw
