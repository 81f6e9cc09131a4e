// The map's solid space: what is at a point and where a straight line first
// meets solid, on a room the tests build in each layout of a BSP file and on
// the free game data's maps; what a damaged tree gives.

#include "map/solid_space.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <sstream>

#include "game_files.h"
#include "map/map_loading.h"
#include "map/solid_trace.h"
#include "stream_fixture.h"

namespace cw {
namespace {

namespace fs = std::filesystem;

std::vector<std::uint8_t> Bytes(const std::string& text) { return {text.begin(), text.end()}; }

SolidSpace Read(const std::string& bsp) {
  SolidSpace space;
  std::string error;
  EXPECT_TRUE(space.Read(Bytes(bsp), error)) << error;
  return space;
}

std::string Why(const std::string& bsp) {
  SolidSpace space;
  std::string error;
  EXPECT_FALSE(space.Read(Bytes(bsp), error));
  EXPECT_FALSE(space.Loaded());
  return error;
}

TEST(SolidSpace, WhatIsAtAPointInEachLayout) {
  for (const test::BspKind kind : test::kEveryBspKind) {
    SCOPED_TRACE(test::BspKindName(kind));
    const SolidSpace space = Read(test::MakeRoomBsp(kind));
    const struct {
      Vec3 point;
      Contents contents;
      int leaf;
    } cases[] = {
        {{60, 64, 64}, Contents::Empty, 1},
        {{200, 64, 64}, Contents::Empty, 2},
        {{200, 64, 16}, Contents::Water, 3},
        {{60, 64, 140}, Contents::Sky, 4},
        {{128, 64, 64}, Contents::Solid, 0},
        {{200, 64, 140}, Contents::Solid, 0},
        {{-5000, 0, 0}, Contents::Solid, 0},
        {{60, 64, 1e6f}, Contents::Solid, 0},
        // Each side of the wall's west face: a point on a plane is in front of it.
        {{119.99f, 64, 64}, Contents::Empty, 1},
        {{120, 64, 64}, Contents::Solid, 0},
        {{136, 64, 64}, Contents::Empty, 2},
        {{135.99f, 64, 64}, Contents::Solid, 0},
    };
    for (const auto& c : cases) {
      SCOPED_TRACE(testing::Message() << c.point[0] << " " << c.point[1] << " " << c.point[2]);
      const PointPlace place = space.PlaceOf(c.point);
      EXPECT_EQ(ContentsName(place.contents), std::string(ContentsName(c.contents)));
      EXPECT_EQ(place.leaf, c.leaf);
    }
  }
  EXPECT_TRUE(OutsideMap(Contents::Sky));
  EXPECT_FALSE(OutsideMap(Contents::Water));
  // A space never read has no walls.
  EXPECT_EQ(SolidSpace().PlaceOf({0, 0, 0}).leaf, -1);
  EXPECT_TRUE(SegmentClear(SolidSpace(), {0, 0, 0}, {1e6f, 0, 0}));
}

TEST(SolidSpace, WhereALineFirstMeetsSolid) {
  for (const test::BspKind kind : test::kEveryBspKind) {
    SCOPED_TRACE(test::BspKindName(kind));
    const SolidSpace space = Read(test::MakeRoomBsp(kind));
    // West to east: the wall's west face, a thirty-second before it.
    SegmentTrace trace = TraceSegment(space, {60, 64, 64}, {200, 64, 64});
    EXPECT_EQ(trace.met, Contents::Solid);
    EXPECT_FLOAT_EQ(trace.end[0], 120 - 1.0f / 32);
    EXPECT_FLOAT_EQ(trace.fraction, (60 - 1.0f / 32) / 140);
    EXPECT_EQ(trace.normal, (Vec3{-1, 0, 0}));
    // East to west meets the east face.
    trace = TraceSegment(space, {200, 64, 64}, {60, 64, 64});
    EXPECT_FLOAT_EQ(trace.end[0], 136 + 1.0f / 32);
    EXPECT_EQ(trace.normal, (Vec3{1, 0, 0}));
    // Up through the sky: the sky stops the line only when asked to.
    trace = TraceSegment(space, {60, 64, 64}, {60, 64, 150});
    EXPECT_TRUE(trace.Clear());
    EXPECT_EQ(trace.end, (Vec3{60, 64, 150}));
    trace = TraceSegment(space, {60, 64, 64}, {60, 64, 150}, TraceStops::AtSolidOrSky);
    EXPECT_EQ(trace.met, Contents::Sky);
    EXPECT_FLOAT_EQ(trace.end[2], 128 - 1.0f / 32);
    trace = TraceSegment(space, {60, 64, 64}, {60, 64, 500});
    EXPECT_EQ(trace.met, Contents::Solid);
    EXPECT_FLOAT_EQ(trace.end[2], 160 - 1.0f / 32);
    // Water stops nothing; a line that ends just before the wall is clear.
    EXPECT_TRUE(SegmentClear(space, {200, 64, 64}, {250, 100, 8}));
    EXPECT_TRUE(SegmentClear(space, {60, 64, 64}, {119.9f, 64, 64}));
    EXPECT_FALSE(SegmentClear(space, {60, 64, 64}, {120.1f, 64, 64}));
    // A start inside what stops.
    trace = TraceSegment(space, {128, 64, 64}, {60, 64, 64});
    EXPECT_TRUE(trace.startsInside);
    EXPECT_EQ(trace.fraction, 0);
    EXPECT_EQ(trace.end, (Vec3{128, 64, 64}));
    EXPECT_TRUE(SegmentClear(space, {60, 64, 140}, {60, 64, 64}));
    EXPECT_EQ(TraceSegment(space, {60, 64, 140}, {60, 64, 64}, TraceStops::AtSolidOrSky).met, Contents::Sky);
    // A slanting line out of the box: the point reached is clear.
    trace = TraceSegment(space, {10, 10, 10}, {-90, 130, 50});
    EXPECT_EQ(trace.met, Contents::Solid);
    EXPECT_GT(trace.fraction, 0.0f);
    EXPECT_LT(trace.fraction, 0.1f);
    EXPECT_EQ(space.ContentsAt(trace.end), Contents::Empty);
  }
}

TEST(SolidSpace, ATreeAsDeepAsItMayBe) {
  for (const test::BspKind kind : test::kEveryBspKind) {
    SCOPED_TRACE(test::BspKindName(kind));
    const SolidSpace space = Read(test::MakeChainBsp(kind, kMaxTreeDepth));
    EXPECT_EQ(space.Depth(), kMaxTreeDepth);
    EXPECT_EQ(space.ContentsAt({0, 0, 1}), Contents::Empty);
    EXPECT_EQ(TraceSegment(space, {0, 0, 1}, {0, 0, -1}).end[2], 1.0f / 32);
    EXPECT_NE(Why(test::MakeChainBsp(kind, kMaxTreeDepth + 1)).find("deeper than 1024 nodes"), std::string::npos);
  }
}

TEST(SolidSpace, ADamagedTreeGivesItsReason) {
  for (const test::BspKind kind : test::kEveryBspKind) {
    SCOPED_TRACE(test::BspKindName(kind));
    const bool wide = kind != test::BspKind::kVersion29;
    const std::string good = test::MakeRoomBsp(kind);
    const std::size_t nodesAt = test::LumpOffsetAt(test::kBspNodesLump);
    const std::size_t nodes = static_cast<std::size_t>(test::LongAt(good, nodesAt));
    const std::size_t leaves = static_cast<std::size_t>(test::LongAt(good, test::LumpOffsetAt(test::kBspLeavesLump)));
    const std::size_t planes = static_cast<std::size_t>(test::LongAt(good, test::LumpOffsetAt(test::kBspPlanesLump)));
    const std::size_t models = static_cast<std::size_t>(test::LongAt(good, test::LumpOffsetAt(test::kBspModelsLump)));
    auto node = [&](int index) { return nodes + static_cast<std::size_t>(index) * test::BspNodeSize(kind); };
    // Sets child `side` of node `index`, written as the layout writes it.
    auto setChild = [&](std::string& b, int index, int side, std::int32_t value) {
      const std::size_t at = node(index) + 4 + static_cast<std::size_t>(side) * (wide ? 4 : 2);
      if (wide) {
        test::SetLong(b, at, value);
      } else {
        b[at] = static_cast<char>(value);
        b[at + 1] = static_cast<char>(value >> 8);
      }
    };
    struct Case {
      const char* fault;
      std::function<void(std::string&)> damage;
      std::string reason;
    };
    const Case cases[] = {
        {"header cut short", [](std::string& b) { b.resize(60); }, "too short"},
        {"nodes past the end", [&](std::string& b) { test::SetLong(b, nodesAt, 1 << 30); }, "nodes lump"},
        {"half a leaf", [&](std::string& b) { test::SetLong(b, test::LumpOffsetAt(test::kBspLeavesLump) + 4, 30); },
         "leafs lump holds 30 bytes"},
        {"file cut in the models", [&](std::string& b) { b.resize(models + 10); }, "models lump"},
        {"no world", [&](std::string& b) { test::SetLong(b, test::LumpOffsetAt(test::kBspModelsLump) + 4, 0); },
         "no world model"},
        {"first node out of range", [&](std::string& b) { test::SetLong(b, models + 36, 11); },
         "first node 11 lies outside the 11 nodes"},
        {"plane out of range", [&](std::string& b) { test::SetLong(b, node(10), 10); }, "node 10 names plane 10 of 10"},
        {"plane no number", [&](std::string& b) { test::SetLong(b, planes + 20 * 9 + 12, 0x7FC00000); },
         "plane 9 is no number"},
        // Past the nodes, the children count leaves down from the largest number.
        {"leaf out of range", [&](std::string& b) { setChild(b, 10, 0, -6); }, "names neither"},
        {"child past the nodes", [&](std::string& b) { setChild(b, 10, 0, 11); }, "node 10's child 0 (11)"},
        {"a loop", [&](std::string& b) { setChild(b, 10, 1, 0); }, "node 0 is reached twice"},
        {"a node of two parents", [&](std::string& b) { setChild(b, 9, 0, 10); }, "node 10 is reached twice"},
        {"contents unknown", [&](std::string& b) { test::SetLong(b, leaves + 3 * test::BspLeafSize(kind), 5); },
         "leaf 3 has contents 5"},
    };
    for (const Case& c : cases) {
      SCOPED_TRACE(c.fault);
      std::string bytes = good;
      c.damage(bytes);
      EXPECT_NE(Why(bytes).find(c.reason), std::string::npos) << Why(bytes);
    }
    // Every shorter file and every byte changed: an answer, never a read
    // outside the bytes, and a space that answers within its tree.
    auto probe = [](const std::string& bytes) {
      SolidSpace space;
      std::string error;
      if (space.Read(Bytes(bytes), error)) {
        space.ContentsAt({60, 64, 64});
        TraceSegment(space, {60, 64, 64}, {200, 64, 140}, TraceStops::AtSolidOrSky);
      } else {
        EXPECT_FALSE(error.empty());
      }
    };
    for (std::size_t size = 0; size < good.size(); ++size) probe(good.substr(0, size));
    for (std::size_t at = 0; at < good.size(); ++at) {
      std::string bytes = good;
      bytes[at] = static_cast<char>(bytes[at] ^ 0xA5);
      probe(bytes);
    }
  }
}

TEST(SolidSpace, LoadedByNameFromAQuakeFolder) {
  test::ScratchDir dir;
  fs::create_directories(dir.Path("quake/id1/maps"));
  dir.Write("quake/id1/pak0.pak", test::MakePak({{"maps/room.bsp", test::MakeRoomBsp(test::BspKind::kBsp2)}}));
  dir.Write("quake/id1/maps/cut.bsp", test::MakeRoomBsp(test::BspKind::kVersion29).substr(0, 300));
  SolidSpace space;
  std::string error;
  ASSERT_TRUE(LoadSolidSpace(dir.Path("quake"), "maps/room.bsp", space, error)) << error;
  EXPECT_EQ(space.ContentsAt({200, 64, 16}), Contents::Water);
  EXPECT_FALSE(LoadSolidSpace(dir.Path("quake"), "maps/none.bsp", space, error));
  EXPECT_NE(error.find("no maps/none.bsp in"), std::string::npos) << error;
  EXPECT_FALSE(LoadSolidSpace(dir.Path("quake"), "maps/../../room.bsp", space, error));
  EXPECT_NE(error.find("reaches outside the game folder"), std::string::npos) << error;
  EXPECT_FALSE(LoadSolidSpace(dir.Path("quake"), "maps/cut.bsp", space, error));
  EXPECT_NE(error.find("id1/maps/cut.bsp: the "), std::string::npos) << error;
  // A failed load leaves the space as it was.
  EXPECT_EQ(space.ContentsAt({200, 64, 16}), Contents::Water);
}

// The places of a map's player starts, from its entities' text.
std::vector<Vec3> PlayerStarts(const std::vector<std::uint8_t>& bsp) {
  const std::size_t offset = static_cast<std::size_t>(test::LongAt(std::string(bsp.begin(), bsp.begin() + 12), 4));
  const std::size_t length = static_cast<std::size_t>(test::LongAt(std::string(bsp.begin(), bsp.begin() + 12), 8));
  const std::string text(bsp.begin() + static_cast<std::ptrdiff_t>(offset),
                         bsp.begin() + static_cast<std::ptrdiff_t>(offset + length));
  std::vector<Vec3> starts;
  for (std::size_t open = text.find('{'); open != std::string::npos; open = text.find('{', open + 1)) {
    const std::string entity = text.substr(open, text.find('}', open) - open);
    if (entity.find("\"info_player_start\"") == std::string::npos) continue;
    const std::size_t origin = entity.find("\"origin\" \"");
    if (origin == std::string::npos) continue;
    Vec3 at{};
    std::istringstream(entity.substr(origin + 10)) >> at[0] >> at[1] >> at[2];
    starts.push_back(at);
  }
  return starts;
}

const fs::path kGame = fs::path(CAMWRIGHT_SHARED_DIR) / "quake-base";

TEST(SolidSpace, TheSharedE1m3WhereItsDemoWalks) {
  if (!fs::exists(kGame / "id1/maps/e1m3.bsp")) GTEST_SKIP() << "no e1m3.bsp in " << kGame;
  SolidSpace space;
  std::string error;
  ASSERT_TRUE(LoadSolidSpace(kGame.string(), "maps/e1m3.bsp", space, error)) << error;
  // Where the player of qfm_e1m3.dem stands first and last.
  for (const Vec3& at : {Vec3{-592, 80, 72}, Vec3{-1370, 722, -424}}) {
    EXPECT_FALSE(OutsideMap(space.ContentsAt(at))) << ContentsName(space.ContentsAt(at));
  }
  EXPECT_EQ(space.ContentsAt({-592, 80, 72}), Contents::Empty);
  EXPECT_EQ(space.PlaceOf({20000, 20000, 20000}).leaf, 0);
  EXPECT_EQ(space.ContentsAt({20000, 20000, 20000}), Contents::Solid);
  // A line from there out of the map stops inside it, at a clear point.
  const SegmentTrace out = TraceSegment(space, {-592, 80, 72}, {20000, 80, 72});
  EXPECT_EQ(out.met, Contents::Solid);
  EXPECT_LT(out.fraction, 0.1f);
  EXPECT_EQ(space.ContentsAt(out.end), Contents::Empty);
}

TEST(SolidSpace, EverySharedMapsPlayerStartIsInsideIt) {
  if (!fs::exists(kGame / "id1/maps")) GTEST_SKIP() << "no maps in " << kGame;
  int maps = 0, starts = 0;
  for (const auto& entry : fs::directory_iterator(kGame / "id1/maps")) {
    if (entry.path().extension() != ".bsp") continue;
    SCOPED_TRACE(entry.path().filename().string());
    const std::string bytes = test::ReadText(entry.path().string());
    SolidSpace space;
    std::string error;
    ASSERT_TRUE(space.Read(Bytes(bytes), error)) << error;
    EXPECT_LT(space.Depth(), 100);
    for (const Vec3& start : PlayerStarts(Bytes(bytes))) {
      EXPECT_EQ(space.ContentsAt(start), Contents::Empty);
      EXPECT_FALSE(SegmentClear(space, start, {start[0], start[1], start[2] - 100000}));
      ++starts;
    }
    ++maps;
  }
  EXPECT_GT(maps, 0);
  EXPECT_GT(starts, 0);
}

}  // namespace
}  // namespace cw
