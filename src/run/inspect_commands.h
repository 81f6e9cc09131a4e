#pragma once
// The subcommands that look before a refilm: info (and its entity list),
// check and preview. Each reads its words and returns the exit status.

#include <iosfwd>
#include <string>
#include <vector>

namespace cw {

int InfoCommand(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err);
int CheckCommand(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err);
int PreviewCommand(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err);

}  // namespace cw
