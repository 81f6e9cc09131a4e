#pragma once
// The real programs, run as a user runs them: in a folder, with their
// output captured, killed when a test asks.

#include <string>
#include <vector>

namespace cw::test {

struct ProgramOutcome {
  int exitStatus = -1;  // -1 when the program ended by a signal
  int signal = 0;       // the signal that ended it, 0 when it exited
  std::string out;
  std::string err;
};

class ChildProcess {
 public:
  // Starts `arguments` (the program first) in `folder`; `shellPrefix`, when
  // given, is shell text that runs before the program (limits, traps).
  ChildProcess(const std::vector<std::string>& arguments, const std::string& folder,
               const std::string& shellPrefix = "");
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  void Signal(int signal);
  ProgramOutcome Wait();

 private:
  int pid = -1;
  std::string outPath;
  std::string errPath;
};

ProgramOutcome RunProgram(const std::vector<std::string>& arguments, const std::string& folder,
                          const std::string& shellPrefix = "");

// Shell text for RunProgram's `shellPrefix` that limits the program to
// `megabytes` of memory and `cpuSeconds` of processor time. A sanitizer
// build reserves far more address space than it uses, so there the memory
// is limited by the sanitizer's own watch of the resident set.
std::string ResourceLimits(int megabytes, int cpuSeconds);

// The built command-line program.
std::string CliProgram();

}  // namespace cw::test
