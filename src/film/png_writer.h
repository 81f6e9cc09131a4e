#pragma once
// PNG pictures written with the standard library alone: 8-bit RGB, each row
// filtered the way that suits it, compressed by a small deflate (matches
// found through a hash of three bytes, the fixed codes).

#include <cstdint>
#include <span>
#include <vector>

#include "film/picture.h"

namespace cw {

std::vector<std::uint8_t> EncodePng(const Picture& picture);

// A zlib stream of `bytes`, as PNG holds its data.
std::vector<std::uint8_t> Deflate(std::span<const std::uint8_t> bytes);

// The CRC-32 of PNG's chunks (and of zip files).
std::uint32_t Crc32(std::span<const std::uint8_t> bytes, std::uint32_t crc = 0);

}  // namespace cw
