#include "run/result_video.h"

#include "film/video_render.h"
#include "refilm/options.h"
#include "run/platform.h"

namespace cw {
namespace {

// The platform's stop, progress and messages for the film.
class VideoWatcher : public RenderWatcher {
 public:
  VideoWatcher(Platform& owner, const std::function<void(double)>& told) : platform(owner), progress(told) {}
  bool StopRequested() override { return platform.StopRequested(); }
  void Progress(std::size_t done, std::size_t total) override {
    if (total > 0) progress(static_cast<double>(done) / static_cast<double>(total));
  }
  void Warning(const std::string& text) override { platform.MessageBox(text, "Warning", MessageKind::Error); }

 private:
  Platform& platform;
  const std::function<void(double)>& progress;
};

}  // namespace

bool MakeResultVideo(const RefilmOptions& options, Platform& platform, const std::function<void(double)>& progress,
                     std::string& video) {
  RenderRequest request;
  std::string problem;
  Programs* programs = platform.ProgramRunner();
  if (programs == nullptr) problem = "This program cannot start an engine.";
  if (problem.empty() &&
      !PrepareRender(options.resultDemo, options.gameFolder, options.engineProgram, request, problem)) {
    problem = "No video of " + options.resultDemo + " is made: " + problem;
  }
  if (!problem.empty()) {
    platform.MessageBox(problem, "Error", MessageKind::Error);
    return false;
  }
  VideoWatcher watcher(platform, progress);
  std::string error;
  switch (RenderVideo(request, *programs, watcher, error)) {
    case FilmOutcome::Done:
      video = request.output;
      return true;
    case FilmOutcome::Stopped:
      return false;
    case FilmOutcome::Failed:
      break;
  }
  platform.MessageBox(error, "Error", MessageKind::Error);
  return false;
}

}  // namespace cw
