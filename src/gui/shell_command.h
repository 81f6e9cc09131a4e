#pragma once
// The play command of the dialog: the shell line as the core makes it, and
// whether the program lies in the current directory.

#include <string>

#include "console/shell_line.h"

namespace cw {

// True when `name` is a plain name (no '/') of an executable regular file in
// the current directory.
bool ExecutableInCurrentDirectory(const std::string& name);

}  // namespace cw
