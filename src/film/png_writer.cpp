#include "film/png_writer.h"

#include <array>
#include <cstdlib>
#include <string_view>

namespace cw {
namespace {

constexpr std::size_t kWindow = 32768;
constexpr std::size_t kMinMatch = 3;
constexpr std::size_t kMaxMatch = 258;
constexpr int kHashBits = 15;
constexpr int kChain = 48;  // candidates looked at for each match

constexpr std::array<std::uint32_t, 256> MakeCrcTable() {
  std::array<std::uint32_t, 256> table{};
  for (std::uint32_t n = 0; n < 256; ++n) {
    std::uint32_t c = n;
    for (int k = 0; k < 8; ++k) c = (c & 1u) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    table[n] = c;
  }
  return table;
}
constexpr std::array<std::uint32_t, 256> kCrcTable = MakeCrcTable();

// Deflate's length and distance codes: the base of each and its extra bits.
constexpr std::array<std::uint16_t, 29> kLengthBase = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                                       31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
constexpr std::array<std::uint8_t, 29> kLengthExtra = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                                       2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
constexpr std::array<std::uint16_t, 30> kDistanceBase = {1,    2,    3,    4,    5,    7,    9,    13,    17,    25,
                                                         33,   49,   65,   97,   129,  193,  257,  385,   513,   769,
                                                         1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
constexpr std::array<std::uint8_t, 30> kDistanceExtra = {0, 0, 0, 0, 1, 1, 2, 2,  3,  3,  4,  4,  5,  5,  6,
                                                         6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};

class BitWriter {
 public:
  explicit BitWriter(std::vector<std::uint8_t>& target) : out(target) {}
  // Bits taken from the value's low end first, as deflate's fields are.
  void Bits(std::uint32_t value, int count) {
    for (int i = 0; i < count; ++i) Bit((value >> i) & 1u);
  }
  // A Huffman code: its highest bit first.
  void Code(std::uint32_t code, int length) {
    for (int i = length - 1; i >= 0; --i) Bit((code >> i) & 1u);
  }
  void Flush() {
    if (used > 0) out.push_back(current);
    current = 0;
    used = 0;
  }

 private:
  void Bit(std::uint32_t bit) {
    current = static_cast<std::uint8_t>(current | (bit << used));
    if (++used == 8) Flush();
  }
  std::vector<std::uint8_t>& out;
  std::uint8_t current = 0;
  int used = 0;
};

// A literal or length symbol in the fixed codes.
void Symbol(BitWriter& bits, int symbol) {
  const auto value = static_cast<std::uint32_t>(symbol);
  if (symbol < 144) {
    bits.Code(0x30 + value, 8);
  } else if (symbol < 256) {
    bits.Code(0x190 + value - 144, 9);
  } else if (symbol < 280) {
    bits.Code(value - 256, 7);
  } else {
    bits.Code(0xC0 + value - 280, 8);
  }
}

void Match(BitWriter& bits, std::size_t length, std::size_t distance) {
  std::size_t code = kLengthBase.size() - 1;
  while (kLengthBase[code] > length) --code;
  Symbol(bits, 257 + static_cast<int>(code));
  bits.Bits(static_cast<std::uint32_t>(length - kLengthBase[code]), kLengthExtra[code]);
  std::size_t far = kDistanceBase.size() - 1;
  while (kDistanceBase[far] > distance) --far;
  bits.Code(static_cast<std::uint32_t>(far), 5);
  bits.Bits(static_cast<std::uint32_t>(distance - kDistanceBase[far]), kDistanceExtra[far]);
}

std::uint32_t Hash(const std::uint8_t* p) {
  const std::uint32_t value = static_cast<std::uint32_t>(p[0]) << 16 | static_cast<std::uint32_t>(p[1]) << 8 | p[2];
  return (value * 2654435761u) >> (32 - kHashBits);
}

std::uint32_t Adler32(std::span<const std::uint8_t> bytes) {
  std::uint32_t a = 1;
  std::uint32_t b = 0;
  for (const std::uint8_t byte : bytes) {
    a = (a + byte) % 65521u;
    b = (b + a) % 65521u;
  }
  return b << 16 | a;
}

void Big32(std::vector<std::uint8_t>& out, std::uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<std::uint8_t>(value >> shift));
}

void Chunk(std::vector<std::uint8_t>& png, std::string_view type, std::span<const std::uint8_t> data) {
  Big32(png, static_cast<std::uint32_t>(data.size()));
  const std::size_t start = png.size();
  png.insert(png.end(), type.begin(), type.end());
  png.insert(png.end(), data.begin(), data.end());
  Big32(png, Crc32(std::span<const std::uint8_t>(png).subspan(start)));
}

int Paeth(int left, int up, int upLeft) {
  const int estimate = left + up - upLeft;
  const int toLeft = std::abs(estimate - left);
  const int toUp = std::abs(estimate - up);
  const int toUpLeft = std::abs(estimate - upLeft);
  if (toLeft <= toUp && toLeft <= toUpLeft) return left;
  return toUp <= toUpLeft ? up : upLeft;
}

// Each row behind the filter whose output looks smallest (the least sum
// of the bytes as signed values), as PNG encoders usually choose.
std::vector<std::uint8_t> FilteredRows(const Picture& picture) {
  const std::size_t stride = static_cast<std::size_t>(picture.width) * 3;
  std::vector<std::uint8_t> rows;
  rows.reserve((stride + 1) * static_cast<std::size_t>(picture.height));
  std::vector<std::uint8_t> candidate(stride);
  std::vector<std::uint8_t> best(stride);
  const std::vector<std::uint8_t> none(stride, 0);
  for (int y = 0; y < picture.height; ++y) {
    const std::uint8_t* row = picture.Pixel(0, y);
    const std::uint8_t* above = y > 0 ? picture.Pixel(0, y - 1) : none.data();
    long bestCost = -1;
    int bestFilter = 0;
    for (int filter = 0; filter < 5; ++filter) {
      long cost = 0;
      for (std::size_t i = 0; i < stride; ++i) {
        const int left = i >= 3 ? row[i - 3] : 0;
        const int up = above[i];
        const int upLeft = i >= 3 ? above[i - 3] : 0;
        int predicted = 0;
        switch (filter) {
          case 1:
            predicted = left;
            break;
          case 2:
            predicted = up;
            break;
          case 3:
            predicted = (left + up) / 2;
            break;
          case 4:
            predicted = Paeth(left, up, upLeft);
            break;
          default:
            break;
        }
        const auto value = static_cast<std::uint8_t>(row[i] - predicted);
        candidate[i] = value;
        cost += value < 128 ? value : 256 - value;
      }
      if (bestCost < 0 || cost < bestCost) {
        bestCost = cost;
        bestFilter = filter;
        best.swap(candidate);
      }
    }
    rows.push_back(static_cast<std::uint8_t>(bestFilter));
    rows.insert(rows.end(), best.begin(), best.end());
  }
  return rows;
}

}  // namespace

std::uint32_t Crc32(std::span<const std::uint8_t> bytes, std::uint32_t crc) {
  crc = ~crc;
  for (const std::uint8_t byte : bytes) crc = kCrcTable[(crc ^ byte) & 0xFFu] ^ (crc >> 8);
  return ~crc;
}

std::vector<std::uint8_t> Deflate(std::span<const std::uint8_t> bytes) {
  std::vector<std::uint8_t> out = {0x78, 0x01};  // deflate, 32 KB window, no dictionary
  BitWriter bits(out);
  bits.Bits(1, 1);  // the last block
  bits.Bits(1, 2);  // of the fixed codes
  std::vector<std::int32_t> head(std::size_t{1} << kHashBits, -1);
  std::vector<std::int32_t> previous(kWindow, -1);
  const std::size_t size = bytes.size();
  const auto remember = [&](std::size_t at) {
    if (at + kMinMatch > size) return;
    const std::uint32_t hash = Hash(bytes.data() + at);
    previous[at % kWindow] = head[hash];
    head[hash] = static_cast<std::int32_t>(at);
  };
  for (std::size_t at = 0; at < size;) {
    std::size_t bestLength = 0;
    std::size_t bestDistance = 0;
    if (at + kMinMatch <= size) {
      const std::size_t limit = std::min(kMaxMatch, size - at);
      std::int32_t candidate = head[Hash(bytes.data() + at)];
      for (int tries = 0; candidate >= 0 && tries < kChain; ++tries) {
        const auto from = static_cast<std::size_t>(candidate);
        if (at - from > kWindow - 1) break;
        std::size_t length = 0;
        while (length < limit && bytes[from + length] == bytes[at + length]) ++length;
        if (length > bestLength) {
          bestLength = length;
          bestDistance = at - from;
          if (length == limit) break;
        }
        const std::int32_t next = previous[from % kWindow];
        if (next >= candidate) break;  // the slot was reused by a newer position
        candidate = next;
      }
    }
    if (bestLength >= kMinMatch) {
      Match(bits, bestLength, bestDistance);
      for (std::size_t i = 0; i < bestLength; ++i) remember(at + i);
      at += bestLength;
    } else {
      Symbol(bits, bytes[at]);
      remember(at);
      ++at;
    }
  }
  Symbol(bits, 256);
  bits.Flush();
  Big32(out, Adler32(bytes));
  return out;
}

std::vector<std::uint8_t> EncodePng(const Picture& picture) {
  std::vector<std::uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  std::vector<std::uint8_t> header;
  Big32(header, static_cast<std::uint32_t>(picture.width));
  Big32(header, static_cast<std::uint32_t>(picture.height));
  header.insert(header.end(), {8, 2, 0, 0, 0});  // 8 bits, RGB, deflate, adaptive filters, no interlace
  Chunk(png, "IHDR", header);
  Chunk(png, "IDAT", Deflate(FilteredRows(picture)));
  Chunk(png, "IEND", {});
  return png;
}

}  // namespace cw
