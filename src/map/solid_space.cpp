#include "map/solid_space.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "map/bsp_lumps.h"
#include "map/little_endian.h"

namespace cw {

namespace {

constexpr std::size_t kModelHeadNode = 36;  // the first of the world's four head nodes: hull 0's

// The contents numbers of the file. The currents of water are water to the
// game; the others (origin, clip) never reach the first hull.
bool ContentsOfNumber(std::int32_t number, Contents& contents) {
  switch (number) {
    case -1:
      contents = Contents::Empty;
      return true;
    case -2:
      contents = Contents::Solid;
      return true;
    case -3:
      contents = Contents::Water;
      return true;
    case -4:
      contents = Contents::Slime;
      return true;
    case -5:
      contents = Contents::Lava;
      return true;
    case -6:
      contents = Contents::Sky;
      return true;
    default:
      break;
  }
  if (number <= -9 && number >= -14) {
    contents = Contents::Water;
    return true;
  }
  return false;
}

}  // namespace

// Reads the lumps, then walks the world's tree from its first node, checking
// each node and leaf it reaches once; nothing the walk does not reach is used.
class SolidSpaceReader {
 public:
  SolidSpaceReader(const std::vector<std::uint8_t>& bytes, std::string& why) : bsp(bytes), error(why) {}

  bool Read(SolidSpace& space) {
    if (!bsp.Open(error)) return false;
    const BspRecordSizes sizes = RecordSizesOf(bsp.Layout());
    if (!bsp.Lump(kBspPlanes, kBspPlaneSize, planes, error) || !bsp.Lump(kBspNodes, sizes.node, nodes, error) ||
        !bsp.Lump(kBspLeaves, sizes.leaf, leaves, error) || !bsp.Lump(kBspModels, kBspModelSize, models, error)) {
      return false;
    }
    if (models.count == 0) return Fail("the map has no world model");
    const std::int32_t head = ReadI32(models.At(0) + kModelHeadNode);
    if (head < 0 || static_cast<std::size_t>(head) >= nodes.count) {
      return Fail("the world's first node " + std::to_string(head) + " lies outside the " +
                  std::to_string(nodes.count) + " nodes of the map");
    }
    space.planes.assign(planes.count, SolidPlane{});
    space.nodes.assign(nodes.count, SolidNode{});
    space.leaves.assign(leaves.count, Contents::Solid);
    space.root = head;
    return Walk(space);
  }

 private:
  bool Fail(const std::string& why) {
    error = why;
    return false;
  }

  // Iterative, with a stack of its own: a hostile tree's depth never
  // reaches the machine's stack. A node reached twice means a loop (a
  // compiler writes each node once).
  bool Walk(SolidSpace& space) {
    std::vector<std::uint8_t> reached(nodes.count, 0);
    std::vector<std::pair<std::int32_t, int>> stack{{space.root, 1}};
    while (!stack.empty()) {
      const auto [index, depth] = stack.back();
      stack.pop_back();
      const std::size_t at = static_cast<std::size_t>(index);
      if (reached[at] != 0) {
        return Fail("node " + std::to_string(index) + " is reached twice from the world's first node: the tree loops");
      }
      reached[at] = 1;
      if (depth > kMaxTreeDepth) {
        return Fail("the world's tree is deeper than " + std::to_string(kMaxTreeDepth) + " nodes");
      }
      space.depth = std::max(space.depth, depth);
      SolidNode& node = space.nodes[at];
      if (!Node(index, space, node)) return false;
      for (const std::int32_t child : node.children) {
        if (child >= 0) stack.emplace_back(child, depth + 1);
      }
    }
    return true;
  }

  // One node: its plane and its children, each a node of the map or a leaf
  // of known contents.
  bool Node(std::int32_t index, SolidSpace& space, SolidNode& node) {
    const std::uint8_t* record = nodes.At(static_cast<std::size_t>(index));
    const std::string which = "node " + std::to_string(index);
    const std::int64_t plane = ReadI32(record);
    if (plane < 0 || static_cast<std::uint64_t>(plane) >= planes.count) {
      return Fail(which + " names plane " + std::to_string(plane) + " of " + std::to_string(planes.count));
    }
    if (!Plane(static_cast<std::size_t>(plane), space.planes[static_cast<std::size_t>(plane)])) return false;
    node.plane = static_cast<std::uint32_t>(plane);
    for (int side = 0; side < 2; ++side) {
      // A number past the nodes counts leaves down from the largest number:
      // the original layout's children are unsigned shorts, so that maps of
      // more than 32767 nodes still fit.
      std::uint64_t number = 0, past = 0;
      if (bsp.Layout() == BspLayout::Version29) {
        number = ReadU16(record + 4 + 2 * side);
        past = 0xFFFF;
      } else {
        number = ReadU32(record + 4 + 4 * side);
        past = 0xFFFFFFFF;
      }
      if (number < nodes.count) {
        node.children[side] = static_cast<std::int32_t>(number);
        continue;
      }
      const std::uint64_t leaf = past - number;
      if (leaf >= leaves.count) {
        return Fail(which + "'s child " + std::to_string(side) + " (" + std::to_string(number) +
                    ") names neither one of the " + std::to_string(nodes.count) + " nodes nor one of the " +
                    std::to_string(leaves.count) + " leaves");
      }
      if (!Leaf(static_cast<std::size_t>(leaf), space.leaves[static_cast<std::size_t>(leaf)])) return false;
      node.children[side] = LeafChild(static_cast<std::int32_t>(leaf));
    }
    return true;
  }

  bool Plane(std::size_t index, SolidPlane& plane) {
    const std::uint8_t* record = planes.At(index);
    for (std::size_t axis = 0; axis < 3; ++axis) plane.normal[axis] = ReadF32(record + 4 * axis);
    plane.distance = ReadF32(record + 12);
    if (!std::isfinite(plane.normal[0]) || !std::isfinite(plane.normal[1]) || !std::isfinite(plane.normal[2]) ||
        !std::isfinite(plane.distance)) {
      return Fail("plane " + std::to_string(index) + " is no number");
    }
    return true;
  }

  bool Leaf(std::size_t index, Contents& contents) {
    const std::int32_t number = ReadI32(leaves.At(index));
    if (!ContentsOfNumber(number, contents)) {
      return Fail("leaf " + std::to_string(index) + " has contents " + std::to_string(number) +
                  ", which the game does not know");
    }
    return true;
  }

  BspFile bsp;
  std::string& error;
  BspLump planes, nodes, leaves, models;
};

bool SolidSpace::Read(const std::vector<std::uint8_t>& bytes, std::string& error) {
  SolidSpace read;
  if (!SolidSpaceReader(bytes, error).Read(read)) return false;
  *this = std::move(read);
  return true;
}

PointPlace SolidSpace::PlaceFrom(std::int32_t child, const SpacePoint& point) const {
  if (nodes.empty()) return {};
  // The tree was checked to end in a leaf within `depth` steps.
  for (int step = 0; child >= 0 && step < depth; ++step) {
    const SolidNode& node = nodes[static_cast<std::size_t>(child)];
    child = node.children[planes[node.plane].Distance(point) < 0 ? 1 : 0];
  }
  if (child >= 0) return {Contents::Solid, 0};
  const std::int32_t leaf = LeafOf(child);
  return {leaves[static_cast<std::size_t>(leaf)], leaf};
}

const char* ContentsName(Contents contents) {
  switch (contents) {
    case Contents::Empty:
      return "empty";
    case Contents::Solid:
      return "solid";
    case Contents::Water:
      return "water";
    case Contents::Slime:
      return "slime";
    case Contents::Lava:
      return "lava";
    case Contents::Sky:
      return "sky";
  }
  return "solid";
}

}  // namespace cw
