// The game's files as the game finds them under a Quake folder: entries of
// pak files, loose files, what a damaged pak gives, and names that would
// leave the folder.

#include "map/game_folder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "game_files.h"
#include "stream_fixture.h"

namespace cw {
namespace {

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
