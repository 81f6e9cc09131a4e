#include <string_view>

#include "base/protocol.h"
#include "refilm/message_handlers.h"
#include "refilm/refilm_context.h"
#include "refilm/script_effects.h"
#include "stream/block.h"

namespace cw {
namespace {

// Skips a list of names ended by an empty one.
void SkipNameList(CBlock& in) {
  while (!in.ReadString().empty()) {
  }
}

// Fills a name table from index 1, the empty end name included, and leaves
// `count` one past the last index filled. Names past the table's end are
// still in the message; only the table has no room for them.
void RecordNameList(CBlock& in, std::array<std::string, kNameTableSize>& names, int& count) {
  count = 1;
  for (;;) {
    const std::string_view name = in.ReadString();
    if (count < kNameTableSize) {
      names[static_cast<std::size_t>(count)].assign(name);
      ++count;
    }
    if (name.empty()) return;
  }
}

}  // namespace

void HandleServerInfo(RefilmContext& context, CBlock& in, CBlock& out, int start) {
  // First make sure the whole message is in the block, so that a cut message
  // leaves the name tables as they were.
  const int fields = in.cursor;
  in.ReadLong();
  in.ReadByte();
  in.ReadByte();
  in.ReadString();
  SkipNameList(in);
  SkipNameList(in);
  in.cursor = fields;

  ParserValues& parser = context.parser;
  parser.serverInfoSeen = true;
  parser.protocol = in.ReadLong();
  in.ReadByte();  // maximum clients
  in.ReadByte();  // game type
  parser.levelName.assign(in.ReadString().substr(0, kLevelNameLimit));
  RecordNameList(in, parser.modelNames, parser.modelCount);
  RecordNameList(in, parser.soundNames, parser.soundCount);
  context.entities.ForgetBaselines();

  const int mark = out.Mark();
  CopyMessage(in, out, start);
  // The message cannot be split: what the script's sounds add must leave it
  // within the limit of the block it came in.
  const int limit = in.length <= kPlayableBlock ? kPlayableBlock : kMaxResultBlock;
  ExtendSoundList(context, out, limit - (out.Mark() - mark));
}

}  // namespace cw
