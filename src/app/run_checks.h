#pragma once
// The checks that may refuse a run before anything is written, each with
// its "Error" message.

namespace cw {

struct RefilmOptions;
struct DemoSurvey;
class Platform;

// The five checks on the names, then the names that would overwrite the
// source demo. False (after the message) when the run must not go on.
bool CheckNames(const RefilmOptions& options, Platform& platform);
// Only protocol-15 demos can be refilmed.
bool CheckProtocol(const RefilmOptions& options, const DemoSurvey& survey, Platform& platform);
void RefuseUnwritableScript(const RefilmOptions& options, Platform& platform);
void RefuseUncreatableResult(const RefilmOptions& options, Platform& platform);

}  // namespace cw
