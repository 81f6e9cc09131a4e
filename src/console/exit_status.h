#pragma once
// What every subcommand and both programs share: their exit statuses and
// their names.

namespace cw {

inline constexpr int kExitDone = 0;
inline constexpr int kExitRefused = 1;
inline constexpr int kExitProblems = 2;

// The two programs answer --help each with its own text.
enum class Program { CommandLine, Dialog };

inline constexpr const char* kCommandLineProgram = "camwright-cli";
inline constexpr const char* kDialogProgram = "camwright";

inline constexpr const char* ProgramName(Program program) {
  return program == Program::Dialog ? kDialogProgram : kCommandLineProgram;
}

}  // namespace cw
