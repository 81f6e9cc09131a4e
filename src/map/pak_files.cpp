#include "map/pak_files.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <string_view>

#include "map/little_endian.h"

namespace cw {
namespace {

constexpr std::size_t kPakHeaderSize = 12;
constexpr std::size_t kPakEntrySize = 64;
constexpr std::size_t kPakNameSize = 56;

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

bool ReadAt(std::ifstream& in, std::int64_t offset, std::size_t count, std::vector<std::uint8_t>& bytes) {
  bytes.resize(count);
  in.clear();
  in.seekg(offset);
  in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(count));
  return static_cast<std::size_t>(in.gcount()) == count;
}

}  // namespace

PakLookup ReadPakEntry(const std::string& pak, const std::string& name, std::vector<std::uint8_t>& bytes,
                       std::string& error, std::uint64_t maxBytes) {
  std::ifstream in(pak, std::ios::binary);
  if (!in) return PakLookup::Missing;
  in.seekg(0, std::ios::end);
  const std::int64_t size = in.tellg();
  auto damaged = [&](const std::string& why) {
    error = pak + ": " + why;
    return PakLookup::Damaged;
  };
  std::vector<std::uint8_t> header;
  if (size < static_cast<std::int64_t>(kPakHeaderSize) || !ReadAt(in, 0, kPakHeaderSize, header) ||
      std::memcmp(header.data(), "PACK", 4) != 0) {
    return damaged("no pak file (no \"PACK\" at its start)");
  }
  const std::int64_t directory = ReadI32(header.data() + 4);
  const std::int64_t length = ReadI32(header.data() + 8);
  if (directory < 0 || length < 0 || directory + length > size) {
    return damaged("its directory (" + std::to_string(length) + " bytes at " + std::to_string(directory) +
                   ") lies outside the file of " + std::to_string(size) + " bytes");
  }
  if (static_cast<std::uint64_t>(length) > kMaxGameFileBytes) {
    return damaged("its directory of " + std::to_string(length) + " bytes is larger than any game file");
  }
  if (static_cast<std::size_t>(length) % kPakEntrySize != 0) {
    return damaged("its directory of " + std::to_string(length) + " bytes holds no whole number of entries");
  }
  std::vector<std::uint8_t> entries;
  if (!ReadAt(in, directory, static_cast<std::size_t>(length), entries)) return damaged("its directory cannot be read");
  for (std::size_t at = 0; at < entries.size(); at += kPakEntrySize) {
    const char* text = reinterpret_cast<const char*>(entries.data() + at);
    const std::string_view entry(text, static_cast<std::size_t>(std::find(text, text + kPakNameSize, '\0') - text));
    if (!SameName(entry, name)) continue;
    const std::int64_t position = ReadI32(entries.data() + at + kPakNameSize);
    const std::int64_t fileLength = ReadI32(entries.data() + at + kPakNameSize + 4);
    if (position < 0 || fileLength < 0 || position + fileLength > size) {
      return damaged(std::string(entry) + " (" + std::to_string(fileLength) + " bytes at " + std::to_string(position) +
                     ") lies outside the file of " + std::to_string(size) + " bytes");
    }
    if (static_cast<std::uint64_t>(fileLength) > maxBytes) {
      return damaged(std::string(entry) + " holds " + std::to_string(fileLength) + " bytes, more than the " +
                     std::to_string(maxBytes) + " of any game file: it is not read");
    }
    if (!ReadAt(in, position, static_cast<std::size_t>(fileLength), bytes)) {
      return damaged(std::string(entry) + " cannot be read");
    }
    return PakLookup::Found;
  }
  return PakLookup::Missing;
}

}  // namespace cw
