#include "stream/block.h"

#include <algorithm>
#include <cstring>
#include <istream>
#include <ostream>

#include "base/protocol.h"

namespace cw {
namespace {

constexpr char kEndMarker[8] = {'A', 'B', 'C', 'D', 'E', 'F', 'G', '\0'};

// The output of a block of the largest input size plus what a run injects
// fits without growing; only the rare bigger block makes the buffer grow.
constexpr std::size_t kInitialCapacity = 2 * kMaxInputBlock;

std::int32_t LoadLong(const std::uint8_t* p) {
  std::uint32_t v = static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
                    static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
  return static_cast<std::int32_t>(v);
}

float LoadFloat(const std::uint8_t* p) {
  std::uint32_t bits = static_cast<std::uint32_t>(LoadLong(p));
  float f;
  std::memcpy(&f, &bits, sizeof f);
  return f;
}

void StoreLong(std::uint8_t* p, std::int32_t value) {
  auto v = static_cast<std::uint32_t>(value);
  p[0] = static_cast<std::uint8_t>(v);
  p[1] = static_cast<std::uint8_t>(v >> 8);
  p[2] = static_cast<std::uint8_t>(v >> 16);
  p[3] = static_cast<std::uint8_t>(v >> 24);
}

void StoreFloat(std::uint8_t* p, float value) {
  std::uint32_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  StoreLong(p, static_cast<std::int32_t>(bits));
}

// Straight into the stream's buffer, as blocks are read: the stream's own
// checks around each piece cost more than the copy. A short write marks the
// stream bad, as its own write would.
void WriteBytes(std::ostream& out, const std::uint8_t* bytes, std::size_t count) {
  if (!out.good()) return;
  std::streambuf* buffer = out.rdbuf();
  const auto size = static_cast<std::streamsize>(count);
  if (buffer == nullptr || buffer->sputn(reinterpret_cast<const char*>(bytes), size) != size) {
    out.setstate(std::ios_base::badbit);
  }
}

void WriteHeader(std::ostream& out, int length, const Vec3& angles) {
  std::uint8_t header[kBlockHeaderSize];
  StoreLong(header, length);
  for (int i = 0; i < 3; ++i) StoreFloat(header + 4 + 4 * i, angles[static_cast<std::size_t>(i)]);
  WriteBytes(out, header, sizeof header);
}

}  // namespace

CBlock::CBlock() : data(kInitialCapacity) { messageStarts.reserve(kInitialCapacity); }

ReadStatus CBlock::ReadFrom(std::istream& in, Vec3& angles) {
  Reset();
  endReached = true;
  std::memcpy(data.data(), kEndMarker, sizeof kEndMarker);

  // Straight from the stream's buffer: a block is read in two pieces, and
  // the stream's own checks around each piece cost more than the copy.
  std::streambuf* buffer = in.rdbuf();
  if (buffer == nullptr) return ReadStatus::End;
  std::uint8_t header[kBlockHeaderSize];
  const auto got = static_cast<int>(buffer->sgetn(reinterpret_cast<char*>(header), sizeof header));
  if (got == 0) return ReadStatus::End;
  if (got < kBlockHeaderSize) return ReadStatus::Damaged;

  const std::int32_t stated = LoadLong(header);
  if (stated < 0 || stated > kMaxInputBlock) return ReadStatus::Damaged;
  for (int i = 0; i < 3; ++i) angles[static_cast<std::size_t>(i)] = LoadFloat(header + 4 + 4 * i);

  length = static_cast<int>(buffer->sgetn(reinterpret_cast<char*>(data.data()), stated));
  endReached = false;
  return length == stated ? ReadStatus::Block : ReadStatus::Truncated;
}

bool CBlock::IsEndMarker() const {
  if (endReached) return true;
  return length >= static_cast<int>(sizeof kEndMarker) && std::memcmp(data.data(), kEndMarker, sizeof kEndMarker) == 0;
}

void CBlock::WriteTo(std::ostream& out, const Vec3& angles) const {
  WriteHeader(out, length, angles);
  WriteBytes(out, data.data(), static_cast<std::size_t>(length));
}

bool CBlock::WriteSplitTo(std::ostream& out, const Vec3& angles, int limit) const {
  bool whole = true;
  int begin = 0;
  std::size_t next = 0;  // first message start after `begin`
  do {
    int end = length;
    if (length - begin > limit) {
      while (next < messageStarts.size() && messageStarts[next] <= begin) ++next;
      end = begin;
      std::size_t probe = next;
      for (; probe < messageStarts.size() && messageStarts[probe] - begin <= limit; ++probe) end = messageStarts[probe];
      if (end == begin) {
        whole = false;
        begin = probe < messageStarts.size() ? messageStarts[probe] : length;
        continue;
      }
    }
    WriteHeader(out, end - begin, angles);
    WriteBytes(out, data.data() + begin, static_cast<std::size_t>(end - begin));
    begin = end;
  } while (begin < length);
  return whole;
}

void CBlock::Reset() {
  length = 0;
  cursor = 0;
  messageStarts.clear();
}

std::int32_t CBlock::ReadLong() {
  Need(4);
  const std::int32_t v = LoadLong(data.data() + cursor);
  cursor += 4;
  return v;
}

float CBlock::ReadFloat() {
  Need(4);
  const float v = LoadFloat(data.data() + cursor);
  cursor += 4;
  return v;
}

std::string_view CBlock::ReadString() {
  const std::uint8_t* start = data.data() + cursor;
  const auto* zero = static_cast<const std::uint8_t*>(std::memchr(start, 0, static_cast<std::size_t>(Remaining())));
  if (zero == nullptr) throw BadMessage{};
  const auto size = static_cast<std::size_t>(zero - start);
  cursor += static_cast<int>(size) + 1;
  return {reinterpret_cast<const char*>(start), size};
}

void CBlock::Grow(int count) {
  const auto needed = static_cast<std::size_t>(cursor) + static_cast<std::size_t>(count);
  data.resize(std::max(needed, 2 * data.size()));
}

void CBlock::PutLong(std::int32_t value) { StoreLong(Room(4), value); }

void CBlock::PutFloat(float value) { StoreFloat(Room(4), value); }

void CBlock::PutString(std::string_view text) {
  // The game reads a text up to its first zero and at most 2047 characters;
  // anything past that would be read as further messages and stop playback.
  text = text.substr(0, std::min(text.find('\0'), static_cast<std::size_t>(kTextBufferSize - 1)));
  PutBytes(reinterpret_cast<const std::uint8_t*>(text.data()), static_cast<int>(text.size()));
  PutByte(0);
}

void CBlock::Load(const std::uint8_t* bytes, int count) {
  Reset();
  PutBytes(bytes, count);
  cursor = 0;
}

void CBlock::RewindTo(int position) {
  if (position >= 0 && position <= cursor) cursor = position;
}

void CBlock::Rewind(int mark) {
  if (mark < 0 || mark > cursor) return;
  length -= cursor - mark;
  cursor = mark;
  while (!messageStarts.empty() && messageStarts.back() >= mark) messageStarts.pop_back();
}

void CBlock::UnputByte() {
  if (cursor == 0) return;
  --cursor;
  --length;
  while (!messageStarts.empty() && messageStarts.back() > cursor) messageStarts.pop_back();
}

}  // namespace cw
