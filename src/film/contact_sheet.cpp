#include "film/contact_sheet.h"

#include <algorithm>
#include <array>

namespace cw {
namespace {

constexpr int kColumns = 4;
constexpr int kWidest = 640;
constexpr int kGap = 8;
constexpr int kScale = 3;  // font pixels to picture pixels
constexpr int kGlyphWidth = 5;
constexpr int kGlyphHeight = 7;
constexpr int kCaption = kGlyphHeight * kScale + 2 * kGap;
constexpr std::uint8_t kBackground = 24;
constexpr std::uint8_t kInk = 230;

// Five columns by seven rows, each row's bits from the left.
struct Glyph {
  char c;
  std::array<std::uint8_t, kGlyphHeight> rows;
};
constexpr std::array<Glyph, 15> kGlyphs = {{
    {'0', {0x0E, 0x11, 0x13, 0x15, 0x19, 0x11, 0x0E}},
    {'1', {0x04, 0x0C, 0x04, 0x04, 0x04, 0x04, 0x0E}},
    {'2', {0x0E, 0x11, 0x01, 0x02, 0x04, 0x08, 0x1F}},
    {'3', {0x1F, 0x02, 0x04, 0x02, 0x01, 0x11, 0x0E}},
    {'4', {0x02, 0x06, 0x0A, 0x12, 0x1F, 0x02, 0x02}},
    {'5', {0x1F, 0x10, 0x1E, 0x01, 0x01, 0x11, 0x0E}},
    {'6', {0x06, 0x08, 0x10, 0x1E, 0x11, 0x11, 0x0E}},
    {'7', {0x1F, 0x01, 0x02, 0x04, 0x08, 0x08, 0x08}},
    {'8', {0x0E, 0x11, 0x11, 0x0E, 0x11, 0x11, 0x0E}},
    {'9', {0x0E, 0x11, 0x11, 0x0F, 0x01, 0x02, 0x0C}},
    {'.', {0x00, 0x00, 0x00, 0x00, 0x00, 0x0C, 0x0C}},
    {':', {0x00, 0x0C, 0x0C, 0x00, 0x0C, 0x0C, 0x00}},
    {'-', {0x00, 0x00, 0x00, 0x1F, 0x00, 0x00, 0x00}},
    {'s', {0x00, 0x00, 0x0E, 0x10, 0x0E, 0x01, 0x1E}},
    {' ', {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00}},
}};

const Glyph& GlyphOf(char c) {
  for (const Glyph& glyph : kGlyphs) {
    if (glyph.c == c) return glyph;
  }
  return kGlyphs.back();
}

void Paste(Picture& sheet, const Picture& picture, int left, int top) {
  for (int y = 0; y < picture.height; ++y) {
    std::copy_n(picture.Pixel(0, y), static_cast<std::size_t>(picture.width) * 3, sheet.Pixel(left, top + y));
  }
}

int TextWidth(const std::string& text) { return static_cast<int>(text.size()) * (kGlyphWidth + 1) * kScale - kScale; }

void Write(Picture& sheet, const std::string& text, int left, int top) {
  for (const char c : text) {
    const Glyph& glyph = GlyphOf(c);
    for (int row = 0; row < kGlyphHeight; ++row) {
      for (int column = 0; column < kGlyphWidth; ++column) {
        if (!(glyph.rows[static_cast<std::size_t>(row)] >> (kGlyphWidth - 1 - column) & 1)) continue;
        for (int dy = 0; dy < kScale; ++dy) {
          for (int dx = 0; dx < kScale; ++dx) {
            const int x = left + column * kScale + dx;
            const int y = top + row * kScale + dy;
            if (x < 0 || y < 0 || x >= sheet.width || y >= sheet.height) continue;
            std::fill_n(sheet.Pixel(x, y), 3, kInk);
          }
        }
      }
    }
    left += (kGlyphWidth + 1) * kScale;
  }
}

}  // namespace

Picture Shrunk(const Picture& picture, int width) {
  if (width >= picture.width || picture.width <= 0) return picture;
  Picture small;
  small.width = std::max(1, width);
  small.height = std::max(1, static_cast<int>(static_cast<long>(picture.height) * small.width / picture.width));
  small.rgb.assign(small.Size(), 0);
  for (int y = 0; y < small.height; ++y) {
    const int top = y * picture.height / small.height;
    const int bottom = std::max(top + 1, (y + 1) * picture.height / small.height);
    for (int x = 0; x < small.width; ++x) {
      const int left = x * picture.width / small.width;
      const int right = std::max(left + 1, (x + 1) * picture.width / small.width);
      std::array<long, 3> sum{};
      for (int sy = top; sy < bottom; ++sy) {
        for (int sx = left; sx < right; ++sx) {
          for (std::size_t c = 0; c < 3; ++c) sum[c] += picture.Pixel(sx, sy)[c];
        }
      }
      const long count = static_cast<long>(bottom - top) * (right - left);
      for (std::size_t c = 0; c < 3; ++c) small.Pixel(x, y)[c] = static_cast<std::uint8_t>(sum[c] / count);
    }
  }
  return small;
}

Picture ContactSheet(const std::vector<Captioned>& pictures) {
  std::vector<Picture> cells;
  int cellWidth = 1;
  int cellHeight = 1;
  for (const Captioned& each : pictures) {
    cells.push_back(Shrunk(*each.picture, kWidest));
    cellWidth = std::max(cellWidth, cells.back().width);
    cellHeight = std::max(cellHeight, cells.back().height);
  }
  const int count = static_cast<int>(cells.size());
  const int columns = std::max(1, std::min(kColumns, count));
  const int rows = std::max(1, (count + columns - 1) / columns);
  Picture sheet;
  sheet.width = kGap + columns * (cellWidth + kGap);
  sheet.height = kGap + rows * (cellHeight + kCaption);
  sheet.rgb.assign(sheet.Size(), kBackground);
  for (int index = 0; index < count; ++index) {
    const Picture& cell = cells[static_cast<std::size_t>(index)];
    const int left = kGap + (index % columns) * (cellWidth + kGap);
    const int top = kGap + (index / columns) * (cellHeight + kCaption);
    Paste(sheet, cell, left + (cellWidth - cell.width) / 2, top);
    const std::string& caption = pictures[static_cast<std::size_t>(index)].caption;
    Write(sheet, caption, left + (cellWidth - TextWidth(caption)) / 2, top + cellHeight + kGap);
  }
  return sheet;
}

}  // namespace cw
