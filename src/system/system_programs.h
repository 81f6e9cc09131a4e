#pragma once
// Programs started and watched through POSIX: each in a process group of
// its own, its output into a file, its input through a socket that never
// raises SIGPIPE in this process.

#include "film/programs.h"

namespace cw {

class SystemPrograms : public Programs {
 public:
  std::unique_ptr<RunningProgram> Start(const ProgramStart& start, std::string& error) override;
};

}  // namespace cw
