#pragma once
// One demo block in memory, with the bounds-checked reader operations used on
// an input block and the writer operations used on an output block.

#include <cstdint>
#include <iosfwd>
#include <string_view>
#include <vector>

#include "demo/vec3.h"

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

// Reads and drops a demo's first line (its CD track line), up to and
// including the first line feed, or to the end of the stream.
void SkipFirstLine(std::istream& in);

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
  // greedily at message boundaries; a single longer message keeps a block of
  // its own.
  void WriteSplitTo(std::ostream& out, const Vec3& angles, int limit) const;
  void Reset();

  // --- reader operations (input block) --------------------------------
  bool AtEnd() const { return cursor >= length; }
  int Remaining() const { return length - cursor; }
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
  void CopyBytes(CBlock& input, int count);
  int Mark() const { return cursor; }
  void Rewind(int mark);
  void UnputByte();

  const std::uint8_t* Data() const { return data.data(); }
  std::uint8_t* Data() { return data.data(); }

  int length = 0;
  int cursor = 0;

 private:
  void Need(int count) const;  // reader: throws BadMessage past `length`
  std::uint8_t* Room(int count);  // writer: grows the buffer when needed

  std::vector<std::uint8_t> data;
  std::vector<int> messageStarts;
  bool endReached = false;
};

}  // namespace cw
