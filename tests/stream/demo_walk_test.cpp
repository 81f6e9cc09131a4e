#include "stream/demo_walk.h"

#include <gtest/gtest.h>

#include <sstream>
#include <vector>

#include "stream_fixture.h"

namespace cw {
namespace {

using test::Bytes;

const Bytes kMarker = {'A', 'B', 'C', 'D', 'E', 'F', 'G', 0};

struct Walked {
  std::vector<int> lengths;
  std::vector<std::int64_t> offsets;
  WalkEnd end = WalkEnd::Open;
  std::int64_t endOffset = 0;
  bool damaged = false;
};

Walked Walk(const std::string& demo) {
  std::istringstream in(demo);
  Vec3 angles{};
  DemoWalk walk(in, angles);
  CBlock block;
  Walked walked;
  while (walk.Next(block)) {
    EXPECT_EQ(walk.Number(), static_cast<int>(walked.lengths.size()) + 1);
    walked.lengths.push_back(block.Length());
    walked.offsets.push_back(walk.Offset());
  }
  walked.end = walk.End();
  walked.endOffset = walk.Offset();
  walked.damaged = walk.Damaged();
  EXPECT_FALSE(walk.Next(block));  // an ended walk stays ended
  return walked;
}

TEST(DemoWalk, TheFirstLineIsKeptToItsLimitAndCountsInTheOffsets) {
  for (const std::size_t length : {std::size_t{0}, kFirstLineKept, kFirstLineKept + 1}) {
    SCOPED_TRACE(length);
    const std::string line(length, '7');
    std::istringstream in(test::MakeDemo(line + "\r\n", {{1, 2}}));
    Vec3 angles{};
    DemoWalk walk(in, angles);
    EXPECT_EQ(walk.FirstLine(), line.substr(0, kFirstLineKept) + (length < kFirstLineKept ? "\r" : ""));
    EXPECT_TRUE(walk.FirstLineEnded());
    CBlock block;
    ASSERT_TRUE(walk.Next(block));
    EXPECT_EQ(walk.Offset(), static_cast<std::int64_t>(length + 2));
    EXPECT_FALSE(walk.Damaged());
  }
  for (const char* text : {"", "-1", "no line feed in the whole file"}) {
    std::istringstream in(text);
    Vec3 angles{};
    DemoWalk walk(in, angles);
    EXPECT_FALSE(walk.FirstLineEnded()) << text;
    EXPECT_TRUE(walk.Damaged()) << text;
    CBlock block;
    EXPECT_FALSE(walk.Next(block));
    EXPECT_EQ(walk.End(), WalkEnd::FileEnd);
  }
}

TEST(DemoWalk, BlocksComeWithTheirAnglesNumbersAndOffsets) {
  std::string demo = test::MakeDemo("-1\n", {{1, 2, 3}, {}, {4}});
  demo[3 + 4] = 0;  // first block's pitch: the float 1.0 (0x3F800000)
  demo[3 + 5] = 0;
  demo[3 + 6] = static_cast<char>(0x80);
  demo[3 + 7] = 0x3F;
  std::istringstream in(demo);
  Vec3 angles{9, 9, 9};
  DemoWalk walk(in, angles);
  CBlock block;
  ASSERT_TRUE(walk.Next(block));
  EXPECT_EQ(angles, (Vec3{1, 0, 0}));
  const Walked walked = Walk(demo);
  EXPECT_EQ(walked.lengths, (std::vector<int>{3, 0, 1}));
  EXPECT_EQ(walked.offsets, (std::vector<std::int64_t>{3, 3 + 19, 3 + 19 + 16}));
  EXPECT_EQ(walked.end, WalkEnd::FileEnd);
  EXPECT_EQ(walked.endOffset, 3 + 19 + 16 + 17);
  EXPECT_FALSE(walked.damaged);
}

TEST(DemoWalk, HowTheDemoEnds) {
  const std::string front = test::MakeDemo("-1\n", {{1}});
  const std::int64_t end = 3 + 17;
  struct Case {
    const char* name;
    std::string demo;
    WalkEnd end;
    bool damaged;
  };
  Bytes longMarker = kMarker;
  longMarker.push_back(1);
  const std::vector<Case> cases = {
      {"marker", test::MakeDemo("-1\n", {{1}, kMarker}), WalkEnd::Marker, false},
      {"marker, one byte more", test::MakeDemo("-1\n", {{1}, longMarker}), WalkEnd::AfterMarker, true},
      {"a block after the marker", test::MakeDemo("-1\n", {{1}, kMarker, {1}}), WalkEnd::AfterMarker, true},
      {"marker cut short", test::MakeDemo("-1\n", {{1}, longMarker}).substr(0, end + 16 + 8), WalkEnd::CutMarker, true},
      {"header cut short", front + std::string(15, '\0'), WalkEnd::BrokenHeader, true},
      {"length past the largest block", front + test::MakeDemo("", {Bytes(65537, 1)}), WalkEnd::BrokenHeader, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Walked walked = Walk(c.demo);
    EXPECT_EQ(walked.lengths, std::vector<int>{1});
    EXPECT_EQ(walked.end, c.end);
    EXPECT_EQ(walked.endOffset, end);
    EXPECT_EQ(walked.damaged, c.damaged);
  }
  // The largest block is a block; one cut short is walked, and damaged.
  EXPECT_EQ(Walk(front + test::MakeDemo("", {Bytes(65536, 1)})).lengths, (std::vector<int>{1, 65536}));
  const Walked cut = Walk(front + test::MakeDemo("", {Bytes(10, 1)}).substr(0, 16 + 4));
  EXPECT_EQ(cut.lengths, (std::vector<int>{1, 4}));
  EXPECT_EQ(cut.end, WalkEnd::FileEnd);
  EXPECT_TRUE(cut.damaged);
}

TEST(DemoWalk, IsToldHowFarItCameEveryFewBlocksAndStopsWhenAsked) {
  const std::string demo = test::MakeDemo("-1\n", std::vector<Bytes>(3 * kBlocksBetweenChecks, Bytes{1}));
  for (const int stopAt : {0, 1, 2}) {
    SCOPED_TRACE(stopAt);
    std::istringstream in(demo);
    Vec3 angles{};
    std::vector<std::streamoff> told;
    DemoWalk walk(in, angles, [&told, stopAt](std::streamoff bytes) {
      told.push_back(bytes);
      return static_cast<int>(told.size()) != stopAt;
    });
    CBlock block;
    int blocks = 0;
    while (walk.Next(block)) ++blocks;
    const int checks = stopAt == 0 ? 3 : stopAt;
    ASSERT_EQ(static_cast<int>(told.size()), checks);
    EXPECT_EQ(told[0], 3 + kBlocksBetweenChecks * 17);
    EXPECT_EQ(blocks, stopAt == 0 ? 3 * kBlocksBetweenChecks : stopAt * kBlocksBetweenChecks - 1);
    EXPECT_EQ(walk.End(), stopAt == 0 ? WalkEnd::FileEnd : WalkEnd::Stopped);
  }
}

}  // namespace
}  // namespace cw
