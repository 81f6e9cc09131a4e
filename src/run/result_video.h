#pragma once
// "Make a video": the result made into a video beside it, RESULT.mp4, with
// the engine, the game data and the encoder the options or the environment
// name (see film/video_render.h).

#include <functional>
#include <string>

namespace cw {

struct RefilmOptions;
class Platform;

// Makes the video, whose name goes to `video`. Failures and warnings are
// shown as messages; false when no video was made. `progress` is told the
// share of the frames done, from 0 to 1.
bool MakeResultVideo(const RefilmOptions& options, Platform& platform, const std::function<void(double)>& progress,
                     std::string& video);

}  // namespace cw
