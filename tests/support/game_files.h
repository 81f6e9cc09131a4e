#pragma once
// Small game files for the tests, written byte by byte: a BSP file whose
// world has one floor, one ceiling and one wall (and a brush model with a
// floor of its own), in the original layout or in BSP2's; and pak files.

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace cw::test {

// Lump numbers and the header's layout, spelled out here rather than taken
// from the core.
inline constexpr int kBspPlanesLump = 1;
inline constexpr int kBspVertexesLump = 3;
inline constexpr int kBspFacesLump = 7;
inline constexpr int kBspEdgesLump = 12;
inline constexpr int kBspSurfedgesLump = 13;
inline constexpr int kBspModelsLump = 14;
inline std::size_t LumpOffsetAt(int lump) { return 4 + 8 * static_cast<std::size_t>(lump); }

// The floor is the square (0, 0) to (64, 64) at height 32.
std::string MakeBsp(bool bsp2);
// A damaged original-layout BSP file: `faceCount` upward faces of the world
// that each name the same `edgesPerFace` surface edges (up to 65535).
std::string MakeBspOfSharedEdges(int faceCount, int edgesPerFace);

std::int32_t LongAt(const std::string& bytes, std::size_t at);
void SetLong(std::string& bytes, std::size_t at, std::int32_t value);

// A pak file holding each (name, bytes) entry.
std::string MakePak(const std::vector<std::pair<std::string, std::string>>& entries);

}  // namespace cw::test
