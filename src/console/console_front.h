#pragma once
// The command-line program: names from the arguments, a run with the default
// options, the outcome as the exit status.

#include <iosfwd>
#include <string>
#include <vector>

#include "console/exit_status.h"

namespace cw {

class Programs;

// Answers the words as the command-line program does: help, version, a
// mistake in the words, or a refilm of the names with the default options.
// `arguments` excludes the program's name. `programs` starts the engine and
// the encoder for films (none: they cannot be made). Returns the exit status.
int RunConsole(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err,
               Program program = Program::CommandLine, Programs* programs = nullptr);

// The refilm alone: the bare form and the subcommand "refilm".
int RefilmCommand(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err, Program program,
                  Programs* programs = nullptr);

}  // namespace cw
