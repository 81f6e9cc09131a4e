#pragma once
// camwright-cli batch: many demos refilmed with the same options, each into
// one folder under its own file name, several at once, with their progress
// and a summary at the end. Each refilm is a run of its own, with a context
// of its own: one demo's refusal or damage never touches another's.

#include <iosfwd>
#include <string>
#include <vector>

namespace cw {

class Programs;

// The subcommand: `arguments` are the words after "batch". Per-demo lines
// and the progress go to `err`, the summary to `out`. Returns the exit
// status: 0 when every demo was refilmed, 2 when some were refilmed from a
// damaged source, 1 when some were refused (or the batch itself was).
// With --render, each result's video is made once every demo is refilmed,
// one after another, through `programs`.
int BatchCommand(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err,
                 Programs* programs = nullptr);

// The lines of --help for the batch's own options, headed "Batch options:".
std::string BatchOptionsHelp();

}  // namespace cw
