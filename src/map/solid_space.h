#pragma once
// The map's solid space: the world's tree of planes that cuts space into
// leaves, each of one kind of contents, read from a BSP file (version 29,
// 2PSB or BSP2). It answers what is at a point as the game answers it for a
// point-sized thing (the first hull: the world's nodes and leaves).
//
// Outside the map is solid here: a sealed map's compiler makes the void
// around it one with the walls, so a point in a wall and a point in the void
// both lie in solid, both in leaf 0. The sky's leaves are inside the map's
// tree but are no place for a camera either; `OutsideMap` takes both.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "base/vec3.h"

namespace cw {

enum class Contents : std::uint8_t { Empty, Solid, Water, Slime, Lava, Sky };

// A wall, the void or the sky: where no camera of a film belongs.
inline bool OutsideMap(Contents contents) { return contents == Contents::Solid || contents == Contents::Sky; }

// "empty", "solid", "water", "slime", "lava", "sky".
const char* ContentsName(Contents contents);

// Points are worked on in double precision; the file's numbers are floats.
using SpacePoint = std::array<double, 3>;
inline SpacePoint ToSpacePoint(const Vec3& point) { return {point[0], point[1], point[2]}; }

// Kept as the file's floats: a map's planes take no more room than its file.
struct SolidPlane {
  Vec3 normal{0, 0, 0};
  float distance = 0;
  // Positive in front of the plane (the side the normal points to).
  double Distance(const SpacePoint& p) const {
    return double{normal[0]} * p[0] + double{normal[1]} * p[1] + double{normal[2]} * p[2] - double{distance};
  }
};

// A child is a node (0 and up) or a leaf (-1 for leaf 0, -2 for leaf 1, ...).
struct SolidNode {
  std::uint32_t plane = 0;
  std::int32_t children[2] = {0, 0};  // in front of the plane, behind it
};
inline std::int32_t LeafChild(std::int32_t leaf) { return -1 - leaf; }
inline std::int32_t LeafOf(std::int32_t child) { return -1 - child; }

// Where a point lies: its leaf's contents and number; leaf -1 in a space
// that holds no map.
struct PointPlace {
  Contents contents = Contents::Empty;
  std::int32_t leaf = -1;
};

// No compiler builds a tree this deep (real maps stay under a hundred
// nodes); a deeper one is damage, which keeps every walk's recursion short.
inline constexpr int kMaxTreeDepth = 1024;

class SolidSpace {
 public:
  // Reads the world's tree from a BSP file's bytes. False with a reason when
  // the file is no BSP file or its tree is damaged (an index out of range,
  // a loop, a plane that is no number, contents the game does not know);
  // the space is then left as it was.
  bool Read(const std::vector<std::uint8_t>& bytes, std::string& error);

  // False for a space never read: it has no walls, every point is empty.
  bool Loaded() const { return !nodes.empty(); }

  PointPlace PlaceOf(const Vec3& point) const { return PlaceFrom(root, ToSpacePoint(point)); }
  Contents ContentsAt(const Vec3& point) const { return PlaceOf(point).contents; }
  // Where a point lies according to the subtree `child` alone.
  PointPlace PlaceFrom(std::int32_t child, const SpacePoint& point) const;

  std::int32_t Root() const { return root; }
  int Depth() const { return depth; }  // the most nodes on a way from the root to a leaf
  const SolidNode& Node(std::int32_t index) const { return nodes[static_cast<std::size_t>(index)]; }
  const SolidPlane& PlaneOf(const SolidNode& node) const { return planes[node.plane]; }
  std::size_t LeafCount() const { return leaves.size(); }

 private:
  friend class SolidSpaceReader;
  std::vector<SolidPlane> planes;
  std::vector<SolidNode> nodes;
  std::vector<Contents> leaves;
  std::int32_t root = 0;
  int depth = 0;
};

}  // namespace cw
