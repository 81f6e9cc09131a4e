#pragma once
// camwright-cli check: what the script reader makes of each line of a script.

#include <iosfwd>
#include <string>
#include <vector>

namespace cw {

int CheckCommand(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err);

}  // namespace cw
