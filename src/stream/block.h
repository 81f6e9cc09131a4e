#pragma once
// One demo block in memory, with the bounds-checked reader operations used on
// an input block and the writer operations used on an output block.

#include <cstdint>
#include <cstring>
#include <iosfwd>
#include <string_view>
#include <vector>

#include "base/vec3.h"

namespace cw {

// Thrown when a message runs past its block or is not a message of the protocol.
// Caught once, by the message loop, which then copies the rest of the block.
struct BadMessage {};

enum class ReadStatus {
  Block,      // a whole block was read
  End,        // the file ended cleanly before a block header
  Truncated,  // the file ended inside the message bytes: the bytes read form the block
  Damaged,    // a broken header (cut short, or a length out of range): reading stops
};

class CBlock {
 public:
  CBlock();
  virtual ~CBlock() = default;
  CBlock(const CBlock&) = delete;
  CBlock& operator=(const CBlock&) = delete;

  // --- file operations -------------------------------------------------
  // Reads the next block; its view angles go to `angles`. On End and Damaged
  // the block holds the end marker.
  ReadStatus ReadFrom(std::istream& in, Vec3& angles);
  // True when no block could be read, or when the block's bytes begin with
  // the end marker "ABCDEFG" and a zero.
  bool IsEndMarker() const;
  // Writes the length, `angles` and the message bytes.
  void WriteTo(std::ostream& out, const Vec3& angles) const;
  // Writes the block as one or more blocks of at most `limit` bytes, cut
  // greedily at message boundaries. A single message longer than the limit
  // would make a block that no engine plays: it is left out, and the result
  // is false.
  bool WriteSplitTo(std::ostream& out, const Vec3& angles, int limit) const;
  void Reset();

  // Calls `visit(begin, end)` for each message, in order: the bytes from
  // each start that BeginMessage noted to the next (and any bytes before the
  // first start, as one message of their own).
  template <typename Visit>
  void ForEachMessage(Visit visit) const;

  // The number of message bytes.
  int Length() const { return length; }
  // Makes this an input block holding `count` bytes, read from the start.
  void Load(const std::uint8_t* bytes, int count);

  // --- reader operations (input block) --------------------------------
  bool AtEnd() const { return cursor >= length; }
  int Remaining() const { return length - cursor; }
  // Where the next read begins; a message's start, for RewindTo.
  int Position() const { return cursor; }
  // Passes over `count` bytes; BadMessage when they run past the block.
  void Skip(int count) {
    Need(count);
    cursor += count;
  }
  // Back to a position read before.
  void RewindTo(int position);
  // Passes over everything that is left.
  void SkipRest() { cursor = length; }
  std::uint8_t ReadByte();
  std::int16_t ReadShort();
  std::int32_t ReadLong();
  float ReadFloat();
  // The zero-terminated text at the cursor, without its terminator; the
  // cursor moves past the terminator. The view points into the block.
  std::string_view ReadString();

  // --- writer operations (output block) -------------------------------
  // Notes that a message starts at the cursor; the split writer cuts there.
  void BeginMessage();
  void PutByte(int value);
  void PutShort(int value);
  void PutLong(std::int32_t value);
  void PutFloat(float value);
  // The text as the game will read it (to its first zero, at most 2047
  // characters) and a zero terminator.
  void PutString(std::string_view text);
  void PutBytes(const std::uint8_t* bytes, int count);
  // The input's bytes from `from` to its read position, unchanged.
  void CopyFrom(const CBlock& input, int from);
  // The bytes from `begin` to `end` of another block, as one message.
  void PutMessage(const CBlock& from, int begin, int end);
  int Mark() const { return cursor; }
  void Rewind(int mark);
  void UnputByte();

  const std::uint8_t* Data() const { return data.data(); }
  std::uint8_t* Data() { return data.data(); }

 private:
  void Need(int count) const {  // reader: throws BadMessage past `length`
    if (count > length - cursor) throw BadMessage{};
  }
  std::uint8_t* Room(int count);  // writer: grows the buffer when needed
  void Grow(int count);

  int length = 0;
  int cursor = 0;
  std::vector<std::uint8_t> data;
  std::vector<int> messageStarts;
  bool endReached = false;
};

// The operations of every message, inline: a block of small messages
// calls them millions of times.

inline std::uint8_t CBlock::ReadByte() {
  Need(1);
  return data[static_cast<std::size_t>(cursor++)];
}

inline std::int16_t CBlock::ReadShort() {
  Need(2);
  const std::uint8_t* p = data.data() + cursor;
  cursor += 2;
  return static_cast<std::int16_t>(static_cast<std::uint16_t>(p[0] | p[1] << 8));
}

inline std::uint8_t* CBlock::Room(int count) {
  if (static_cast<std::size_t>(cursor) + static_cast<std::size_t>(count) > data.size()) Grow(count);
  std::uint8_t* p = data.data() + cursor;
  cursor += count;
  length += count;
  return p;
}

inline void CBlock::BeginMessage() {
  if (messageStarts.empty() || messageStarts.back() != cursor) messageStarts.push_back(cursor);
}

inline void CBlock::PutByte(int value) { *Room(1) = static_cast<std::uint8_t>(value); }

inline void CBlock::PutShort(int value) {
  std::uint8_t* p = Room(2);
  p[0] = static_cast<std::uint8_t>(value);
  p[1] = static_cast<std::uint8_t>(static_cast<unsigned>(value) >> 8);
}

inline void CBlock::PutBytes(const std::uint8_t* bytes, int count) {
  if (count <= 0) return;
  std::memcpy(Room(count), bytes, static_cast<std::size_t>(count));
}

template <typename Visit>
void CBlock::ForEachMessage(Visit visit) const {
  int begin = 0;
  for (const int start : messageStarts) {
    if (start > begin) visit(begin, start);
    begin = start;
  }
  if (length > begin) visit(begin, length);
}

inline void CBlock::PutMessage(const CBlock& from, int begin, int end) {
  if (begin < 0 || end > from.length || begin >= end) return;
  BeginMessage();
  PutBytes(from.data.data() + begin, end - begin);
}

// Inline: every message the refilm leaves as it is passes through here.
inline void CBlock::CopyFrom(const CBlock& input, int from) {
  if (from < 0 || from > input.cursor) return;
  PutBytes(input.data.data() + from, input.cursor - from);
}

}  // namespace cw
