// The game's files as the preview reads them: floors from BSP files, entries
// from pak files, and what a damaged one of either gives.

#include "inspect/game_map.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "game_files.h"
#include "shared_demos.h"
#include "stream_fixture.h"

namespace cw {
namespace {

std::vector<std::uint8_t> Bytes(const std::string& text) { return {text.begin(), text.end()}; }

TEST(BspFloors, TheWorldsUpwardFacesInBothLayouts) {
  for (const bool bsp2 : {false, true}) {
    SCOPED_TRACE(bsp2 ? "BSP2" : "version 29");
    FloorPlan plan;
    std::string error;
    ASSERT_TRUE(ReadBspFloors(Bytes(test::MakeBsp(bsp2)), plan, error)) << error;
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

class GameFolder : public ::testing::Test {
 protected:
  GameFolder() { std::filesystem::create_directories(dir.Path("id1/maps")); }
  std::string Found(const std::string& name) const {
    const GameFile file = FindGameFile(dir.Root(), name);
    return file.found ? std::string(file.bytes.begin(), file.bytes.end()) + " from " +
                            std::filesystem::path(file.where).filename().string()
                      : "not found: " + file.error;
  }
  test::ScratchDir dir;
};

TEST_F(GameFolder, PakFilesComeFirstTheHighestNumberFirst) {
  dir.Write("id1/maps/a.bsp", "loose a");
  dir.Write("id1/maps/c.bsp", "loose c");
  dir.Write("id1/pak0.pak", test::MakePak({{"maps/a.bsp", "pak0 a"}, {"maps/b.bsp", "pak0 b"}}));
  dir.Write("id1/pak1.pak", test::MakePak({{"maps/b.bsp", "pak1 b"}}));
  EXPECT_EQ(Found("maps/a.bsp"), "pak0 a from pak0.pak");
  EXPECT_EQ(Found("maps/B.BSP"), "pak1 b from pak1.pak");
  EXPECT_EQ(Found("maps/c.bsp"), "loose c from c.bsp");
  EXPECT_EQ(Found("maps/d.bsp").substr(0, 10), "not found:");
  // The id1 folder itself will do as well.
  EXPECT_TRUE(FindGameFile(dir.Path("id1"), "maps/a.bsp").found);
}

TEST_F(GameFolder, ADamagedPakIsNamedAndPassedOver) {
  const std::string good = test::MakePak({{"maps/a.bsp", "pak a"}});
  const std::size_t directory = static_cast<std::size_t>(test::LongAt(good, 4));
  struct Case {
    const char* fault;
    std::function<void(std::string&)> damage;
    const char* reason;
  };
  const Case cases[] = {
      {"no magic", [](std::string& b) { b[0] = 'X'; }, "no pak file"},
      {"cut header", [](std::string& b) { b.resize(6); }, "no pak file"},
      {"directory past the end", [](std::string& b) { test::SetLong(b, 4, 1 << 30); }, "its directory"},
      {"directory of half an entry", [](std::string& b) { test::SetLong(b, 8, 32); }, "no whole number"},
      {"entry past the end", [&](std::string& b) { test::SetLong(b, directory + 60, 1 << 30); }, "maps/a.bsp ("},
      {"entry at a negative offset", [&](std::string& b) { test::SetLong(b, directory + 56, -8); }, "maps/a.bsp ("},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.fault);
    std::string bytes = good;
    c.damage(bytes);
    dir.Write("id1/pak0.pak", bytes);
    std::vector<std::uint8_t> entry;
    std::string error;
    EXPECT_EQ(ReadPakEntry(dir.Path("id1/pak0.pak"), "maps/a.bsp", entry, error), PakLookup::Damaged);
    EXPECT_NE(error.find(c.reason), std::string::npos) << error;
    // A loose file is still found past the damaged pak.
    dir.Write("id1/maps/a.bsp", "loose a");
    EXPECT_EQ(Found("maps/a.bsp"), "loose a from a.bsp");
    std::filesystem::remove(dir.Path("id1/maps/a.bsp"));
    EXPECT_NE(Found("maps/a.bsp").find(c.reason), std::string::npos);
  }
}

// Names come from demos and scripts: one that would leave the game folder
// is not looked up, however it is written.
TEST_F(GameFolder, ANameNeverLeavesTheFolder) {
  dir.Write("outside.bsp", "outside");
  dir.Write("id1/maps/..e1m3.bsp", "dots");
  dir.Write("id1/maps/e1m3.bsp", "e1m3");
  EXPECT_EQ(Found("maps/..e1m3.bsp"), "dots from ..e1m3.bsp");
  EXPECT_EQ(Found("maps/./e1m3.bsp"), "e1m3 from e1m3.bsp");
  for (const std::string& name :
       std::vector<std::string>{"../outside.bsp", "maps/../../outside.bsp", "..", "maps/..",
                                "maps\\..\\..\\outside.bsp", dir.Path("outside.bsp"), "\\outside.bsp", ""}) {
    SCOPED_TRACE(name);
    EXPECT_NE(NameLeavingGameFolder(name), "");
    EXPECT_EQ(Found(name), "not found: " + NameLeavingGameFolder(name));
  }
}

TEST_F(GameFolder, AFileLargerThanAnyGameFileIsNotRead) {
  dir.Write("id1/maps/a.bsp", "0123456789");
  EXPECT_TRUE(FindGameFile(dir.Root(), "maps/a.bsp", 10).found);
  const GameFile large = FindGameFile(dir.Root(), "maps/a.bsp", 9);
  EXPECT_FALSE(large.found);
  EXPECT_NE(large.error.find("a.bsp: the file holds 10 bytes, more than the 9 of any game file"), std::string::npos)
      << large.error;
  // In a pak, the entry is passed over as damage, and the loose file is found.
  dir.Write("id1/pak0.pak", test::MakePak({{"maps/a.bsp", "pak a"}}));
  std::vector<std::uint8_t> entry;
  std::string error;
  EXPECT_EQ(ReadPakEntry(dir.Path("id1/pak0.pak"), "maps/a.bsp", entry, error, 5), PakLookup::Found);
  EXPECT_EQ(ReadPakEntry(dir.Path("id1/pak0.pak"), "maps/a.bsp", entry, error, 4), PakLookup::Damaged);
  EXPECT_NE(error.find("maps/a.bsp holds 5 bytes, more than the 4"), std::string::npos) << error;
  const GameFile passed = FindGameFile(dir.Root(), "maps/a.bsp", 10);
  EXPECT_EQ(std::string(passed.bytes.begin(), passed.bytes.end()), "pak a");
}

}  // namespace
}  // namespace cw
