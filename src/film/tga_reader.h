#pragma once
// Truevision TGA pictures as engines write their screenshots: true colour,
// 24 or 32 bits, plain or run-length coded, rows from the bottom or the
// top. Nothing here trusts a size the file gives.

#include <cstdint>
#include <span>
#include <string>

#include "film/picture.h"

namespace cw {

// False, with `error`, when the bytes are no such picture or are cut short.
bool ReadTga(std::span<const std::uint8_t> bytes, Picture& picture, std::string& error);

// The bytes a plain picture of the size its header gives takes up, or 0
// when the header is short or names another kind: a picture being written
// is complete once the file is this long.
std::size_t PlainTgaSize(std::span<const std::uint8_t> header);

}  // namespace cw
