#include "autogen/disposition.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

namespace cw {
namespace {

ZoneTables Read(const std::string& text) {
  std::istringstream in(text);
  ZoneTables tables;
  ReadDispositionFile(in, tables);
  return tables;
}

const CameraZone& Zone(const ZoneTables& tables, int n) { return tables.zones[static_cast<std::size_t>(n)]; }
bool Linked(const ZoneTables& tables, int a, int b) {
  return tables.zoneLinks[static_cast<std::size_t>(a)][static_cast<std::size_t>(b)];
}

int DefinedCount(const ZoneTables& tables) {
  int count = 0;
  for (const CameraZone& zone : tables.zones) count += zone.defined ? 1 : 0;
  return count;
}

int LinkCount(const ZoneTables& tables) {
  int count = 0;
  for (const auto& row : tables.zoneLinks)
    for (bool link : row) count += link ? 1 : 0;
  return count;
}

void ExpectBox(const CameraZone& zone, std::array<int, 3> low, std::array<int, 3> high) {
  for (int axis = 0; axis < 3; ++axis) {
    SCOPED_TRACE(axis);
    EXPECT_EQ(zone.low[axis], low[static_cast<std::size_t>(axis)]);
    EXPECT_EQ(zone.high[axis], high[static_cast<std::size_t>(axis)]);
  }
}

TEST(DispositionFile, ReadsTheExampleOfTwoLinkedZones) {
  const ZoneTables tables = Read(
      "---START---\n"
      "1   512 -128 96    0 -512 0   1024 256 256    2 0\n"
      "2   -256 640 128   -1024 256 0   0 1024 256   1 0\n"
      "---END---\n");
  ASSERT_TRUE(Zone(tables, 1).defined);
  EXPECT_EQ(Zone(tables, 1).spot[0], 512);
  EXPECT_EQ(Zone(tables, 1).spot[1], -128);
  EXPECT_EQ(Zone(tables, 1).spot[2], 96);
  ExpectBox(Zone(tables, 1), {0, -512, 0}, {1024, 256, 256});
  ExpectBox(Zone(tables, 2), {-1024, 256, 0}, {0, 1024, 256});
  EXPECT_TRUE(Linked(tables, 1, 2));
  EXPECT_TRUE(Linked(tables, 2, 1));
  EXPECT_EQ(DefinedCount(tables), 2);
}

TEST(DispositionFile, CornersInEitherOrderGiveTheSameBox) {
  const struct {
    const char* corners;
  } cases[] = {
      {"0 -512 0   1024 256 256"},  // low then high on every axis
      {"1024 -512 256   0 256 0"},  // high then low on x and z, low then high on y
      {"1024 256 256   0 -512 0"},  // high then low on every axis
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.corners);
    const ZoneTables tables = Read(std::string("---START--- 1 5 6 7 ") + c.corners + " 0 ---END---");
    ExpectBox(Zone(tables, 1), {0, -512, 0}, {1024, 256, 256});
  }
}

TEST(DispositionFile, ALinkInOneRecordLinksBothWays) {
  const ZoneTables tables = Read(
      "---START---\n"
      "1 0 0 0  0 0 0  10 10 10  0\n"
      "2 0 0 0  20 0 0  30 10 10  1 0\n"
      "49 0 0 0  40 0 0  50 10 10  0\n"
      "---END---\n");
  EXPECT_TRUE(Linked(tables, 1, 2));
  EXPECT_TRUE(Linked(tables, 2, 1));
  EXPECT_FALSE(Linked(tables, 1, 49));
  EXPECT_FALSE(Linked(tables, 49, 2));
  EXPECT_TRUE(Zone(tables, 49).defined);  // the highest zone, with no links at all
}

TEST(DispositionFile, TextOutsideSectionsIsIgnoredAndSectionsFollowEachOther) {
  const ZoneTables tables = Read(
      "Cameras for the box map, by someone\n"
      "1 2 3 4 5 6 7 8 9 10 0 ---END--- words\n"
      "---START--- 4 1 1 1 0 0 0 9 9 9 0 ---END---\n"
      "a comment between sections: 7 0 0 0\n"
      "---START--- 5 2 2 2 0 0 0 9 9 9 4 0 ---END--- trailing words");
  EXPECT_EQ(DefinedCount(tables), 2);
  EXPECT_TRUE(Zone(tables, 4).defined);
  EXPECT_TRUE(Zone(tables, 5).defined);
  EXPECT_TRUE(Linked(tables, 4, 5));
}

TEST(DispositionFile, EmptyOutsideASectionEndsTheReading) {
  const ZoneTables tables = Read(
      "---START--- 1 0 0 0 0 0 0 9 9 9 0 ---END---\n"
      "EMPTY\n"
      "---START--- 2 0 0 0 0 0 0 9 9 9 1 0 ---END---\n");
  EXPECT_TRUE(Zone(tables, 1).defined);
  EXPECT_FALSE(Zone(tables, 2).defined);
  EXPECT_EQ(LinkCount(tables), 2);  // only 1-0 and 0-1, from zone 1's closing 0
}

TEST(DispositionFile, NoSectionLeavesBothTablesEmpty) {
  for (const char* text :
       {"", "   \n\t", "1 0 0 0 0 0 0 9 9 9 0", "EMPTY ---START--- 1 0 0 0 0 0 0 9 9 9 0 ---END---"}) {
    SCOPED_TRACE(text);
    const ZoneTables tables = Read(text);
    EXPECT_EQ(DefinedCount(tables), 0);
    EXPECT_EQ(LinkCount(tables), 0);
  }
}

TEST(DispositionFile, AZoneGivenTwiceTakesTheLaterNumbersAndBothLinkLists) {
  const ZoneTables tables = Read(
      "---START--- 1 1 1 1 0 0 0 9 9 9 2 0 ---END---\n"
      "---START--- 1 5 5 5 0 0 0 4 4 4 3 0 ---END---\n");
  EXPECT_EQ(Zone(tables, 1).spot[0], 5);
  ExpectBox(Zone(tables, 1), {0, 0, 0}, {4, 4, 4});
  EXPECT_TRUE(Linked(tables, 1, 2));
  EXPECT_TRUE(Linked(tables, 1, 3));
}

TEST(DispositionFile, EveryReadingStartsFromEmptyTables) {
  ZoneTables tables;
  std::istringstream first("---START--- 7 1 1 1 0 0 0 9 9 9 8 0 ---END---");
  ReadDispositionFile(first, tables);
  ASSERT_TRUE(Zone(tables, 7).defined);
  std::istringstream second("---START--- 3 1 1 1 0 0 0 9 9 9 0 ---END---");
  ReadDispositionFile(second, tables);
  EXPECT_FALSE(Zone(tables, 7).defined);
  EXPECT_FALSE(Linked(tables, 7, 8));
  EXPECT_TRUE(Zone(tables, 3).defined);
}

TEST(DispositionFile, WordsAreSeparatedByAnyWhiteSpace) {
  const ZoneTables tables = Read("---START---\t1\r\n-5\v+6\f7 0 0 0 9 9 9 0\n\n---END---");
  ASSERT_TRUE(Zone(tables, 1).defined);
  EXPECT_EQ(Zone(tables, 1).spot[0], -5);
  EXPECT_EQ(Zone(tables, 1).spot[1], 6);
  EXPECT_EQ(Zone(tables, 1).spot[2], 7);
}

TEST(DispositionFileName, IsTheMapNameWithLog) {
  const struct {
    const char* model;
    const char* name;
  } cases[] = {
      {"maps/e1m1.bsp", "e1m1.log"},
      {"maps/cwbox.bsp", "cwbox.log"},
      {"maps/my.map.bsp", "my.map.log"},  // cut at the last '.'
      {"maps/nodot", "nodot.log"},        // no '.': the name as it stands
      {"maps/", ".log"},
      {"map", ".log"},
      {"", ".log"},
      // Longer than the 31 characters a fixed buffer would hold: kept whole.
      {"maps/a_very_long_map_name_of_more_than_thirty_one_characters.bsp",
       "a_very_long_map_name_of_more_than_thirty_one_characters.log"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.model);
    EXPECT_EQ(DispositionFileName(c.model), c.name);
  }
}

// Files that break the format: the zones read completely before the fault are
// kept, the rest is ignored, and nothing is indexed outside the tables.
TEST(DispositionFileMalformed, KeepsTheRecordsCompletedBeforeTheFault) {
  const std::string good = "---START--- 1 1 1 1 0 0 0 9 9 9 2 0\n";
  const std::string laterSection = "\n---START--- 3 1 1 1 0 0 0 9 9 9 0 ---END---";
  const struct {
    const char* name;
    std::string rest;
  } cases[] = {
      {"section not closed", ""},
      {"file ends inside the nine numbers", "2 1 1 1 0 0"},
      {"file ends inside the links", "2 1 1 1 0 0 0 9 9 9 1 3"},
      {"file ends after a zone number", "2"},
      // Whatever follows a fault, even a good section, is not read.
      {"not an integer among the numbers", "2 1 1 1 0 0 x 9 9 9 0 ---END---" + laterSection},
      {"a fraction among the numbers", "2 1 1 1 0 0 0.5 9 9 9 0 ---END---" + laterSection},
      {"a number out of the int range", "2 1 1 1 0 0 99999999999 9 9 9 0 ---END---" + laterSection},
      {"a sign alone", "2 1 1 1 0 0 - 9 9 9 0 ---END---" + laterSection},
      {"two signs", "2 1 1 1 0 0 +-4 9 9 9 0 ---END---" + laterSection},
      {"not an integer among the links", "2 1 1 1 0 0 0 9 9 9 1 ---END---" + laterSection},
      {"link number 50", "2 1 1 1 0 0 0 9 9 9 50 0 ---END---" + laterSection},
      {"negative link number", "2 1 1 1 0 0 0 9 9 9 -1 0 ---END---" + laterSection},
      {"zone number 50", "50 1 1 1 0 0 0 9 9 9 0 ---END---" + laterSection},
      {"negative zone number", "-3 1 1 1 0 0 0 9 9 9 0 ---END---" + laterSection},
      {"huge zone number", "2147483647 1 1 1 0 0 0 9 9 9 0 ---END---" + laterSection},
      {"word of 80 characters", std::string(80, '7') + " 2 1 1 1 0 0 0 9 9 9 0 ---END---" + laterSection},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const ZoneTables tables = Read(good + c.rest);
    EXPECT_TRUE(Zone(tables, 1).defined);
    EXPECT_FALSE(Zone(tables, 2).defined);
    EXPECT_FALSE(Zone(tables, 3).defined);
    EXPECT_TRUE(Linked(tables, 1, 2));
    EXPECT_EQ(LinkCount(tables), 4);  // 1-2, 2-1, 1-0, 0-1
  }
}

TEST(DispositionFileMalformed, ARecordCutShortLeavesAnEarlierRecordOfTheSameZone) {
  const ZoneTables tables = Read(
      "---START--- 1 1 1 1 0 0 0 9 9 9 0\n"
      "1 5 5 5 0 0 0 4 4 4 3 oops");
  EXPECT_EQ(Zone(tables, 1).spot[0], 1);
  ExpectBox(Zone(tables, 1), {0, 0, 0}, {9, 9, 9});
  EXPECT_FALSE(Linked(tables, 1, 3));
}

TEST(DispositionFileMalformed, AZoneNumberThatIsNotANumberCountsAsZoneZero) {
  const ZoneTables tables = Read("---START--- lobby 4 5 6 0 0 0 9 9 9 2 0 1 1 1 1 0 0 0 9 9 9 0 ---END---");
  EXPECT_TRUE(Zone(tables, 0).defined);
  EXPECT_EQ(Zone(tables, 0).spot[0], 4);
  EXPECT_TRUE(Zone(tables, 1).defined);
  EXPECT_FALSE(Linked(tables, 1, 2));
}

TEST(DispositionFileMalformed, WordsUpToTheLimitAreFine) {
  // A comment word of exactly 79 characters is an ordinary word.
  const ZoneTables tables = Read(std::string(79, '=') + " ---START--- 1 1 1 1 0 0 0 9 9 9 0 ---END---");
  EXPECT_TRUE(Zone(tables, 1).defined);
  EXPECT_FALSE(Read(std::string(80, '=') + " ---START--- 1 1 1 1 0 0 0 9 9 9 0 ---END---").zones[1].defined);
}

TEST(DispositionFileMalformed, AnEmptySectionIsTakenAsEmpty) {
  const ZoneTables tables = Read("---START--- ---END--- ---START--- 2 1 1 1 0 0 0 9 9 9 0 ---END---");
  EXPECT_TRUE(Zone(tables, 2).defined);
}

}  // namespace
}  // namespace cw
