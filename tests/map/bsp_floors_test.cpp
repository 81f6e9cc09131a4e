// A BSP file's floors as the preview draws them, and what a damaged file
// gives.

#include "map/bsp_floors.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "game_files.h"
#include "map/game_folder.h"
#include "shared_demos.h"

namespace cw {
namespace {

std::vector<std::uint8_t> Bytes(const std::string& text) { return {text.begin(), text.end()}; }

TEST(BspFloors, TheWorldsUpwardFacesInEachLayout) {
  // 2PSB's faces and edges are those of BSP2.
  std::string rmq = test::MakeBsp(true);
  rmq.replace(0, 4, "2PSB");
  for (const std::string& bsp : {test::MakeBsp(false), test::MakeBsp(true), rmq}) {
    SCOPED_TRACE(bsp.substr(0, 4));
    FloorPlan plan;
    std::string error;
    ASSERT_TRUE(ReadBspFloors(Bytes(bsp), plan, error)) << error;
    // The ceiling faces down, the wall sideways, the brush model's floor is
    // no part of the world.
    ASSERT_EQ(plan.floors.size(), 1u);
    const std::vector<std::pair<float, float>> square = {{0, 0}, {64, 0}, {64, 64}, {0, 64}};
    EXPECT_EQ(plan.floors[0].points, square);
    EXPECT_FLOAT_EQ(plan.floors[0].height, 32);
    EXPECT_EQ(plan.leftOut, 0u);
  }
}

TEST(BspFloors, APlanHoldsTheCornersItMay) {
  const std::vector<std::uint8_t> bytes = Bytes(test::MakeBsp(false));
  FloorPlan plan;
  std::string error;
  ASSERT_TRUE(ReadBspFloors(bytes, plan, error, 4));
  EXPECT_EQ(plan.floors.size(), 1u);
  EXPECT_EQ(plan.leftOut, 0u);
  ASSERT_TRUE(ReadBspFloors(bytes, plan, error, 3));
  EXPECT_EQ(plan.floors.size(), 0u);
  EXPECT_EQ(plan.leftOut, 1u);
}

TEST(BspFloors, ADamagedFileGivesItsReasonAndNothingElse) {
  const std::string good = test::MakeBsp(false);
  const std::size_t faces = test::LumpOffsetAt(test::kBspFacesLump);
  const std::size_t firstFace = static_cast<std::size_t>(test::LongAt(good, faces));
  const std::size_t surfedges =
      static_cast<std::size_t>(test::LongAt(good, test::LumpOffsetAt(test::kBspSurfedgesLump)));
  const std::size_t edges = static_cast<std::size_t>(test::LongAt(good, test::LumpOffsetAt(test::kBspEdgesLump)));
  const std::size_t models = static_cast<std::size_t>(test::LongAt(good, test::LumpOffsetAt(test::kBspModelsLump)));
  struct Case {
    const char* fault;
    std::function<void(std::string&)> damage;
    const char* reason;
  };
  const Case cases[] = {
      {"header cut short", [](std::string& b) { b.resize(100); }, "too short"},
      {"another version", [](std::string& b) { test::SetLong(b, 0, 30); }, "version 30"},
      {"lump past the end", [&](std::string& b) { test::SetLong(b, faces, 1 << 30); }, "faces lump"},
      {"negative lump length", [&](std::string& b) { test::SetLong(b, faces + 4, -20); }, "faces lump"},
      {"lump of half a record", [&](std::string& b) { test::SetLong(b, faces + 4, 30); }, "no whole number"},
      {"file cut inside a lump", [&](std::string& b) { b.resize(models + 10); }, "models lump"},
      {"plane out of range", [&](std::string& b) { b[firstFace] = 9; }, "plane 9"},
      {"edges out of range", [&](std::string& b) { test::SetLong(b, firstFace + 4, 1000); }, "edges 1000"},
      {"surfedge out of range", [&](std::string& b) { test::SetLong(b, surfedges, -99); }, "edge 99"},
      {"surfedge of the lowest long", [&](std::string& b) { test::SetLong(b, surfedges, INT32_MIN); },
       "edge 2147483648"},
      {"vertex out of range", [&](std::string& b) { b[edges + 4] = 40; }, "vertex 40"},
      {"world's faces out of range", [&](std::string& b) { test::SetLong(b, models + 60, 7); }, "world's faces"},
      // The ceiling names the wall's edges as well as its own.
      {"faces sharing edges", [&](std::string& b) { b[firstFace + 20 + 8] = 8; }, "16 surface edges in all"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.fault);
    std::string bytes = good;
    c.damage(bytes);
    FloorPlan plan;
    plan.floors.resize(1);
    std::string error;
    EXPECT_FALSE(ReadBspFloors(Bytes(bytes), plan, error));
    EXPECT_NE(error.find(c.reason), std::string::npos) << error;
    EXPECT_EQ(plan.floors.size(), 1u);  // untouched
  }
  // Every shorter file and every byte changed: an answer, never a read
  // outside the bytes (the sanitizer build watches).
  for (std::size_t size = 0; size < good.size(); ++size) {
    FloorPlan plan;
    std::string error;
    ReadBspFloors(Bytes(good.substr(0, size)), plan, error);
  }
  for (std::size_t at = 0; at < good.size(); ++at) {
    std::string bytes = good;
    bytes[at] = static_cast<char>(bytes[at] ^ 0xA5);
    FloorPlan plan;
    std::string error;
    ReadBspFloors(Bytes(bytes), plan, error);
  }
}

TEST(BspFloors, TheSharedE1m3) {
  const std::filesystem::path map = std::filesystem::path(CAMWRIGHT_SHARED_DIR) / "quake-base/id1/maps/e1m3.bsp";
  if (!std::filesystem::exists(map)) GTEST_SKIP() << "no " << map;
  const GameFile file = FindGameFile(std::filesystem::path(CAMWRIGHT_SHARED_DIR) / "quake-base", "maps/e1m3.bsp");
  ASSERT_TRUE(file.found) << file.error;
  FloorPlan plan;
  std::string error;
  ASSERT_TRUE(ReadBspFloors(file.bytes, plan, error)) << error;
  EXPECT_GT(plan.floors.size(), 500u);
  EXPECT_EQ(plan.leftOut, 0u);
  for (const FloorPolygon& floor : plan.floors) ASSERT_GE(floor.points.size(), 3u);
}

}  // namespace
}  // namespace cw
