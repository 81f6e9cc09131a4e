#pragma once
// camwright-cli render: a demo made into an MP4 video with its sound,
// through a Quake engine and ffmpeg.

#include <iosfwd>
#include <string>
#include <vector>

namespace cw {

class Programs;

int RenderCommand(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err, Programs* programs);

}  // namespace cw
