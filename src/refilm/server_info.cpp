#include <string_view>

#include "base/protocol.h"
#include "refilm/message_handlers.h"
#include "refilm/refilm_context.h"
#include "refilm/script_effects.h"
#include "stream/block.h"

namespace cw {
namespace {

// Fills a name table from index 1, the empty end name included, and leaves
// `count` one past the last index filled. Names past the table's end are
// still in the message; only the table has no room for them.
void RecordNameList(const NameList& list, std::array<std::string, kNameTableSize>& names, int& count) {
  count = 1;
  auto record = [&](std::string_view name) {
    if (count < kNameTableSize) names[static_cast<std::size_t>(count++)].assign(name);
  };
  list.ForEach(record);
  record({});
}

}  // namespace

void MessageHandlers::ServerInfo(int start, const ServerInfoFields& info) {
  ParserValues& parser = context.parser;
  parser.serverInfoSeen = true;
  parser.protocol = info.protocol;
  parser.levelName.assign(info.levelName.substr(0, kLevelNameLimit));
  RecordNameList(info.models, parser.modelNames, parser.modelCount);
  RecordNameList(info.sounds, parser.soundNames, parser.soundCount);
  context.entities.ForgetBaselines();

  const int mark = out.Mark();
  Copy(start);
  // The message cannot be split: what the script's sounds add must leave it
  // within the limit of the block it came in.
  const int limit = in.Length() <= kPlayableBlock ? kPlayableBlock : kMaxResultBlock;
  ExtendSoundList(context, out, limit - (out.Mark() - mark));
}

}  // namespace cw
