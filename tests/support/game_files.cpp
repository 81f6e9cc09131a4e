#include "game_files.h"

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
std::string Assemble(bool bsp2, const std::string (&lumps)[15]) {
  Writer file;
  if (bsp2) {
    file.bytes = "BSP2";
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

}  // namespace

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
  return Assemble(bsp2, lumps);
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
  return Assemble(false, lumps);
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
