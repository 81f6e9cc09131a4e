#pragma once
// The game's pak files: a directory of named entries, each a run of bytes of
// the file. Nothing here trusts an offset or a length the file gives.

#include <cstdint>
#include <string>
#include <vector>

namespace cw {

// A file of the game is never larger than this: several times the largest
// real map. A larger one is refused before it is read.
inline constexpr std::uint64_t kMaxGameFileBytes = std::uint64_t{256} << 20;

enum class PakLookup { Found, Missing, Damaged };

// The bytes of the entry `name` ("maps/e1m3.bsp", letters in any case) of a
// pak file; an entry larger than `maxBytes` is damage.
PakLookup ReadPakEntry(const std::string& pak, const std::string& name, std::vector<std::uint8_t>& bytes,
                       std::string& error, std::uint64_t maxBytes = kMaxGameFileBytes);

}  // namespace cw
