#include "stream/block.h"

#include <gtest/gtest.h>

#include <climits>
#include <sstream>

#include "base/convert.h"
#include "stream_fixture.h"

namespace cw {
namespace {

using test::Bytes;

std::string Header(std::int32_t length, float pitch, float yaw, float roll) {
  Bytes bytes;
  test::AppendLong(bytes, length);
  test::AppendFloat(bytes, pitch);
  test::AppendFloat(bytes, yaw);
  test::AppendFloat(bytes, roll);
  return std::string(bytes.begin(), bytes.end());
}

TEST(BlockRead, ReadsLengthAnglesAndBytes) {
  std::istringstream in(Header(3, 1.5f, -90, 0) + std::string("\x07\x02\x02", 3));
  CBlock block;
  Vec3 angles{};
  EXPECT_EQ(block.ReadFrom(in, angles), ReadStatus::Block);
  EXPECT_EQ(block.Length(), 3);
  EXPECT_EQ(angles, (Vec3{1.5f, -90, 0}));
  EXPECT_FALSE(block.IsEndMarker());
  EXPECT_EQ(block.ReadByte(), 7);
}

TEST(BlockRead, EmptyFileLeavesTheEndMarker) {
  std::istringstream in("");
  CBlock block;
  Vec3 angles{9, 9, 9};
  EXPECT_EQ(block.ReadFrom(in, angles), ReadStatus::End);
  EXPECT_TRUE(block.IsEndMarker());
  EXPECT_EQ(angles, (Vec3{9, 9, 9}));
}

TEST(BlockRead, ZeroLengthBlockIsABlock) {
  std::istringstream in(Header(0, 0, 0, 0));
  CBlock block;
  Vec3 angles{};
  EXPECT_EQ(block.ReadFrom(in, angles), ReadStatus::Block);
  EXPECT_FALSE(block.IsEndMarker());
  EXPECT_TRUE(block.AtEnd());
}

TEST(BlockRead, BytesBeginningWithTheMarkerEndTheDemo) {
  std::istringstream in(Header(9, 0, 0, 0) + std::string("ABCDEFG\0\x02", 9));
  CBlock block;
  Vec3 angles{};
  block.ReadFrom(in, angles);
  EXPECT_TRUE(block.IsEndMarker());
}

// Damaged files, one fault each.
TEST(BlockReadDamaged, FileEndingInsideTheHeaderStopsReading) {
  std::istringstream in(Header(3, 0, 0, 0).substr(0, 10));
  CBlock block;
  Vec3 angles{};
  EXPECT_EQ(block.ReadFrom(in, angles), ReadStatus::Damaged);
  EXPECT_TRUE(block.IsEndMarker());
}

TEST(BlockReadDamaged, NegativeOrHugeLengthStopsReading) {
  for (std::int32_t length : {-1, INT_MIN, 65537, INT_MAX}) {
    SCOPED_TRACE(length);
    std::istringstream in(Header(length, 0, 0, 0) + std::string(100, '\x02'));
    CBlock block;
    Vec3 angles{};
    EXPECT_EQ(block.ReadFrom(in, angles), ReadStatus::Damaged);
    EXPECT_TRUE(block.IsEndMarker());
  }
}

TEST(BlockReadDamaged, LargestAcceptedLengthIsRead) {
  std::istringstream in(Header(65536, 0, 0, 0) + std::string(65536, '\x01'));
  CBlock block;
  Vec3 angles{};
  EXPECT_EQ(block.ReadFrom(in, angles), ReadStatus::Block);
  EXPECT_EQ(block.Length(), 65536);
}

TEST(BlockReadDamaged, FileCutInsideTheBytesGivesTheBytesRead) {
  std::istringstream in(Header(100, 0, 0, 0) + std::string("\x02\x02\x02", 3));
  CBlock block;
  Vec3 angles{};
  EXPECT_EQ(block.ReadFrom(in, angles), ReadStatus::Truncated);
  EXPECT_EQ(block.Length(), 3);
  EXPECT_FALSE(block.IsEndMarker());
}

TEST(BlockReader, ReadsPastTheLengthThrow) {
  CBlock block;
  test::LoadBlock(block, {0x01, 0x02, 0x03});
  EXPECT_EQ(block.ReadShort(), 0x0201);
  EXPECT_THROW(block.ReadShort(), BadMessage);
  EXPECT_EQ(block.ReadByte(), 3);
  EXPECT_THROW(block.ReadByte(), BadMessage);
}

TEST(BlockReader, StringWithoutTerminatorThrows) {
  CBlock block;
  test::LoadBlock(block, {'a', 'b', 0, 'c'});
  EXPECT_EQ(block.ReadString(), "ab");
  EXPECT_THROW(block.ReadString(), BadMessage);
}

TEST(BlockWriter, PutStringOfEmptyTextWritesOneZero) {
  CBlock out;
  out.PutString("");
  ASSERT_EQ(out.Length(), 1);
  EXPECT_EQ(out.Data()[0], 0);
}

TEST(BlockWriter, RewindDropsExactlyWhatFollowsTheMark) {
  CBlock out;
  out.PutShort(0x1234);
  const int mark = out.Mark();
  out.PutLong(7);
  out.PutString("text");
  out.Rewind(mark);
  EXPECT_EQ(out.Length(), 2);
  out.PutByte(9);
  EXPECT_EQ(test::BlockBytes(out), (Bytes{0x34, 0x12, 9}));
  out.UnputByte();
  EXPECT_EQ(out.Length(), 2);
}

TEST(BlockWriter, GrowsPastAnyFixedRoom) {
  CBlock out;
  const std::vector<std::uint8_t> big(300000, 'x');
  out.PutBytes(big.data(), static_cast<int>(big.size()));
  EXPECT_EQ(out.Length(), 300000);
}

TEST(BlockWriter, PutStringWritesWhatTheGameCanReadBack) {
  CBlock out;
  out.PutString(std::string("ab\0cd", 5));
  EXPECT_EQ(test::BlockBytes(out), (Bytes{'a', 'b', 0}));
  out.Reset();
  out.PutString(std::string(5000, 'x'));
  EXPECT_EQ(out.Length(), 2048);
}

TEST(BlockWrite, WritesTheGivenAnglesNotThoseRead) {
  std::istringstream in(Header(1, 10, 20, 30) + std::string("\x02", 1));
  CBlock block;
  Vec3 angles{};
  block.ReadFrom(in, angles);
  std::ostringstream out;
  block.WriteTo(out, Vec3{1, 2, 3});
  EXPECT_EQ(out.str(), Header(1, 1, 2, 3) + std::string("\x02", 1));
}

TEST(BlockWrite, SplitCutsGreedilyAtMessageStarts) {
  CBlock out;
  const std::vector<std::uint8_t> message(3001, 'm');
  for (int i = 0; i < 5; ++i) {
    out.BeginMessage();
    out.PutBytes(message.data(), 3001);
  }
  std::ostringstream file;
  out.WriteSplitTo(file, Vec3{1, 2, 3}, 8000);
  const std::string bytes = file.str();
  // Two messages (6002 bytes), two more, then the last one, each with the same angles.
  ASSERT_EQ(bytes.size(), 3 * 16 + 5 * 3001u);
  EXPECT_EQ(bytes.substr(0, 16), Header(6002, 1, 2, 3));
  EXPECT_EQ(bytes.substr(16 + 6002, 16), Header(6002, 1, 2, 3));
  EXPECT_EQ(bytes.substr(2 * 16 + 2 * 6002, 16), Header(3001, 1, 2, 3));
}

// A block of exactly the limit is written whole; one byte more is cut, and
// the cut fills the first block up to the limit itself.
TEST(BlockWrite, SplitLimitIsTheLargestBlockWritten) {
  CBlock out;
  const std::vector<std::uint8_t> half(4000, 'h');
  for (int i = 0; i < 2; ++i) {
    out.BeginMessage();
    out.PutBytes(half.data(), 4000);
  }
  std::ostringstream exact;
  out.WriteSplitTo(exact, Vec3{}, 8000);
  EXPECT_EQ(exact.str().substr(0, 16), Header(8000, 0, 0, 0));
  EXPECT_EQ(exact.str().size(), 16 + 8000u);

  out.BeginMessage();
  out.PutByte(2);
  std::ostringstream over;
  out.WriteSplitTo(over, Vec3{}, 8000);
  EXPECT_EQ(over.str().substr(0, 16), Header(8000, 0, 0, 0));
  EXPECT_EQ(over.str().substr(16 + 8000), Header(1, 0, 0, 0) + "\x02");
}

TEST(BlockWrite, AMessageLongerThanTheLimitIsLeftOut) {
  CBlock out;
  out.BeginMessage();
  out.PutByte(2);
  out.BeginMessage();
  const std::vector<std::uint8_t> huge(9001, 'x');
  out.PutBytes(huge.data(), 9001);
  out.BeginMessage();
  out.PutByte(2);
  std::ostringstream file;
  // No engine plays a block longer than the limit: the message cannot go.
  EXPECT_FALSE(out.WriteSplitTo(file, Vec3{}, 8000));
  const std::string bytes = file.str();
  ASSERT_EQ(bytes.size(), 2 * 16 + 2u);
  EXPECT_EQ(bytes.substr(0, 16), Header(1, 0, 0, 0));
  EXPECT_EQ(bytes.substr(17, 16), Header(1, 0, 0, 0));
}

// Truncating conversions at their edges.
TEST(Convert, TruncatesTowardZeroAndGivesIntMinOutOfRange) {
  EXPECT_EQ(TruncateToInt(1.9f), 1);
  EXPECT_EQ(TruncateToInt(-1.9f), -1);
  EXPECT_EQ(TruncateToInt(2147483520.0f), 2147483520);
  EXPECT_EQ(TruncateToInt(2147483648.0f), INT_MIN);
  EXPECT_EQ(TruncateToInt(-2147483648.0f), INT_MIN);
  EXPECT_EQ(TruncateToInt(std::numeric_limits<float>::quiet_NaN()), INT_MIN);
  EXPECT_EQ(TruncateToInt(std::numeric_limits<float>::infinity()), INT_MIN);
}

TEST(Convert, AnglesWrapIntoOneByte) {
  EXPECT_EQ(EncodeAngle(-90.0f), 192);
  EXPECT_EQ(EncodeAngle(360.0f), 0);
  EXPECT_EQ(EncodeAngle(90.0f), 64);
  EXPECT_EQ(EncodeAngle(-1.0f), 0);  // -0.71 truncates to 0
  for (int byte = 0; byte < 256; ++byte) {
    SCOPED_TRACE(byte);
    // An angle read from the stream is written back as the same byte, save
    // where the 0.7111111 factor falls just short of the whole step.
    const int back = EncodeAngle(DecodeAngle(static_cast<std::uint8_t>(byte)));
    EXPECT_TRUE(back == byte || back == byte - 1);
  }
}

TEST(Convert, CoordinatesKeepTheirLow16Bits) {
  EXPECT_EQ(EncodeCoord(1.625f), 13);
  EXPECT_EQ(EncodeCoord(-1.625f), -13);
  EXPECT_EQ(EncodeCoord(4095.875f), 32767);
  EXPECT_EQ(EncodeCoord(4096.0f), -32768);  // 32768 wraps
  EXPECT_EQ(DecodeOriginX(13), 1.0f);
  EXPECT_EQ(DecodeOriginX(-13), -1.0f);
  EXPECT_EQ(DecodeOriginYZ(13), 1.625f);
}

}  // namespace
}  // namespace cw
