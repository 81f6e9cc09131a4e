#pragma once
// A demo's information and its entity list, as text for people and as one
// JSON object per demo for programs.

#include <iosfwd>
#include <string>

namespace cw {

struct DemoInfo;

void WriteInfoText(const DemoInfo& info, std::ostream& out);
void WriteInfoJson(const DemoInfo& info, std::ostream& out);
void WriteEntitiesText(const DemoInfo& info, std::ostream& out);
void WriteEntitiesJson(const DemoInfo& info, std::ostream& out);

// The exit time as the printed exit time shows it ("2:3.40000").
std::string ExitTimeText(float exit);

}  // namespace cw
