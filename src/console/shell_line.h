#pragma once
// Turning the run's command line ("play" and the result demo's name) into a
// line for the POSIX shell, so that no character of a file name means
// anything to the shell.

#include <string>

namespace cw {

// `text` in single quotes for the shell, every character kept as it is.
std::string ShellQuote(const std::string& text);

// The command line is a program name, a space and one argument that may hold
// spaces of its own. The program is taken from the current directory when
// `programInCurrentDirectory` says it is there, as the user's own batch file
// would be; otherwise the shell looks along the search path. Both parts are
// quoted.
std::string ShellLineFor(const std::string& commandLine, bool programInCurrentDirectory);

// The first word of the command line: the program to look for.
std::string ProgramOf(const std::string& commandLine);

}  // namespace cw
