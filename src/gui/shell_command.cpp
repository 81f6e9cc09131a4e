#include "shell_command.h"

#include <sys/stat.h>
#include <unistd.h>

namespace cw {

bool ExecutableInCurrentDirectory(const std::string& name) {
  if (name.empty() || name.find('/') != std::string::npos) return false;
  struct stat status {};
  return ::stat(name.c_str(), &status) == 0 && S_ISREG(status.st_mode) && ::access(name.c_str(), X_OK) == 0;
}

}  // namespace cw
