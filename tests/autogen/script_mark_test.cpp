// The generator's first line tells its own scripts from the user's: any
// edit, above or below it, makes the script the user's.

#include "autogen/script_mark.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "camera/script_check.h"

namespace cw {
namespace {

constexpr const char* kScript = "0 view p\n0 stay 1 2 3\n";

TEST(ScriptMark, OnlyAnUneditedGeneratedScriptIsTheGenerators) {
  const std::string marked = MarkGeneratedScript("e1m3.dem", kScript);
  EXPECT_EQ(marked.substr(marked.find('\n') + 1), kScript);
  EXPECT_TRUE(IsUneditedGeneratedScript(marked));
  EXPECT_TRUE(IsUneditedGeneratedScript(MarkGeneratedScript("", "")));
  EXPECT_FALSE(IsUneditedGeneratedScript(kScript));
  EXPECT_FALSE(IsUneditedGeneratedScript(""));
  EXPECT_FALSE(IsUneditedGeneratedScript(marked.substr(0, marked.find('\n'))));  // no line feed
  for (std::size_t at = 0; at < marked.size(); ++at) {
    std::string edited = marked;
    edited[at] = edited[at] == 'x' ? 'y' : 'x';
    EXPECT_FALSE(IsUneditedGeneratedScript(edited)) << at;
  }
  EXPECT_FALSE(IsUneditedGeneratedScript(marked + "\n"));
  EXPECT_FALSE(IsUneditedGeneratedScript(marked.substr(0, marked.size() - 1)));
}

TEST(ScriptMark, TheCheckerPassesOverTheLineWhateverTheDemosName) {
  // A line break in the name would end the comment early.
  const std::string marked = MarkGeneratedScript("a\nb\r.dem", kScript);
  EXPECT_EQ(std::count(marked.begin(), marked.end(), '\n'), 3);
  EXPECT_TRUE(IsUneditedGeneratedScript(marked));
  std::istringstream lines(marked);
  EXPECT_TRUE(CheckScript(lines).findings.empty());
}

}  // namespace
}  // namespace cw
