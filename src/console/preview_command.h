#pragma once
// camwright-cli preview: a picture of where the camera goes and looks.

#include <iosfwd>
#include <string>
#include <vector>

namespace cw {

int PreviewCommand(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err);

}  // namespace cw
