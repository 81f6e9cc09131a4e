#include "film/video_render.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <memory>

#include "film/demo_timeline.h"
#include "film/film_setup.h"
#include "film/sound_track.h"
#include "film/video_encoder.h"
#include "map/game_folder.h"
#include "stream/demo_files.h"

namespace cw {
namespace {

constexpr int kSoundRate = 48000;

std::string Seconds(double seconds) {
  char text[32];
  std::snprintf(text, sizeof text, "%.2f s", seconds);
  return text;
}

// Hands each picture to the encoder as it comes.
class Encoding : public FilmWatcher {
 public:
  Encoding(VideoEncoder& encoder, RenderWatcher& watcher, std::size_t total)
      : encoder_(encoder), watcher_(watcher), total_(total) {}
  bool StopRequested() override { return watcher_.StopRequested(); }
  bool Show(std::size_t index, const Picture& picture) override {
    if (!encoder_.Frame(picture, problem)) return false;
    watcher_.Progress(index + 1, total_);
    return true;
  }
  std::string problem;

 private:
  VideoEncoder& encoder_;
  RenderWatcher& watcher_;
  std::size_t total_;
};

}  // namespace

std::string VideoNameFor(const std::string& demo) {
  return std::filesystem::path(demo).replace_extension(".mp4").string();
}

bool PrepareRender(const std::string& demo, const std::string& game, const std::string& engine, RenderRequest& request,
                   std::string& problem) {
  const Environment environment = ProcessEnvironment();
  const Found pieces[] = {FindEngine(engine, environment), FindGameData(game, environment), ChooseDisplay(environment),
                          FindEncoder(environment)};
  for (const Found& piece : pieces) {
    if (!piece.problem.empty()) {
      problem = piece.problem;
      return false;
    }
  }
  request.film.demo = demo;
  request.film.engine = pieces[0].path;
  request.film.id1 = pieces[1].path;
  request.film.virtualDisplay = pieces[2].path;
  request.encoder = pieces[3].path;
  request.output = VideoNameFor(demo);
  return true;
}

std::size_t FrameCount(double from, double to, int fps) {
  const double frames = std::round((to - from) * fps);
  return frames < 1 ? 1 : static_cast<std::size_t>(frames);
}

std::vector<std::int16_t> MixDemoSound(const std::string& demo, const std::string& id1, const MixSettings& settings,
                                       std::vector<std::string>& missing) {
  DemoTimeline timeline;
  SoundTrack track;
  {
    InputFile file(demo);
    std::string ignored;
    if (!ReadTimeline(file.Stream(), timeline, ignored)) return std::vector<std::int16_t>(settings.frames * 2, 0);
  }
  {
    InputFile file(demo);
    track = ReadSoundTrack(file.Stream(), timeline);
  }
  std::vector<std::unique_ptr<Sound>> loaded;
  std::vector<const Sound*> sounds;
  for (const std::string& name : track.names) {
    const GameFile file = FindGameFile(id1, "sound/" + name);
    auto sound = std::make_unique<Sound>();
    std::string error;
    if (!file.found || !ReadWav(file.bytes, *sound, error)) {
      missing.push_back(name);
      sounds.push_back(nullptr);
      continue;
    }
    sounds.push_back(sound.get());
    loaded.push_back(std::move(sound));
  }
  return MixSound(track, sounds, settings);
}

FilmOutcome RenderVideo(RenderRequest request, Programs& programs, RenderWatcher& watcher, std::string& error) {
  DemoTimeline timeline;
  {
    InputFile demo(request.film.demo);
    std::string why = "it cannot be opened";
    if (!demo.IsOpen() || !ReadTimeline(demo.Stream(), timeline, why)) {
      error = "The demo \"" + request.film.demo + "\" cannot be played: " + why + ".";
      return FilmOutcome::Failed;
    }
  }
  const double first = timeline.FilmStart();
  const double last = timeline.FilmEnd();
  const double from = request.from.value_or(first);
  const double to = request.to.value_or(last);
  if (to <= from) {
    error = "The video would end (" + Seconds(to) + ") before it begins (" + Seconds(from) + ").";
    return FilmOutcome::Failed;
  }
  if (from < first - 1e-6) {
    watcher.Warning(Seconds(from) + " is before the demo's start at " + Seconds(first) +
                    ": its first picture stands in until then.");
  }
  if (to > last + 1e-6) {
    watcher.Warning(Seconds(to) + " is after the demo's end at " + Seconds(last) +
                    ": its last picture stands in from then on.");
  }
  const std::size_t frames = FrameCount(from, to, request.fps);
  request.film.times.clear();
  for (std::size_t frame = 0; frame < frames; ++frame) {
    request.film.times.push_back(from + static_cast<double>(frame) / request.fps);
  }
  request.film.step = 1.0 / request.fps;

  MixSettings mix;
  mix.from = from;
  mix.rate = kSoundRate;
  mix.frames = static_cast<std::size_t>(std::llround(static_cast<double>(frames) * kSoundRate / request.fps));
  std::vector<std::string> missing;
  const std::vector<std::int16_t> sound = MixDemoSound(request.film.demo, request.film.id1, mix, missing);
  if (!missing.empty()) {
    constexpr std::size_t kNamed = 4;
    std::string names;
    for (std::size_t i = 0; i < std::min(kNamed, missing.size()); ++i) names += (i == 0 ? "" : ", ") + missing[i];
    if (missing.size() > kNamed) names += " and " + std::to_string(missing.size() - kNamed) + " more";
    watcher.Warning("The game data lacks " + std::to_string(missing.size()) +
                    " of the sounds the demo plays, which stay silent: " + names + ".");
  }

  VideoSettings video;
  video.encoder = request.encoder;
  video.output = request.output;
  video.width = request.film.width;
  video.height = request.film.height;
  video.fps = request.fps;
  VideoEncoder encoder;
  if (!encoder.Start(video, sound, kSoundRate, programs, error)) return FilmOutcome::Failed;
  Encoding encoding(encoder, watcher, frames);
  const FilmOutcome outcome = ShootFilm(request.film, programs, encoding, error);
  if (outcome != FilmOutcome::Done) {
    if (!encoding.problem.empty()) error = encoding.problem;
    return outcome;
  }
  return encoder.Finish(error) ? FilmOutcome::Done : FilmOutcome::Failed;
}

}  // namespace cw
