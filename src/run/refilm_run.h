#pragma once
// One refilm: checks the names, reads (or writes) the camera script, streams
// the source demo through the per-block step into the result demo, reports.

#include <memory>
#include <string>

namespace cw {

struct Context;
struct RefilmOptions;
class Platform;
class RunWatcher;

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

// The same run writing nothing, safely: the script is read (or generated,
// in memory only), the source goes through the per-block step, and the
// watcher sees every block. The names are checked as for a refilm; the
// result and a generated script are neither created nor replaced.
RunOutcome PreviewDemo(Context& context, Platform& platform, RunWatcher& watcher);

// The runs a program makes while it lives. What carries from one run to the
// next (name tables, trajectories) stays inside; a front end hands over the
// options of each run and sees them back as the run left them.
class RefilmSession {
 public:
  RefilmSession();
  ~RefilmSession();
  RefilmSession(const RefilmSession&) = delete;
  RefilmSession& operator=(const RefilmSession&) = delete;

  RunOutcome Run(RefilmOptions& options, Platform& platform);

 private:
  std::unique_ptr<Context> context;
};

}  // namespace cw
