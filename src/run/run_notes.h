#pragma once
// What a run that wrote its result tells the user besides: that the script
// has lines read otherwise than they look, that a script the generator did
// not write was kept under another name.

#include <string>
#include <string_view>

namespace cw {

// One line when the checker finds lines of the script to report, naming
// how many and where to see them (`name` as the user gave it); empty when
// it finds none.
std::string ScriptMistakesNote(const std::string& name, std::string_view text);

// A script the generator did not write, kept as `backup` rather than replaced.
std::string KeptScriptNote(const std::string& name, const std::string& backup);

}  // namespace cw
