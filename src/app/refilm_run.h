#pragma once
// One refilm: checks the names, reads (or writes) the camera script, streams
// the source demo through the per-block step into the result demo, reports.

#include <string>

namespace cw {

struct Context;
class Platform;

enum class RunOutcome {
  Refused,           // a check failed: an "Error" box was shown, nothing written
  Done,              // the result is complete
  DoneWithProblems,  // the result is complete, the source had damaged parts
};

RunOutcome RefilmDemo(Context& context, Platform& platform);

// True when `name` is not empty and names a file that can be opened for reading.
bool FileExists(const std::string& name);

}  // namespace cw
