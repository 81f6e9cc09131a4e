#pragma once
// How the dialog derives one file name from another as the user types. Every
// rule cuts a name at its first '.', directory part included, and keeps what
// is before it (the stem).

#include <string>

namespace cw {

// The text before the first '.'; the whole name when it has none.
std::string StemOf(const std::string& name);

// The result name shown while the user types the source: "e1m1" gives
// "e1m1c", "e1m1.dem" gives "e1m1c.dem".
std::string ResultWhileTyping(const std::string& sourceDemo);

// The result name derived after browsing: the stem and "c.dem"; a source
// without '.' has no stem and gives "c.dem".
std::string ResultAfterBrowse(const std::string& sourceDemo);

// Applied when focus leaves the source field. An empty source changes
// nothing; a source without '.' gets ".dem"; the result becomes the stem and
// "c.dem". Returns false when nothing changed.
bool LeaveSource(std::string& sourceDemo, std::string& resultDemo);

// Applied when focus leaves the script field: an empty name becomes
// "example.cam", a name without '.' gets ".cam".
void LeaveScript(std::string& scriptFile);

}  // namespace cw
