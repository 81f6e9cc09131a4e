#pragma once
// The command-line program: names from the arguments, a run with the default
// options, the outcome as the exit status.

#include <iosfwd>
#include <string>
#include <vector>

namespace cw {

inline constexpr int kExitDone = 0;
inline constexpr int kExitRefused = 1;
inline constexpr int kExitProblems = 2;

// `arguments` excludes the program's name.
int RunConsole(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err);

}  // namespace cw
