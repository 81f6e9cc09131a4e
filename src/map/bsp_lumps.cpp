#include "map/bsp_lumps.h"

#include <cstring>

#include "map/little_endian.h"

namespace cw {
namespace {

constexpr std::int32_t kVersion29 = 29;
constexpr int kLumpCount = 15;
constexpr std::size_t kHeaderSize = 4 + kLumpCount * 8;
constexpr const char* kLumpNames[kLumpCount] = {"entities", "planes",       "textures", "vertexes",  "visibility",
                                                "nodes",    "texinfo",      "faces",    "lighting",  "clipnodes",
                                                "leafs",    "marksurfaces", "edges",    "surfedges", "models"};

}  // namespace

BspRecordSizes RecordSizesOf(BspLayout layout) {
  switch (layout) {
    case BspLayout::Version29:
      return {20, 4, 24, 28};
    case BspLayout::Bsp2Rmq:
      return {28, 8, 32, 32};
    case BspLayout::Bsp2:
      break;
  }
  return {28, 8, 44, 44};
}

bool BspFile::Open(std::string& error) {
  if (bytes.size() < kHeaderSize) {
    error = "the file is too short for a BSP header";
    return false;
  }
  if (std::memcmp(bytes.data(), "BSP2", 4) == 0) {
    layout = BspLayout::Bsp2;
  } else if (std::memcmp(bytes.data(), "2PSB", 4) == 0) {
    layout = BspLayout::Bsp2Rmq;
  } else if (ReadI32(bytes.data()) == kVersion29) {
    layout = BspLayout::Version29;
  } else {
    error = "no BSP file of version 29, 2PSB or BSP2 (it begins with version " + std::to_string(ReadI32(bytes.data())) +
            ")";
    return false;
  }
  return true;
}

bool BspFile::Lump(BspLumpIndex index, std::size_t recordSize, BspLump& lump, std::string& error) const {
  const std::uint8_t* entry = bytes.data() + 4 + index * 8;
  const std::int64_t offset = ReadI32(entry);
  const std::int64_t length = ReadI32(entry + 4);
  const std::string name = std::string("the ") + kLumpNames[index] + " lump";
  if (offset < 0 || length < 0 || offset + length > static_cast<std::int64_t>(bytes.size())) {
    error = name + " (" + std::to_string(length) + " bytes at " + std::to_string(offset) +
            ") lies outside the file of " + std::to_string(bytes.size()) + " bytes";
    return false;
  }
  if (static_cast<std::size_t>(length) % recordSize != 0) {
    error = name + " holds " + std::to_string(length) + " bytes, no whole number of " + std::to_string(recordSize) +
            "-byte records";
    return false;
  }
  lump.data = bytes.data() + offset;
  lump.size = recordSize;
  lump.count = static_cast<std::size_t>(length) / recordSize;
  return true;
}

}  // namespace cw
