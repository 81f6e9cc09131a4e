#pragma once
// Maps the words of a command line to the names of a run.

#include <string>
#include <vector>

namespace cw {

struct RefilmOptions;

// Each argument is one name (the shell has split the words). One argument is
// the result; two are source and result, with a generated script; three or
// more are source, script and result (the rest joined by single spaces).
// Sets autoRun. With no argument, changes nothing.
void ApplyCommandLine(const std::vector<std::string>& arguments, RefilmOptions& options);

}  // namespace cw
