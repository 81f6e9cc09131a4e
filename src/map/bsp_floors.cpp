#include "map/bsp_floors.h"

#include <cmath>

#include "map/bsp_lumps.h"
#include "map/little_endian.h"

namespace cw {
namespace {

// Faces whose normal rises at least this much are walked on: up to about
// 45 degrees of slope.
constexpr float kFloorNormalZ = 0.7f;

class FloorReader {
 public:
  FloorReader(const std::vector<std::uint8_t>& file, std::string& why, std::size_t cornerBudget)
      : bsp(file), error(why), cornersLeft(cornerBudget) {}

  bool Read(FloorPlan& plan) {
    if (!bsp.Open(error)) return false;
    wide = bsp.WideIndices();
    const BspRecordSizes sizes = RecordSizesOf(bsp.Layout());
    if (!bsp.Lump(kBspPlanes, kBspPlaneSize, planes, error) ||
        !bsp.Lump(kBspVertexes, kBspVertexSize, vertexes, error) || !bsp.Lump(kBspFaces, sizes.face, faces, error) ||
        !bsp.Lump(kBspEdges, sizes.edge, edges, error) ||
        !bsp.Lump(kBspSurfedges, kBspSurfedgeSize, surfedges, error) ||
        !bsp.Lump(kBspModels, kBspModelSize, models, error)) {
      return false;
    }
    // The world is model 0; the others (doors, lifts) stand elsewhere in play.
    std::size_t first = 0;
    std::size_t count = faces.count;
    if (models.count > 0) {
      const std::int32_t firstFace = ReadI32(models.At(0) + 56);
      const std::int32_t faceCount = ReadI32(models.At(0) + 60);
      if (firstFace < 0 || faceCount < 0 ||
          static_cast<std::uint64_t>(firstFace) + static_cast<std::uint64_t>(faceCount) > faces.count) {
        return Fail("the world's faces " + std::to_string(firstFace) + " to " +
                    std::to_string(static_cast<std::int64_t>(firstFace) + faceCount) + " lie outside the " +
                    std::to_string(faces.count) + " faces of the map");
      }
      first = static_cast<std::size_t>(firstFace);
      count = static_cast<std::size_t>(faceCount);
    }
    for (std::size_t face = first; face < first + count; ++face) {
      if (!Face(face, plan)) return false;
    }
    return true;
  }

 private:
  bool Fail(const std::string& why) {
    error = why;
    return false;
  }

  bool Face(std::size_t face, FloorPlan& plan) {
    const std::uint8_t* record = faces.At(face);
    const std::int64_t plane = wide ? ReadI32(record) : ReadU16(record);
    const bool back = wide ? ReadI32(record + 4) != 0 : ReadI16(record + 2) != 0;
    const std::int64_t firstEdge = ReadI32(record + (wide ? 8 : 4));
    const std::int64_t edgeCount = wide ? ReadI32(record + 12) : ReadU16(record + 8);
    const std::string which = "face " + std::to_string(face);
    if (plane < 0 || static_cast<std::uint64_t>(plane) >= planes.count) {
      return Fail(which + " names plane " + std::to_string(plane) + " of " + std::to_string(planes.count));
    }
    if (firstEdge < 0 || edgeCount < 0 || static_cast<std::uint64_t>(firstEdge + edgeCount) > surfedges.count) {
      return Fail(which + " names edges " + std::to_string(firstEdge) + " to " + std::to_string(firstEdge + edgeCount) +
                  " of " + std::to_string(surfedges.count));
    }
    // Each face has its own run of surface edges: faces that name more in
    // all than the lump holds share them, which no map compiler writes, and
    // would cost work out of all proportion to the file.
    edgesNamed += static_cast<std::uint64_t>(edgeCount);
    if (edgesNamed > surfedges.count) {
      return Fail("the world's faces up to " + which + " name " + std::to_string(edgesNamed) +
                  " surface edges in all, more than the " + std::to_string(surfedges.count) + " of the map");
    }
    float normalZ = ReadF32(planes.At(static_cast<std::size_t>(plane)) + 8);
    if (back) normalZ = -normalZ;
    if (!(normalZ >= kFloorNormalZ) || edgeCount < 3) return true;
    // The plan is the first floors that fit; those after one that does not are left out too.
    if (static_cast<std::uint64_t>(edgeCount) > cornersLeft) {
      cornersLeft = 0;
      ++plan.leftOut;
      return true;
    }

    FloorPolygon polygon;
    double heights = 0;
    for (std::int64_t i = firstEdge; i < firstEdge + edgeCount; ++i) {
      const std::int64_t surfedge = ReadI32(surfedges.At(static_cast<std::size_t>(i)));
      const std::uint64_t edge = static_cast<std::uint64_t>(surfedge < 0 ? -surfedge : surfedge);
      if (edge >= edges.count) {
        return Fail(which + " names edge " + std::to_string(edge) + " of " + std::to_string(edges.count));
      }
      const std::uint8_t* ends = edges.At(static_cast<std::size_t>(edge));
      const std::uint64_t vertex =
          wide ? ReadU32(ends + (surfedge < 0 ? 4 : 0)) : ReadU16(ends + (surfedge < 0 ? 2 : 0));
      if (vertex >= vertexes.count) {
        return Fail(which + " names vertex " + std::to_string(vertex) + " of " + std::to_string(vertexes.count));
      }
      const std::uint8_t* point = vertexes.At(static_cast<std::size_t>(vertex));
      const float x = ReadF32(point), y = ReadF32(point + 4), z = ReadF32(point + 8);
      if (!std::isfinite(x) || !std::isfinite(y) || !std::isfinite(z)) {
        return Fail("vertex " + std::to_string(vertex) + " is no number");
      }
      polygon.points.emplace_back(x, y);
      heights += z;
    }
    polygon.height = static_cast<float>(heights / static_cast<double>(edgeCount));
    cornersLeft -= polygon.points.size();
    plan.floors.push_back(std::move(polygon));
    return true;
  }

  BspFile bsp;
  std::string& error;
  std::size_t cornersLeft;
  std::uint64_t edgesNamed = 0;
  bool wide = false;
  BspLump planes, vertexes, faces, edges, surfedges, models;
};

}  // namespace

bool ReadBspFloors(const std::vector<std::uint8_t>& bytes, FloorPlan& plan, std::string& error,
                   std::size_t maxCorners) {
  FloorPlan read;
  if (!FloorReader(bytes, error, maxCorners).Read(read)) return false;
  plan = std::move(read);
  return true;
}

}  // namespace cw
