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
  Stopped,           // the platform asked for a stop: nothing was written
};

RunOutcome RefilmDemo(Context& context, Platform& platform);

// RefilmDemo, with anything that escapes it (a lack of memory, say) turned
// into an "Error" message and a refusal, so that no front end ends abruptly.
RunOutcome RefilmDemoSafely(Context& context, Platform& platform);

}  // namespace cw
