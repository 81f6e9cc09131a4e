#pragma once
// camwright-cli info: what a demo holds, and which entity is which.

#include <iosfwd>
#include <string>
#include <vector>

namespace cw {

int InfoCommand(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err);

}  // namespace cw
