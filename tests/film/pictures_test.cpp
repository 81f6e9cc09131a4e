// The engine's TGA screenshots read, PNG pictures written (checked by an
// independent decoder), and the contact sheet.

#include <gtest/gtest.h>

#include <fstream>

#include "child_process.h"
#include "film/contact_sheet.h"
#include "film/png_writer.h"
#include "film/tga_reader.h"
#include "stream_fixture.h"

namespace cw {
namespace {

// A TGA of 2 by 2 pixels: blue, green / red, white, in the file's own row order.
std::vector<std::uint8_t> Tga(int type, int depth, bool topDown, const std::vector<std::uint8_t>& pixels) {
  std::vector<std::uint8_t> bytes = {3, 0, static_cast<std::uint8_t>(type), 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 0, 2, 0};
  bytes.push_back(static_cast<std::uint8_t>(depth));
  bytes.push_back(topDown ? 0x20 : 0);
  bytes.insert(bytes.end(), {'i', 'd', '!'});  // an identification field to pass over
  bytes.insert(bytes.end(), pixels.begin(), pixels.end());
  return bytes;
}

TEST(TgaReader, RowsFromEitherEndRunsAndAlpha) {
  // Blue green red (BGR) per pixel; the first row in the file is the bottom one.
  const std::vector<std::uint8_t> plain = {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255};
  Picture picture;
  std::string error;
  ASSERT_TRUE(ReadTga(Tga(2, 24, false, plain), picture, error)) << error;
  ASSERT_EQ(picture.width, 2);
  EXPECT_EQ(std::vector<std::uint8_t>(picture.rgb.begin(), picture.rgb.end()),
            (std::vector<std::uint8_t>{255, 0, 0, 255, 255, 255, 0, 0, 255, 0, 255, 0}));
  ASSERT_TRUE(ReadTga(Tga(2, 24, true, plain), picture, error));
  EXPECT_EQ(picture.Pixel(0, 0)[2], 255);  // blue at the top left
  // 32 bits, and run-length coded: two white, then two raw pixels.
  ASSERT_TRUE(ReadTga(Tga(2, 32, true, {255, 0, 0, 9, 0, 255, 0, 9, 0, 0, 255, 9, 1, 2, 3, 9}), picture, error));
  EXPECT_EQ(picture.Pixel(1, 1)[0], 3);
  ASSERT_TRUE(ReadTga(Tga(10, 24, true, {0x81, 255, 255, 255, 0x01, 1, 2, 3, 4, 5, 6}), picture, error)) << error;
  EXPECT_EQ(picture.Pixel(1, 0)[0], 255);
  EXPECT_EQ(picture.Pixel(0, 1)[0], 3);
  EXPECT_EQ(picture.Pixel(1, 1)[0], 6);
  // A run longer than the picture stops at its end.
  ASSERT_TRUE(ReadTga(Tga(10, 24, true, {0xFF, 7, 7, 7}), picture, error));
  EXPECT_EQ(picture.Pixel(1, 1)[1], 7);
}

TEST(TgaReader, RefusesWhatItCannotTrust) {
  Picture picture;
  std::string error;
  EXPECT_FALSE(ReadTga(Tga(2, 24, false, std::vector<std::uint8_t>(11, 0)), picture, error));  // one byte short
  EXPECT_EQ(error, "the picture is cut short");
  EXPECT_FALSE(ReadTga(Tga(10, 24, false, {0x83, 1, 2}), picture, error));
  EXPECT_FALSE(ReadTga(Tga(1, 24, false, std::vector<std::uint8_t>(12, 0)), picture, error));  // colour-mapped
  EXPECT_FALSE(ReadTga(Tga(2, 16, false, std::vector<std::uint8_t>(8, 0)), picture, error));
  EXPECT_FALSE(ReadTga(std::vector<std::uint8_t>(17, 0), picture, error));
  std::vector<std::uint8_t> empty = Tga(2, 24, false, {});
  empty[12] = 0;  // no width
  EXPECT_FALSE(ReadTga(empty, picture, error));
  // The size a complete plain file takes, from its header alone.
  EXPECT_EQ(PlainTgaSize(Tga(2, 24, false, {})), 18u + 3u + 12u);
  EXPECT_EQ(PlainTgaSize(Tga(2, 32, false, {})), 18u + 3u + 16u);
  EXPECT_EQ(PlainTgaSize(Tga(10, 24, false, {})), 0u);
  EXPECT_EQ(PlainTgaSize(std::vector<std::uint8_t>(10, 0)), 0u);
}

Picture Pattern(int width, int height) {
  Picture picture;
  picture.width = width;
  picture.height = height;
  picture.rgb.resize(picture.Size());
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      std::uint8_t* pixel = picture.Pixel(x, y);
      pixel[0] = static_cast<std::uint8_t>(x * 7 + y);
      pixel[1] = static_cast<std::uint8_t>((x / 8 + y / 8) % 2 * 200);
      pixel[2] = static_cast<std::uint8_t>((x * y) % 251);
    }
  }
  return picture;
}

// Decodes PNG files with Python's zlib and undoes the filters; prints each
// one's size and pixels in hexadecimal.
constexpr const char* kDecoder = R"(
import struct, sys, zlib
for name in sys.argv[1:]:
  data = open(name, 'rb').read()
  assert data[:8] == b'\x89PNG\r\n\x1a\n'
  at, idat = 8, b''
  while at < len(data):
    size, = struct.unpack('>I', data[at:at + 4]); kind = data[at + 4:at + 8]; body = data[at + 8:at + 8 + size]
    assert zlib.crc32(kind + body) == struct.unpack('>I', data[at + 8 + size:at + 12 + size])[0]
    if kind == b'IHDR': width, height = struct.unpack('>II', body[:8])
    if kind == b'IDAT': idat += body
    at += 12 + size
  raw = zlib.decompress(idat); stride = width * 3; out = bytearray(); above = bytearray(stride)
  for y in range(height):
    kind = raw[y * (stride + 1)]; row = bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
    for i in range(stride):
      a = row[i - 3] if i >= 3 else 0; b = above[i]; c = above[i - 3] if i >= 3 else 0
      p = a + b - c; pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
      paeth = a if pa <= pb and pa <= pc else (b if pb <= pc else c)
      row[i] = (row[i] + [0, a, b, (a + b) // 2, paeth][kind]) & 255
    out += row; above = row
  print(width, height, out.hex())
)";

std::string HexLine(const Picture& picture) {
  std::string line = std::to_string(picture.width) + " " + std::to_string(picture.height) + " ";
  for (const std::uint8_t byte : picture.rgb) {
    line += "0123456789abcdef"[byte >> 4];
    line += "0123456789abcdef"[byte & 15];
  }
  return line + "\n";
}

TEST(PngWriter, AnIndependentDecoderReadsThePixelsBack) {
  test::ScratchDir dir;
  std::vector<std::string> command = {"python3", "-c", kDecoder};
  std::string expected;
  for (const Picture& picture : {Pattern(97, 61), Pattern(1, 1), Pattern(300, 2)}) {
    const std::vector<std::uint8_t> png = EncodePng(picture);
    const std::string name = "p" + std::to_string(command.size()) + ".png";
    dir.Write(name, std::string(png.begin(), png.end()));
    command.push_back(dir.Path(name));
    expected += HexLine(picture);
  }
  const test::ProgramOutcome decoded = test::RunProgram(command, "");
  if (decoded.exitStatus == 127) GTEST_SKIP() << "no python3 here";
  EXPECT_EQ(decoded.out, expected) << decoded.err;
  // Long runs, as a dark screen has, compress well.
  Picture dark;
  dark.width = 640;
  dark.height = 480;
  dark.rgb.assign(dark.Size(), 10);
  EXPECT_LT(EncodePng(dark).size(), 20000u);
  EXPECT_EQ(Crc32(std::vector<std::uint8_t>{'1', '2', '3', '4', '5', '6', '7', '8', '9'}), 0xCBF43926u);
}

TEST(ContactSheet, PicturesSideBySideWithTheirCaptions) {
  const Picture wide = Pattern(1280, 720);
  const Picture small = Pattern(320, 240);
  const Picture sheet = ContactSheet({{&wide, "10.00 s"}, {&small, "12.50 s"}, {&wide, "14.00 s"}});
  // Each made at most 640 wide; three to the row; a caption strip under them.
  EXPECT_EQ(sheet.width, 8 + 3 * (640 + 8));
  EXPECT_EQ(sheet.height, 8 + 360 + 7 * 3 + 16);
  // The small one is centred in its cell, unscaled.
  EXPECT_EQ(sheet.Pixel(8 + 648 + 160, 8)[0], small.Pixel(0, 0)[0]);
  int ink = 0;
  for (int y = 8 + 360; y < sheet.height; ++y) {
    for (int x = 0; x < 8 + 640; ++x) ink += sheet.Pixel(x, y)[0] == 230 ? 1 : 0;
  }
  EXPECT_GT(ink, 100);  // the first caption is drawn
  const Picture five = ContactSheet({{&small, "1"}, {&small, "2"}, {&small, "3"}, {&small, "4"}, {&small, "5"}});
  EXPECT_EQ(five.width, 8 + 4 * (320 + 8));  // four to a row
  EXPECT_EQ(five.height, 8 + 2 * (240 + 37));
  const Picture halved = Shrunk(Pattern(4, 2), 2);
  EXPECT_EQ(halved.height, 1);
  EXPECT_EQ(halved.Pixel(0, 0)[0], (0 + 7 + 1 + 8) / 4);  // the mean of the four it covers
}

}  // namespace
}  // namespace cw
