#pragma once
// Small game files for the tests, written byte by byte: a BSP file whose
// world has one floor, one ceiling and one wall (and a brush model with a
// floor of its own), in the original layout or in BSP2's; BSP files of
// solid space alone, in each layout; and pak files.

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace cw::test {

// Lump numbers and the header's layout, spelled out here rather than taken
// from the core.
inline constexpr int kBspPlanesLump = 1;
inline constexpr int kBspVertexesLump = 3;
inline constexpr int kBspNodesLump = 5;
inline constexpr int kBspFacesLump = 7;
inline constexpr int kBspLeavesLump = 10;
inline constexpr int kBspEdgesLump = 12;
inline constexpr int kBspSurfedgesLump = 13;
inline constexpr int kBspModelsLump = 14;
inline std::size_t LumpOffsetAt(int lump) { return 4 + 8 * static_cast<std::size_t>(lump); }

// The floor is the square (0, 0) to (64, 64) at height 32.
std::string MakeBsp(bool bsp2);
// A damaged original-layout BSP file: `faceCount` upward faces of the world
// that each name the same `edgesPerFace` surface edges (up to 65535).
std::string MakeBspOfSharedEdges(int faceCount, int edgesPerFace);

// The three layouts of a BSP file: version 29; 2PSB, with long indices and
// short bounds; BSP2, with long indices and float bounds.
enum class BspKind { kVersion29, kRmq, kBsp2 };
inline constexpr BspKind kEveryBspKind[] = {BspKind::kVersion29, BspKind::kRmq, BspKind::kBsp2};
const char* BspKindName(BspKind kind);
std::size_t BspNodeSize(BspKind kind);
std::size_t BspLeafSize(BspKind kind);

// A map's solid space, with nothing to draw: inside the void (solid, leaf 0)
// the box x 0..256, y 0..128, z 0..160, split at x 120..136 by a solid wall.
// West of it an empty room (leaf 1) up to z 128 and sky (leaf 4) above;
// east of it water (leaf 3) up to z 32, an empty room (leaf 2) up to z 128,
// solid above. The world's tree is nodes 0 to 10, node 10 the last a way
// down reaches (its children are leaves 2 and 3).
std::string MakeRoomBsp(BspKind kind);
// A tree of `depth` nodes in a row, each with the solid leaf 0 below z 0
// and the next node above; the last has the empty leaf 1 above.
std::string MakeChainBsp(BspKind kind, int depth);

std::int32_t LongAt(const std::string& bytes, std::size_t at);
void SetLong(std::string& bytes, std::size_t at, std::int32_t value);

// A pak file holding each (name, bytes) entry.
std::string MakePak(const std::vector<std::pair<std::string, std::string>>& entries);

}  // namespace cw::test
