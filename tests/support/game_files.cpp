#include "game_files.h"

#include <array>
#include <cstring>

namespace cw::test {
namespace {

class Writer {
 public:
  Writer& Long(std::int32_t value) {
    for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<char>(static_cast<std::uint32_t>(value) >> (8 * i)));
    return *this;
  }
  Writer& Short(int value) {
    bytes.push_back(static_cast<char>(value));
    bytes.push_back(static_cast<char>(value >> 8));
    return *this;
  }
  Writer& Float(float value) {
    std::uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return Long(static_cast<std::int32_t>(bits));
  }
  // An index: a short in the original layout, a long in BSP2's.
  Writer& Index(bool wide, int value) { return wide ? Long(value) : Short(value); }
  std::string bytes;
};

// The header, each lump's place and length, then the lumps in their order.
std::string Assemble(BspKind kind, const std::string (&lumps)[15]) {
  Writer file;
  if (kind == BspKind::kBsp2) {
    file.bytes = "BSP2";
  } else if (kind == BspKind::kRmq) {
    file.bytes = "2PSB";
  } else {
    file.Long(29);
  }
  std::int32_t offset = 4 + 15 * 8;
  for (const std::string& lump : lumps) {
    file.Long(offset).Long(static_cast<std::int32_t>(lump.size()));
    offset += static_cast<std::int32_t>(lump.size());
  }
  for (const std::string& lump : lumps) file.bytes += lump;
  return file.bytes;
}

struct TreeNode {
  int plane;
  int front;  // a node, or -1 - leaf
  int back;
};

// A BSP file of planes, nodes and leaves alone, the world's tree starting at
// node 0. Bounds and face ranges are zero: nothing here reads them.
std::string MakeTreeBsp(BspKind kind, const std::vector<std::array<float, 4>>& planeList,
                        const std::vector<TreeNode>& nodeList, const std::vector<int>& leafContents) {
  const bool wide = kind != BspKind::kVersion29;
  std::string lumps[15];
  Writer planes;
  for (const auto& plane : planeList) {
    // The plane's type: 0 to 2 for a plane facing along an axis, else 3.
    int type = 3;
    for (int axis = 0; axis < 3; ++axis) {
      if (plane[static_cast<std::size_t>(axis)] == 1) type = axis;
    }
    planes.Float(plane[0]).Float(plane[1]).Float(plane[2]).Float(plane[3]).Long(type);
  }
  lumps[kBspPlanesLump] = planes.bytes;
  Writer nodes;
  for (const TreeNode& node : nodeList) {
    nodes.Long(node.plane).Index(wide, node.front).Index(wide, node.back);
    for (int i = 0; i < 6; ++i) kind == BspKind::kBsp2 ? nodes.Float(0) : nodes.Short(0);
    nodes.Index(wide, 0).Index(wide, 0);
  }
  lumps[kBspNodesLump] = nodes.bytes;
  Writer leaves;
  for (const int contents : leafContents) {
    leaves.Long(contents).Long(-1);
    for (int i = 0; i < 6; ++i) kind == BspKind::kBsp2 ? leaves.Float(0) : leaves.Short(0);
    leaves.Index(wide, 0).Index(wide, 0).Long(0);
  }
  lumps[kBspLeavesLump] = leaves.bytes;
  Writer models;  // bounds, origin, head nodes, leaves, first face, face count
  for (int i = 0; i < 9; ++i) models.Float(0);
  for (int i = 0; i < 7; ++i) models.Long(0);
  lumps[kBspModelsLump] = models.bytes;
  return Assemble(kind, lumps);
}

constexpr int Leaf(int leaf) { return -1 - leaf; }

}  // namespace

const char* BspKindName(BspKind kind) {
  switch (kind) {
    case BspKind::kVersion29:
      return "version 29";
    case BspKind::kRmq:
      return "2PSB";
    case BspKind::kBsp2:
      break;
  }
  return "BSP2";
}

std::size_t BspNodeSize(BspKind kind) { return kind == BspKind::kVersion29 ? 24 : kind == BspKind::kRmq ? 32 : 44; }

std::size_t BspLeafSize(BspKind kind) { return kind == BspKind::kVersion29 ? 28 : kind == BspKind::kRmq ? 32 : 44; }

std::string MakeRoomBsp(BspKind kind) {
  const std::vector<std::array<float, 4>> planes = {
      {1, 0, 0, 0},   {1, 0, 0, 256}, {0, 1, 0, 0},   {0, 1, 0, 128}, {0, 0, 1, 0},
      {0, 0, 1, 160}, {1, 0, 0, 120}, {0, 0, 1, 128}, {1, 0, 0, 136}, {0, 0, 1, 32},
  };
  const std::vector<TreeNode> nodes = {
      {0, 1, Leaf(0)},        // x 0: the void west of the box
      {1, Leaf(0), 2},        // x 256
      {2, 3, Leaf(0)},        // y 0
      {3, Leaf(0), 4},        // y 128
      {4, 5, Leaf(0)},        // z 0
      {5, Leaf(0), 6},        // z 160
      {6, 8, 7},              // x 120: the wall's west face
      {7, Leaf(4), Leaf(1)},  // z 128 in the west: sky over the room
      {8, 9, Leaf(0)},        // x 136: the wall's east face
      {7, Leaf(0), 10},       // z 128 in the east: solid over the room
      {9, Leaf(2), Leaf(3)},  // z 32: the room over the water
  };
  return MakeTreeBsp(kind, planes, nodes, {-2, -1, -1, -3, -6});
}

std::string MakeChainBsp(BspKind kind, int depth) {
  std::vector<TreeNode> nodes;
  for (int i = 0; i < depth; ++i) nodes.push_back({0, i + 1 < depth ? i + 1 : Leaf(1), Leaf(0)});
  return MakeTreeBsp(kind, {{0, 0, 1, 0}}, nodes, {-2, -1});
}

std::int32_t LongAt(const std::string& bytes, std::size_t at) {
  std::uint32_t value = 0;
  for (std::size_t i = 0; i < 4; ++i)
    value |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + i])) << (8 * i);
  return static_cast<std::int32_t>(value);
}

void SetLong(std::string& bytes, std::size_t at, std::int32_t value) {
  for (std::size_t i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>(static_cast<std::uint32_t>(value) >> (8 * i));
}

std::string MakeBsp(bool bsp2) {
  std::string lumps[15];
  Writer planes;                                        // normal, distance, type
  planes.Float(0).Float(0).Float(1).Float(32).Long(2);  // 0: level, facing up
  planes.Float(1).Float(0).Float(0).Float(0).Long(0);   // 1: the wall x = 0
  lumps[kBspPlanesLump] = planes.bytes;
  Writer vertexes;
  const float points[][3] = {{0, 0, 32}, {64, 0, 32}, {64, 64, 32}, {0, 64, 32}, {0, 0, 96}, {0, 64, 96}};
  for (const auto& point : points) vertexes.Float(point[0]).Float(point[1]).Float(point[2]);
  lumps[kBspVertexesLump] = vertexes.bytes;
  Writer edges;  // edge 0 is never used
  const int ends[][2] = {{0, 0}, {0, 1}, {1, 2}, {2, 3}, {3, 0}, {3, 5}, {5, 4}, {4, 0}};
  for (const auto& edge : ends) {
    if (bsp2) {
      edges.Long(edge[0]).Long(edge[1]);
    } else {
      edges.Short(edge[0]).Short(edge[1]);
    }
  }
  lumps[kBspEdgesLump] = edges.bytes;
  Writer surfedges;  // floor, ceiling (the floor seen from below), wall
  for (const int edge : {1, 2, 3, 4, -4, -3, -2, -1, -4, 5, 6, 7}) surfedges.Long(edge);
  lumps[kBspSurfedgesLump] = surfedges.bytes;
  Writer faces;  // plane, side, first edge, edge count, texinfo, styles, light
  const int records[][3] = {{0, 0, 0}, {0, 1, 4}, {1, 0, 8}, {0, 0, 0}};  // the last is the brush model's
  for (const auto& face : records) {
    faces.Index(bsp2, face[0]).Index(bsp2, face[1]).Long(face[2]).Index(bsp2, 4).Index(bsp2, 0).Long(0).Long(-1);
  }
  lumps[kBspFacesLump] = faces.bytes;
  Writer models;  // bounds, origin, head nodes, leaves, first face, face count
  for (const int range : {0, 3}) {
    for (int i = 0; i < 9; ++i) models.Float(0);
    for (int i = 0; i < 5; ++i) models.Long(0);
    models.Long(range).Long(range == 0 ? 3 : 1);
  }
  lumps[kBspModelsLump] = models.bytes;
  return Assemble(bsp2 ? BspKind::kBsp2 : BspKind::kVersion29, lumps);
}

std::string MakeBspOfSharedEdges(int faceCount, int edgesPerFace) {
  std::string lumps[15];
  Writer planes;
  planes.Float(0).Float(0).Float(1).Float(0).Long(2);
  lumps[kBspPlanesLump] = planes.bytes;
  Writer vertexes;
  for (const float x : {0.0f, 64.0f}) vertexes.Float(x).Float(0).Float(0);
  lumps[kBspVertexesLump] = vertexes.bytes;
  Writer edges;
  edges.Short(0).Short(0).Short(0).Short(1);
  lumps[kBspEdgesLump] = edges.bytes;
  Writer surfedges;
  for (int i = 0; i < edgesPerFace; ++i) surfedges.Long(1);
  lumps[kBspSurfedgesLump] = surfedges.bytes;
  Writer faces;
  for (int i = 0; i < faceCount; ++i) faces.Short(0).Short(0).Long(0).Short(edgesPerFace).Short(0).Long(0).Long(-1);
  lumps[kBspFacesLump] = faces.bytes;
  Writer models;
  for (int i = 0; i < 14; ++i) models.Long(0);
  models.Long(0).Long(faceCount);
  lumps[kBspModelsLump] = models.bytes;
  return Assemble(BspKind::kVersion29, lumps);
}

std::string MakePak(const std::vector<std::pair<std::string, std::string>>& entries) {
  Writer pak;
  std::string contents;
  Writer directory;
  for (const auto& [name, bytes] : entries) {
    std::string field = name;
    field.resize(56, '\0');
    directory.bytes += field;
    directory.Long(static_cast<std::int32_t>(12 + contents.size())).Long(static_cast<std::int32_t>(bytes.size()));
    contents += bytes;
  }
  pak.bytes = "PACK";
  pak.Long(static_cast<std::int32_t>(12 + contents.size())).Long(static_cast<std::int32_t>(directory.bytes.size()));
  return pak.bytes + contents + directory.bytes;
}

}  // namespace cw::test
