#pragma once
// A BSP file's header and lumps. Three layouts are read: version 29, the
// original; "2PSB", whose indices are longs but whose bounds are still
// shorts; and "BSP2", longs and float bounds throughout. Each lump is held
// against the file's size once, so that a record read later stays inside.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace cw {

enum class BspLayout { Version29, Bsp2Rmq, Bsp2 };

enum BspLumpIndex {
  kBspEntities = 0,
  kBspPlanes = 1,
  kBspVertexes = 3,
  kBspNodes = 5,
  kBspFaces = 7,
  kBspLeaves = 10,
  kBspEdges = 12,
  kBspSurfedges = 13,
  kBspModels = 14,
};

// The sizes of the records whose layout differs.
struct BspRecordSizes {
  std::size_t face;
  std::size_t edge;
  std::size_t node;
  std::size_t leaf;
};
BspRecordSizes RecordSizesOf(BspLayout layout);

inline constexpr std::size_t kBspPlaneSize = 20;
inline constexpr std::size_t kBspVertexSize = 12;
inline constexpr std::size_t kBspSurfedgeSize = 4;
inline constexpr std::size_t kBspModelSize = 64;

// One lump: where its records begin and how many there are.
struct BspLump {
  const std::uint8_t* data = nullptr;
  std::size_t count = 0;
  std::size_t size = 0;
  const std::uint8_t* At(std::size_t index) const { return data + index * size; }
};

class BspFile {
 public:
  explicit BspFile(const std::vector<std::uint8_t>& file) : bytes(file) {}

  // Reads the header: false with a reason when the file is no BSP file of a
  // layout read here.
  bool Open(std::string& error);
  BspLayout Layout() const { return layout; }
  bool WideIndices() const { return layout != BspLayout::Version29; }
  // The lump `index` as records of `recordSize` bytes; false with a reason
  // when it lies outside the file or holds no whole number of records.
  bool Lump(BspLumpIndex index, std::size_t recordSize, BspLump& lump, std::string& error) const;

 private:
  const std::vector<std::uint8_t>& bytes;
  BspLayout layout = BspLayout::Version29;
};

}  // namespace cw
