#include "name_rules.h"

namespace cw {

namespace {
bool HasDot(const std::string& name) { return name.find('.') != std::string::npos; }
}  // namespace

std::string StemOf(const std::string& name) { return name.substr(0, name.find('.')); }

std::string ResultWhileTyping(const std::string& sourceDemo) {
  return HasDot(sourceDemo) ? StemOf(sourceDemo) + "c.dem" : sourceDemo + "c";
}

std::string ResultAfterBrowse(const std::string& sourceDemo) {
  return HasDot(sourceDemo) ? StemOf(sourceDemo) + "c.dem" : "c.dem";
}

bool LeaveSource(std::string& sourceDemo, std::string& resultDemo) {
  if (sourceDemo.empty()) return false;
  resultDemo = StemOf(sourceDemo) + "c.dem";
  if (!HasDot(sourceDemo)) sourceDemo += ".dem";
  return true;
}

void LeaveScript(std::string& scriptFile) {
  if (scriptFile.empty()) {
    scriptFile = "example.cam";
  } else if (!HasDot(scriptFile)) {
    scriptFile += ".cam";
  }
}

}  // namespace cw
