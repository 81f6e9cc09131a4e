#pragma once
// camwright-cli shots: pictures of a demo at chosen times, as a Quake engine
// shows it, and a sheet of them side by side.

#include <iosfwd>
#include <string>
#include <vector>

namespace cw {

class Programs;

int ShotsCommand(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err, Programs* programs);

}  // namespace cw
