#include "film/tga_reader.h"

namespace cw {
namespace {

constexpr std::size_t kHeader = 18;
constexpr int kLargest = 16384;  // wider or taller than any screen

int Word(std::span<const std::uint8_t> bytes, std::size_t at) { return bytes[at] | bytes[at + 1] << 8; }

}  // namespace

std::size_t PlainTgaSize(std::span<const std::uint8_t> header) {
  if (header.size() < kHeader || header[1] != 0 || header[2] != 2) return 0;
  const int depth = header[16];
  if (depth != 24 && depth != 32) return 0;
  return kHeader + header[0] +
         static_cast<std::size_t>(Word(header, 12)) * static_cast<std::size_t>(Word(header, 14)) *
             static_cast<std::size_t>(depth / 8);
}

bool ReadTga(std::span<const std::uint8_t> bytes, Picture& picture, std::string& error) {
  if (bytes.size() < kHeader) {
    error = "the picture is cut short";
    return false;
  }
  const int type = bytes[2];
  const int width = Word(bytes, 12);
  const int height = Word(bytes, 14);
  const int depth = bytes[16];
  if (bytes[1] != 0 || (type != 2 && type != 10) || (depth != 24 && depth != 32)) {
    error = "the picture is no true-colour TGA";
    return false;
  }
  if (width <= 0 || height <= 0 || width > kLargest || height > kLargest) {
    error = "the picture's size is out of range";
    return false;
  }
  const std::size_t pixelBytes = static_cast<std::size_t>(depth / 8);
  std::size_t at = kHeader + bytes[0];
  picture.width = width;
  picture.height = height;
  picture.rgb.assign(picture.Size(), 0);
  const bool topDown = (bytes[17] & 0x20) != 0;
  const std::size_t pixels = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
  std::size_t done = 0;
  const auto put = [&](std::size_t from) {
    const int x = static_cast<int>(done % static_cast<std::size_t>(width));
    const int row = static_cast<int>(done / static_cast<std::size_t>(width));
    std::uint8_t* pixel = picture.Pixel(x, topDown ? row : height - 1 - row);
    pixel[0] = bytes[from + 2];
    pixel[1] = bytes[from + 1];
    pixel[2] = bytes[from];
    ++done;
  };
  while (done < pixels && at <= bytes.size()) {
    std::size_t count = pixels - done;
    bool repeated = false;
    if (type == 10) {
      if (at >= bytes.size()) break;
      const std::uint8_t packet = bytes[at++];
      count = (packet & 0x7Fu) + 1u;
      repeated = (packet & 0x80u) != 0;
      if (count > pixels - done) count = pixels - done;
    }
    if (repeated) {
      if (bytes.size() - at < pixelBytes) break;
      for (std::size_t i = 0; i < count; ++i) put(at);
      at += pixelBytes;
      continue;
    }
    if ((bytes.size() - at) / pixelBytes < count) break;
    for (std::size_t i = 0; i < count; ++i, at += pixelBytes) put(at);
  }
  if (done < pixels) {
    error = "the picture is cut short";
    return false;
  }
  return true;
}

}  // namespace cw
