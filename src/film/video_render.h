#pragma once
// A demo made into a video with its sound. Frame N of F per second shows
// the demo at exactly FROM + N/F seconds of film time (fixed steps of the
// engine's clock, never the wall clock), so that the same demo gives the
// same frames up to the engine's own randomness. The sound is mixed from
// the demo's sound messages and the game's sound files (see sound_mix.h),
// each sound from the time of its block, so that it is in step with the
// picture; it runs exactly as long as the frames.

#include <optional>
#include <string>
#include <vector>

#include "film/engine_film.h"
#include "film/sound_mix.h"

namespace cw {

struct RenderRequest {
  FilmSettings film;    // the demo, engine, game, display and size; its times are the render's
  std::string encoder;  // ffmpeg
  std::string output;   // the video
  int fps = 30;
  std::optional<double> from;  // film times; the demo's whole span when not given
  std::optional<double> to;
};

class RenderWatcher {
 public:
  virtual ~RenderWatcher() = default;
  virtual bool StopRequested() { return false; }
  // `done` of `total` frames are encoded.
  virtual void Progress(std::size_t /*done*/, std::size_t /*total*/) {}
  virtual void Warning(const std::string& /*text*/) {}
};

FilmOutcome RenderVideo(RenderRequest request, Programs& programs, RenderWatcher& watcher, std::string& error);

// The video of a demo: its name with ".mp4" for its extension, beside it.
std::string VideoNameFor(const std::string& demo);

// The engine, the game data, the display and the encoder for a video of
// `demo` (the options' or the environment's, see film_setup.h), into
// `request`, whose output is VideoNameFor(demo). False with the first
// missing piece's sentence.
bool PrepareRender(const std::string& demo, const std::string& game, const std::string& engine, RenderRequest& request,
                   std::string& problem);

// The frames of a render from `from` to `to` at `fps`: at least one.
std::size_t FrameCount(double from, double to, int fps);

// The demo's sound for `settings`, from the game's sound files under `id1`;
// the sounds the game lacks are named in `missing`.
std::vector<std::int16_t> MixDemoSound(const std::string& demo, const std::string& id1, const MixSettings& settings,
                                       std::vector<std::string>& missing);

}  // namespace cw
