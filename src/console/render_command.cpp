#include "console/render_command.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ostream>

#include "console/exit_status.h"
#include "console/film_kit.h"
#include "console/progress.h"
#include "console/stop_signals.h"
#include "console/subcommand_kit.h"
#include "console/terminal.h"
#include "film/film_setup.h"
#include "film/video_render.h"
#include "stream/demo_files.h"

namespace cw {
namespace {

constexpr const char* kRenderUsage = "Usage: camwright-cli render DEMO OUT.mp4 [OPTION]...\n";

constexpr const char* kRenderHelp =
    "Makes DEMO into a video with its sound, OUT.mp4 (H.264 and AAC, through\n"
    "Debian's ffmpeg). A Quake engine plays the demo frame by frame on a virtual\n"
    "display (Debian's xvfb) when one is installed, on the display at hand\n"
    "otherwise: frame N shows the demo at exactly FROM + N/FPS seconds, never\n"
    "at the wall clock's pace, so that the same demo gives the same video. The\n"
    "sound is mixed from the demo's own sound messages and the game's sound\n"
    "files, heard from where the view is. OUT.mp4 is replaced once the video is\n"
    "complete, and not touched when it fails.\n"
    "\n"
    "Options:\n"
    "      --fps N                frames a second, a whole number from 1 to 120\n"
    "                             (30)\n"
    "      --from T               begin at demo time T, in seconds (the demo's\n"
    "                             start)\n"
    "      --to T                 end at demo time T (the demo's end); a time\n"
    "                             after it shows its last picture\n";

constexpr const char* kRenderHelpEnd =
    "  -h, --help                 print this help and exit\n"
    "\n"
    "While standard error is a terminal, the progress is drawn there. An\n"
    "interrupt (Ctrl+C) stops the engine and the encoder; nothing is written.\n"
    "In a demo of several levels, each level follows on the clock where the one\n"
    "before it ended. Exit status: 0 done, 1 refused or failed (an \"Error\" on\n"
    "standard error).\n";

constexpr OptionSpec kRenderOptions[] = {kHelpOption, {"fps", 0, true}, {"from", 0, true}, {"to", 0, true},
                                         kSizeOption, kGameOption,      kEngineOption};

constexpr int kLowestFps = 1;
constexpr int kHighestFps = 120;

// The frames done on the terminal's line: a bar, "45/120 frames",
// "6.2 fps", "0:12 left"; nothing when standard error is no terminal.
class RenderProgress : public RenderWatcher {
 public:
  explicit RenderProgress(std::ostream& errors)
      : err(errors), terminal(IsTerminal(errors)), start(std::chrono::steady_clock::now()) {}
  ~RenderProgress() override { Clear(); }
  bool StopRequested() override { return StopSignals::Requested(); }
  void Progress(std::size_t done, std::size_t total) override {
    const auto now = std::chrono::steady_clock::now();
    if (!terminal || total == 0 || (now - lastDrawn < std::chrono::milliseconds(100) && done < total)) return;
    lastDrawn = now;
    const double seconds = std::chrono::duration<double>(now - start).count();
    const double rate = seconds > 0 ? static_cast<double>(done) / seconds : 0;
    char figures[96];
    std::snprintf(figures, sizeof figures, "%zu/%zu frames  %.1f fps  ", done, total, rate);
    const std::string text =
        figures + (rate > 0 ? Duration(static_cast<double>(total - done) / rate) : std::string("-:--")) + " left";
    const int room = std::max(TerminalColumns(err), 1) - 1;
    const int width = room - static_cast<int>(text.size()) - 3;
    std::string line = text.substr(0, static_cast<std::size_t>(std::max(room, 0)));
    if (width >= 10) {
      const auto filled =
          static_cast<std::size_t>(static_cast<double>(width) * static_cast<double>(done) / static_cast<double>(total));
      line = "[" + std::string(filled, '#') + std::string(static_cast<std::size_t>(width) - filled, '-') + "] " + text;
    }
    err << '\r' << line << "\033[K" << std::flush;
    drawn = true;
  }
  void Warning(const std::string& text) override {
    Clear();
    err << "Warning: " << text << '\n';
  }
  void Clear() {
    if (drawn) err << "\r\033[K" << std::flush;
    drawn = false;
  }

 private:
  std::ostream& err;
  bool terminal;
  bool drawn = false;
  std::chrono::steady_clock::time_point start;
  std::chrono::steady_clock::time_point lastDrawn;
};

bool ReadFps(const CommandLine& line, int& fps, std::string& mistake) {
  if (!line.Has("fps")) return true;
  const std::string text = ValueOf(line, "fps");
  std::size_t used = 0;
  int value = 0;
  try {
    value = std::stoi(text, &used);
  } catch (...) {
    used = 0;
  }
  if (used == 0 || used != text.size() || value < kLowestFps || value > kHighestFps) {
    mistake = "option '--fps' needs a whole number of frames a second from 1 to 120, not '" + text + "'";
    return false;
  }
  fps = value;
  return true;
}

}  // namespace

int RenderCommand(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err, Programs* programs) {
  const CommandLine line = ParseCommandLine(arguments, kRenderOptions);
  if (!line.mistake.empty()) return Mistake(err, line.mistake, kRenderUsage);
  if (line.Has("help")) {
    out << kRenderUsage << '\n' << kRenderHelp << FilmOptionsHelp("1280x720, even numbers") << kRenderHelpEnd;
    return out.flush() ? kExitDone : kExitRefused;
  }
  if (line.operands.size() != 2) {
    err << kRenderUsage;
    return kExitRefused;
  }
  RenderRequest request;
  std::string mistake;
  if (!ReadFps(line, request.fps, mistake) || !ReadSize(line, true, request.film, mistake) ||
      !ReadFilmTime(line, "from", request.from, mistake) || !ReadFilmTime(line, "to", request.to, mistake)) {
    return Mistake(err, mistake, kRenderUsage);
  }
  request.film.demo = line.operands[0];
  request.output = line.operands[1];
  const std::string problem = InputProblem("The demo", request.film.demo);
  if (!problem.empty()) return Refuse(err, problem);
  if (SameFile(request.film.demo, request.output)) {
    return Refuse(err, "The video " + Quoted(request.output) + " would replace the demo itself.");
  }
  if (KindOf(request.output) == FileKind::Other) return Refuse(err, Quoted(request.output) + " is not a file.");
  if (!FindFilmPieces(line, request.film, err)) return kExitRefused;
  const Found encoder = FindEncoder(ProcessEnvironment());
  if (!encoder.problem.empty()) return Refuse(err, encoder.problem);
  request.encoder = encoder.path;
  if (programs == nullptr) return Refuse(err, "This program cannot start an engine.");

  RenderProgress progress(err);
  StopSignals stopSignals;
  std::string error;
  switch (RenderVideo(request, *programs, progress, error)) {
    case FilmOutcome::Done:
      return kExitDone;
    case FilmOutcome::Stopped:
      return kExitRefused;
    case FilmOutcome::Failed:
      break;
  }
  progress.Clear();
  return Refuse(err, error);
}

}  // namespace cw
