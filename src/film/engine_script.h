#pragma once
// The console commands that play a demo frame by frame as a frame plan
// says. They are executed from configuration files: each frame's commands
// end with "wait", which holds the rest for the next frame. In a frame the
// engine first runs its commands, then plays on by its frame time and draws;
// so a frame's commands take the picture of the frame before, and set the
// frame time of the frame after.
//
// The demo's own console texts (svc_stufftext) would wait behind all of
// these, so the copy the engine plays has none: each runs instead in the
// frame after the one that reads it, as the engine would run it. Those
// that would end the playback, start another, take pictures of their own,
// wait, or change the clock are left out.

#include <string>
#include <vector>

#include "film/demo_timeline.h"
#include "film/frame_plan.h"

namespace cw {

struct EngineScript {
  // The text of each file: NAME0.cfg, NAME1.cfg, ...; the first starts the
  // film, each ends by executing the next.
  std::vector<std::string> files;
};

// `demo`: the name playdemo is given; `stem`: the files' names without
// their number and ".cfg".
EngineScript WriteEngineScript(const FramePlan& plan, const DemoTimeline& timeline, const std::string& demo,
                               const std::string& stem);

// The commands of a console text, split as the engine splits them: at line
// breaks, and at semicolons outside quotes.
std::vector<std::string> ConsoleCommands(const std::string& text);

// Whether the demo's own command may run during a film.
bool FilmAllows(const std::string& command);

// The picture command: one uncompressed picture per frame.
inline constexpr const char* kPictureCommand = "screenshot tga";

}  // namespace cw
