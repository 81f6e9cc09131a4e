#include "film/engine_film.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <span>
#include <thread>

#include "film/demo_timeline.h"
#include "film/engine_script.h"
#include "film/film_copy.h"
#include "film/film_folder.h"
#include "film/film_setup.h"
#include "film/frame_plan.h"
#include "film/tga_reader.h"
#include "stream/demo_files.h"

namespace cw {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr std::size_t kTimesPerRun = 9000;  // the engine numbers its screenshots up to 9999
constexpr auto kPoll = std::chrono::milliseconds(10);
constexpr auto kLogPoll = std::chrono::milliseconds(250);
constexpr auto kSilence = std::chrono::seconds(120);  // nothing drawn for this long: the engine hangs
constexpr auto kQuitGrace = std::chrono::seconds(10);
constexpr int kDisplayAttempts = 3;  // two films may reach for the same display number at once
constexpr const char* kDemoName = "film";
constexpr const char* kScriptStem = "camwright";

std::string Quoted(const std::string& name) { return "\"" + name + "\""; }

// The engine's screenshots NAME0000.tga, NAME0001.tga, ..., in whichever of
// the film's write places the engine chose. Each is emptied once read: the
// engine never writes over a name that is taken, so the numbering goes on.
class ScreenshotReader {
 public:
  explicit ScreenshotReader(const FilmFolder& folder) : folder_(folder) {}

  // 1 with the next picture, 0 while it is not complete, -1 with `error`.
  int Next(Picture& picture, bool engineEnded, std::string& error) {
    if (place_.empty() && !Find()) return 0;
    const std::string path = PathOf(next_);
    std::error_code failure;
    const std::uintmax_t size = fs::file_size(path, failure);
    if (failure || size == 0) return 0;
    std::vector<std::uint8_t> bytes;
    if (!Read(path, bytes)) return 0;
    const std::size_t plain = PlainTgaSize(bytes);
    const bool complete = (plain > 0 && bytes.size() >= plain) || fs::exists(PathOf(next_ + 1), failure) || engineEnded;
    if (!complete) return 0;
    if (!ReadTga(bytes, picture, error)) {
      error = "the engine's picture " + path + " cannot be read: " + error;
      return -1;
    }
    fs::resize_file(path, 0, failure);
    ++next_;
    return 1;
  }

 private:
  static bool Read(const std::string& path, std::vector<std::uint8_t>& bytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return true;
  }

  // The first picture: the lowest number of a name that ends in four digits and ".tga".
  bool Find() {
    for (const std::string& place : folder_.WritePlaces()) {
      std::error_code failure;
      int lowest = -1;
      std::string prefix;
      for (fs::directory_iterator entry(place, failure), end; !failure && entry != end; entry.increment(failure)) {
        const std::string name = entry->path().filename().string();
        if (name.size() < 8 || name.substr(name.size() - 4) != ".tga") continue;
        const std::string digits = name.substr(name.size() - 8, 4);
        if (!std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; })) continue;
        const int number = std::stoi(digits);
        if (lowest < 0 || number < lowest) {
          lowest = number;
          prefix = name.substr(0, name.size() - 8);
        }
      }
      if (lowest >= 0) {
        place_ = place;
        prefix_ = prefix;
        next_ = lowest;
        return true;
      }
    }
    return false;
  }

  std::string PathOf(int number) const {
    std::string digits = std::to_string(number);
    if (digits.size() < 4) digits.insert(0, 4 - digits.size(), '0');
    return place_ + "/" + prefix_ + digits + ".tga";
  }

  const FilmFolder& folder_;
  std::string place_;
  std::string prefix_;
  int next_ = 0;
};

// What the engine has written to its log so far.
class EngineLog {
 public:
  explicit EngineLog(std::string path) : path_(std::move(path)) {}
  const std::string& Text() {
    std::ifstream in(path_, std::ios::binary);
    if (in) {
      in.seekg(static_cast<std::streamoff>(text_.size()));
      text_.append(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    return text_;
  }
  std::string LastLine() {
    std::string text = Text();
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    return text.substr(text.rfind('\n') == std::string::npos ? 0 : text.rfind('\n') + 1);
  }

 private:
  std::string path_;
  std::string text_;
};

enum class RunOutcome { Done, Stopped, Failed, DisplayFailed };

struct Run {
  const FilmSettings& settings;
  const DemoTimeline& timeline;
  std::span<const double> times;
  std::size_t offset;  // of times[0] among all the times asked for
  Programs& programs;
  FilmWatcher& watcher;
  std::string& error;
};

bool WriteFiles(const Run& run, const FramePlan& plan, const FilmFolder& folder) {
  const std::string game = folder.GamePath();
  {
    InputFile source(run.settings.demo);
    std::ofstream copy(game + "/" + kDemoName + ".dem", std::ios::binary);
    std::string why;
    if (!source.IsOpen() || !WriteFilmCopy(source.Stream(), copy, why) || !copy.flush()) {
      run.error = "The demo " + Quoted(run.settings.demo) + " cannot be copied for the engine" +
                  (why.empty() ? std::string(".") : ": " + why + ".");
      return false;
    }
  }
  const EngineScript script = WriteEngineScript(plan, run.timeline, kDemoName, kScriptStem);
  for (std::size_t file = 0; file < script.files.size(); ++file) {
    std::ofstream out(game + "/" + kScriptStem + std::to_string(file) + ".cfg", std::ios::binary);
    out << script.files[file];
    if (!out.flush()) {
      run.error = "The engine's commands cannot be written in " + game + ".";
      return false;
    }
  }
  return true;
}

ProgramStart EngineStart(const FilmSettings& settings, const FilmFolder& folder) {
  ProgramStart start;
  start.folder = folder.Base();
  start.outputFile = folder.Base() + "/engine.log";
  const std::string width = std::to_string(settings.width);
  const std::string height = std::to_string(settings.height);
  if (!settings.virtualDisplay.empty()) {
    start.arguments = {settings.virtualDisplay, "-a", "-s", "-screen 0 " + width + "x" + height + "x24 -nolisten tcp"};
    // A virtual display has no graphics card: Mesa draws.
    start.environment.emplace_back("LIBGL_ALWAYS_SOFTWARE", "1");
  }
  // The engine's lines as they are printed, so that a failure is seen at once.
  const std::string unbuffered = FindProgram("stdbuf", ProcessEnvironment());
  if (!unbuffered.empty()) start.arguments.insert(start.arguments.end(), {unbuffered, "-o0", "-e0"});
  start.arguments.insert(
      start.arguments.end(),
      {settings.engine, "-basedir", folder.Base(), "-game", folder.Game(), "-noudp", "-nomouse", "-nosound",
       "-nocdaudio", "-window", "-width", width, "-height", height, "+exec", std::string(kScriptStem) + "0.cfg"});
  return start;
}

RunOutcome Failed(const Run& run, RunningProgram& engine, std::string text) {
  engine.Stop();
  run.error = std::move(text);
  return RunOutcome::Failed;
}

RunOutcome Watch(const Run& run, const FramePlan& plan, const FilmFolder& folder, RunningProgram& engine) {
  ScreenshotReader reader(folder);
  EngineLog log(folder.Base() + "/engine.log");
  const std::string engineName = Quoted(run.settings.engine);
  int picture = 0;
  std::size_t shown = 0;
  auto lastNews = Clock::now();
  auto lastLog = Clock::time_point();
  while (picture < plan.pictures) {
    if (run.watcher.StopRequested()) {
      engine.Stop();
      return RunOutcome::Stopped;
    }
    const std::optional<int> ended = engine.Ended();
    Picture image;
    std::string why;
    const int got = reader.Next(image, ended.has_value(), why);
    if (got < 0) return Failed(run, engine, "The film failed: " + why + ".");
    if (got > 0) {
      for (; shown < plan.pictureOf.size() && plan.pictureOf[shown] == picture; ++shown) {
        if (!run.watcher.Show(run.offset + shown, image)) {
          engine.Stop();
          return RunOutcome::Failed;
        }
      }
      ++picture;
      lastNews = Clock::now();
      continue;
    }
    if (ended || Clock::now() - lastLog > kLogPoll) {
      lastLog = Clock::now();
      const std::string failure = EngineFailure(log.Text());
      if (failure.find("Xvfb failed to start") != std::string::npos && picture == 0) {
        engine.Stop();
        run.error = "The virtual display failed to start: " + failure;
        return RunOutcome::DisplayFailed;
      }
      if (!failure.empty()) return Failed(run, engine, "The engine " + engineName + " stopped: " + failure);
    }
    if (ended) {
      return Failed(run, engine,
                    "The engine " + engineName + " ended (exit status " + std::to_string(*ended) + ") after " +
                        std::to_string(picture) + " of " + std::to_string(plan.pictures) +
                        " pictures; its last line: " + log.LastLine());
    }
    if (Clock::now() - lastNews > kSilence) {
      return Failed(run, engine,
                    "The engine " + engineName + " drew nothing for two minutes; its last line: " + log.LastLine());
    }
    std::this_thread::sleep_for(kPoll);
  }
  // Every picture is in: the engine quits by itself.
  const auto deadline = Clock::now() + kQuitGrace;
  while (!engine.Ended() && Clock::now() < deadline) std::this_thread::sleep_for(kPoll);
  engine.Stop();
  return RunOutcome::Done;
}

RunOutcome ShootRun(const Run& run) {
  FramePlan plan;
  std::string why;
  if (!PlanFrames(run.timeline, run.times, run.settings.step, plan, why)) {
    run.error = "The demo " + Quoted(run.settings.demo) + " cannot be filmed: " + why + ".";
    return RunOutcome::Failed;
  }
  for (int attempt = 1;; ++attempt) {
    FilmFolder folder;
    if (!folder.Make(run.settings.id1, why)) {
      run.error = "The film cannot be prepared: " + why + ".";
      return RunOutcome::Failed;
    }
    if (!WriteFiles(run, plan, folder)) return RunOutcome::Failed;
    const std::unique_ptr<RunningProgram> engine = run.programs.Start(EngineStart(run.settings, folder), why);
    if (engine == nullptr) {
      run.error = "The engine " + Quoted(run.settings.engine) + " cannot be started: " + why + ".";
      return RunOutcome::Failed;
    }
    const RunOutcome outcome = Watch(run, plan, folder, *engine);
    if (outcome != RunOutcome::DisplayFailed || attempt == kDisplayAttempts) return outcome;
  }
}

}  // namespace

std::string EngineFailure(const std::string& log) {
  static const char* const kMarks[] = {"Host_Error", "QUAKE ERROR", "Sys_Error", "SYS_ERROR", "xvfb-run: error"};
  for (std::size_t start = 0; start < log.size();) {
    std::size_t end = log.find('\n', start);
    if (end == std::string::npos) end = log.size();
    std::string line = log.substr(start, end - start);
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
    for (const char* mark : kMarks) {
      if (line.find(mark) != std::string::npos) return line;
    }
    start = end + 1;
  }
  return {};
}

FilmOutcome ShootFilm(const FilmSettings& settings, Programs& programs, FilmWatcher& watcher, std::string& error) {
  DemoTimeline timeline;
  {
    InputFile demo(settings.demo);
    std::string why = "it cannot be opened";
    if (!demo.IsOpen() || !ReadTimeline(demo.Stream(), timeline, why)) {
      error = "The demo " + Quoted(settings.demo) + " cannot be played: " + why + ".";
      return FilmOutcome::Failed;
    }
  }
  const std::span<const double> all(settings.times);
  for (std::size_t start = 0; start < all.size(); start += kTimesPerRun) {
    const Run run{settings, timeline, all.subspan(start, std::min(kTimesPerRun, all.size() - start)), start, programs,
                  watcher,  error};
    switch (ShootRun(run)) {
      case RunOutcome::Done:
        break;
      case RunOutcome::Stopped:
        return FilmOutcome::Stopped;
      case RunOutcome::Failed:
      case RunOutcome::DisplayFailed:
        return FilmOutcome::Failed;
    }
  }
  return FilmOutcome::Done;
}

}  // namespace cw
