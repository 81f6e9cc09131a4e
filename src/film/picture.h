#pragma once
// A picture in memory: rows from the top, three bytes a pixel (red, green,
// blue).

#include <cstddef>
#include <cstdint>
#include <vector>

namespace cw {

struct Picture {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> rgb;

  std::size_t Size() const { return static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3; }
  std::uint8_t* Pixel(int x, int y) {
    return rgb.data() +
           (static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)) * 3;
  }
  const std::uint8_t* Pixel(int x, int y) const { return const_cast<Picture*>(this)->Pixel(x, y); }
};

}  // namespace cw
