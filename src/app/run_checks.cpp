#include "app/run_checks.h"

#include <filesystem>
#include <string>
#include <system_error>

#include "app/options.h"
#include "app/platform.h"
#include "app/refilm_run.h"
#include "demo/demo_survey.h"
#include "demo/protocol.h"

namespace cw {
namespace {

std::string Quoted(const std::string& name) { return "\"" + name + "\""; }

bool Refuse(Platform& platform, const std::string& text) {
  platform.MessageBox(text, "Error", MessageKind::Error);
  return false;
}

// Whether two names denote the same file: the same file on disk when both
// exist (links and relative paths included), else the same resolved path.
bool SameFile(const std::string& a, const std::string& b) {
  std::error_code error;
  if (std::filesystem::equivalent(a, b, error)) return true;
  const auto resolvedA = std::filesystem::weakly_canonical(a, error);
  if (error) return false;
  const auto resolvedB = std::filesystem::weakly_canonical(b, error);
  return !error && resolvedA == resolvedB;
}

}  // namespace

bool CheckNames(const RefilmOptions& options, Platform& platform) {
  if (options.sourceDemo.empty()) return Refuse(platform, "You must specify a source file.");
  if (options.resultDemo.empty()) return Refuse(platform, "You must specify a destination file.");
  if (!FileExists(options.sourceDemo)) {
    return Refuse(platform, "The source file " + Quoted(options.sourceDemo) + " doesn't exist");
  }
  if (options.scriptFile.empty()) return Refuse(platform, "You must specify a script file");
  if (!FileExists(options.scriptFile) && !options.generateScript) {
    return Refuse(platform, "The script file " + Quoted(options.scriptFile) + " doesn't exist");
  }
  if (SameFile(options.resultDemo, options.sourceDemo)) {
    return Refuse(platform, "The destination file " + Quoted(options.resultDemo) + " is the source file.");
  }
  if (options.generateScript && SameFile(options.scriptFile, options.sourceDemo)) {
    return Refuse(platform, "The script file " + Quoted(options.scriptFile) + " is the source file.");
  }
  return true;
}

bool CheckProtocol(const RefilmOptions& options, const DemoSurvey& survey, Platform& platform) {
  if (survey.protocol == 0 || survey.protocol == kProtocolVersion) return true;
  return Refuse(platform, "The source file " + Quoted(options.sourceDemo) + " uses network protocol " +
                              std::to_string(survey.protocol) + ". Only protocol 15 demos can be refilmed.");
}

void RefuseUnwritableScript(const RefilmOptions& options, Platform& platform) {
  Refuse(platform, "The script file " + Quoted(options.scriptFile) + " can't be written.");
}

void RefuseUncreatableResult(const RefilmOptions& options, Platform& platform) {
  Refuse(platform, "The destination file " + Quoted(options.resultDemo) + " can't be created.");
}

}  // namespace cw
