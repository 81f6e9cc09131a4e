#pragma once
// Pictures side by side, each with its caption under it (its time), on one
// sheet: at most four to a row, each made at most 640 pixels wide.

#include <string>
#include <vector>

#include "film/picture.h"

namespace cw {

struct Captioned {
  const Picture* picture = nullptr;
  std::string caption;  // digits, '.', ':', '-', 's' and spaces are drawn; other characters as spaces
};

Picture ContactSheet(const std::vector<Captioned>& pictures);

// A picture made `width` pixels wide, each pixel the mean of those it covers.
Picture Shrunk(const Picture& picture, int width);

}  // namespace cw
