// A reader that passes over an update's fields (the survey's) must end
// where the one that decodes them ends, for every combination of bits and
// every width of every protocol.

#include "stream/message_reader.h"

#include <gtest/gtest.h>

#include <vector>

#include "base/protocol.h"
#include "stream/block.h"

namespace cw {
namespace {

// Notes where the update's reading ended; every other message is ignored.
struct EndOfUpdate : IgnoredMessages {
  const CBlock& in;
  int end = -1;
  explicit EndOfUpdate(const CBlock& block) : in(block) {}
};

struct Decoding : EndOfUpdate {
  using EndOfUpdate::EndOfUpdate;
  void EntityUpdate(int, const EntityUpdateFields&) { end = in.Position(); }
};

struct PassingOver : EndOfUpdate {
  using EndOfUpdate::EndOfUpdate;
  void EntitySeen(int, int) { end = in.Position(); }
};

template <typename Handler>
int EndOf(CBlock& block, const std::vector<std::uint8_t>& message, const StreamState& stream) {
  block.Load(message.data(), static_cast<int>(message.size()));
  Handler handler(block);
  StreamState state = stream;
  reading::Message(block, state, handler, 0);
  return handler.end;
}

TEST(MessageReader, AnUpdatePassedOverEndsWhereItsDecodingEnds) {
  const std::pair<int, std::uint32_t> streams[] = {
      {kProtocolVersion, 0},
      {kProtocolFitzQuake, 0},
      {kProtocolRmq, PRFL_24BITCOORD | PRFL_SHORTANGLE},
      {kProtocolRmq, PRFL_FLOATCOORD | PRFL_FLOATANGLE},
      {kProtocolRmq, PRFL_INT32COORD},
  };
  CBlock block;
  for (const auto& [protocol, flags] : streams) {
    StreamState stream;
    stream.protocol = protocol;
    stream.protocolFlags = flags;
    for (int value = 0; value < 0x10000; ++value) {
      const int bits = value | U_MOREBITS;
      std::vector<std::uint8_t> message = {static_cast<std::uint8_t>(kEntityUpdateBit | (bits & 0x7F)),
                                           static_cast<std::uint8_t>(bits >> 8)};
      // The extension bytes take every value as the low bytes go round.
      if (stream.Extended() && (bits & U_EXTEND1)) message.push_back(static_cast<std::uint8_t>(value * 37));
      if (stream.Extended() && (bits & U_EXTEND1) && (message.back() & 0x80)) message.push_back(0);
      message.resize(message.size() + 64, 0);
      const int decoded = EndOf<Decoding>(block, message, stream);
      ASSERT_GT(decoded, 0);
      ASSERT_EQ(EndOf<PassingOver>(block, message, stream), decoded)
          << protocol << " flags " << flags << " bits " << bits;
    }
  }
}

struct DamageSeen : IgnoredMessages {
  int at = -1;
  void Damaged(int start) { at = start; }
};

// The reader reads a type in exactly the protocols the message table gives
// it: a type byte followed by zeros (a version names its own protocol) is a
// whole message there, and damage where the type stands elsewhere.
TEST(MessageReader, ReadsEachTypeInTheProtocolsOfTheMessageTable) {
  CBlock block;
  for (const int protocol : {kProtocolVersion, kProtocolFitzQuake, kProtocolRmq}) {
    for (int type = 0; type < kEntityUpdateBit; ++type) {
      std::vector<std::uint8_t> message(64, 0);
      message[0] = static_cast<std::uint8_t>(type);
      if (type == svc_version) {
        message[1] = static_cast<std::uint8_t>(protocol & 0xFF);
        message[2] = static_cast<std::uint8_t>(protocol >> 8);
      }
      block.Load(message.data(), static_cast<int>(message.size()));
      StreamState stream;
      stream.protocol = protocol;
      DamageSeen handler;
      ReadMessages(block, stream, handler);
      EXPECT_EQ(handler.at != 0, CarriedIn(type, protocol)) << "type " << type << " protocol " << protocol;
    }
  }
}

}  // namespace
}  // namespace cw
