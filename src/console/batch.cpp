#include "console/batch.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <deque>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <new>
#include <optional>
#include <ostream>
#include <set>
#include <system_error>
#include <thread>

#include "console/exit_status.h"
#include "console/progress.h"
#include "console/refilm_options_cli.h"
#include "console/stop_signals.h"
#include "film/video_render.h"
#include "refilm/option_values.h"
#include "refilm/options.h"
#include "run/context.h"
#include "run/platform.h"
#include "run/refilm_run.h"
#include "stream/demo_files.h"

namespace cw {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr OptionSpec kBatchOwn[] = {
    {"out", 'o', true},         {"script", 0, true}, {"generate"},        {"jobs", 'j', true}, {"list", 0, true},
    {"render", 0, false, true}, {"game", 'g', true}, {"engine", 0, true}, kHelpOption,
};
constexpr auto kBatchOptions = WithRefilmOptions(kBatchOwn);
constexpr int kMostJobs = 256;
constexpr auto kRedrawInterval = std::chrono::milliseconds(100);
constexpr double kMegabyte = 1024.0 * 1024.0;

constexpr const char* kUsage =
    "Usage: camwright-cli batch [OPTION]... --script FILE --out DIR DEMO...\n"
    "  or:  camwright-cli batch [OPTION]... --generate --out DIR DEMO...\n";

constexpr const char* kHelp =
    "Refilms many demos with the same options, each into DIR under its own file\n"
    "name, several at once. With --generate each demo gets its own camera script,\n"
    "written beside its result as DIR/NAME.cam (NAME: the demo's file name without\n"
    "its extension), from the map's zone file in the current directory or as a\n"
    "chase camera. One demo's refusal or damage never stops the others. A demo is\n"
    "refused when its result would be its own source or another demo of the\n"
    "batch, or the result of a demo named before it.\n"
    "\n";

constexpr const char* kHelpEnd =
    "\n"
    "While standard error is a terminal, a progress bar shows the demos done of\n"
    "all, the megabytes done, megabytes a second and the time left; otherwise\n"
    "each demo gets one line there as it ends. At the end, a summary on standard\n"
    "output: how many were done, done with problems and refused (each refused\n"
    "demo with the reason), the megabytes refilmed and megabytes a second. An\n"
    "interrupt (Ctrl+C) stops the refilms under way without writing them and\n"
    "starts no more. Exit status: 0 all done, 2 some done from a damaged source,\n"
    "1 some refused (or the batch itself: a bad option, no demo, no folder).\n";

// What the words of a batch ask for.
struct Plan {
  RefilmOptions options;  // for every demo
  std::string script;     // empty with --generate
  bool generate = false;
  std::string folder;
  std::vector<std::string> demos;
  int jobs = 0;
};

// One demo of the batch. The worker that takes it writes its outcome and
// messages; the main thread reads them once the worker has handed it back.
struct Job {
  std::string demo;
  std::string result;
  std::string script;
  double bytes = 0;
  std::string clash;  // why the batch refuses it before any run; empty when it does not
  RunOutcome outcome = RunOutcome::Stopped;
  std::vector<std::string> errors;
  std::vector<std::string> warnings;
  std::string problems;
  std::atomic<double> fraction{0};
  // With --render: the video made, or why none was.
  std::string video;
  std::string videoError;
};

// A refilm's messages kept with its demo, for the batch to report.
class JobPlatform : public Platform {
 public:
  explicit JobPlatform(Job& owner) : job(owner) {}
  MessageAnswer MessageBox(const std::string& text, const std::string& caption, MessageKind kind) override {
    if (caption == "Warning") {
      job.warnings.push_back(text);
    } else if (kind == MessageKind::Report) {
      job.problems = text;
    } else {
      job.errors.push_back(text);
    }
    return kind == MessageKind::Question ? MessageAnswer::No : MessageAnswer::Ok;
  }
  void RunCommand(const std::string&) override {}  // a batch plays nothing
  std::optional<std::string> OpenDemoFile() override { return std::nullopt; }
  bool StopRequested() override { return StopSignals::Requested(); }
  void Progress(double fraction) override { job.fraction.store(fraction, std::memory_order_relaxed); }

 private:
  Job& job;
};

std::string Quoted(const std::string& name) { return "\"" + name + "\""; }

// The demo names of a list file: one a line, blank lines skipped.
bool ReadList(const std::string& name, std::vector<std::string>& demos, std::string& mistake) {
  std::string text;
  int error = 0;
  if (KindOf(name) == FileKind::Other && name != "/dev/stdin") {
    mistake = "the list " + Quoted(name) + " is not a file";
    return false;
  }
  if (!ReadWholeFile(name, text, error)) {
    mistake = "the list " + Quoted(name) + " can't be read: " + SystemReason(error);
    return false;
  }
  for (std::size_t from = 0; from < text.size();) {
    std::size_t end = text.find('\n', from);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(from, end - from);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty()) demos.push_back(std::move(line));
    from = end + 1;
  }
  return true;
}

enum class Asked { Run, Help, Mistake };

Asked ReadWords(const std::vector<std::string>& words, Plan& plan, std::string& mistake) {
  CommandLine line = ParseCommandLine(words, kBatchOptions);
  if (!line.mistake.empty()) {
    mistake = line.mistake;
    return Asked::Mistake;
  }
  if (line.Has(kHelpOption.name)) return Asked::Help;
  plan.demos = std::move(line.operands);
  for (const GivenOption& option : line.options) {
    if (ApplyRefilmOption(option, plan.options, mistake)) {
      if (!mistake.empty()) return Asked::Mistake;
    } else if (option.name == "out") {
      plan.folder = option.value;
    } else if (option.name == "script") {
      plan.script = option.value;
    } else if (option.name == "generate") {
      plan.generate = true;
    } else if (option.name == "jobs") {
      const std::optional<int> jobs = ParseInteger(option.value);
      if (!jobs || *jobs < 1 || *jobs > kMostJobs) {
        mistake =
            "invalid number of jobs '" + option.value + "': a whole number from 1 to " + std::to_string(kMostJobs);
        return Asked::Mistake;
      }
      plan.jobs = *jobs;
    } else if (option.name == "list" && !ReadList(option.value, plan.demos, mistake)) {
      return Asked::Mistake;
    } else {
      ApplyFilmOption(option, plan.options);  // --render, --game, --engine
    }
  }
  if (plan.generate == !plan.script.empty()) {
    mistake = plan.generate ? "--script and --generate exclude each other"
                            : "a camera script is needed: --script FILE or --generate";
  } else if (plan.folder.empty()) {
    mistake = "no folder for the results: --out DIR";
  } else if (plan.demos.empty()) {
    mistake = "no demo to refilm";
  }
  if (plan.jobs == 0) plan.jobs = std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
  return mistake.empty() ? Asked::Run : Asked::Mistake;
}

// The folder of the results, made when it is missing.
bool MakeFolder(const std::string& folder, std::string& mistake) {
  std::error_code error;
  if (fs::is_directory(folder, error)) return true;
  if (fs::exists(folder, error)) {
    mistake = Quoted(folder) + " is not a folder";
    return false;
  }
  fs::create_directories(folder, error);
  if (error) mistake = "the folder " + Quoted(folder) + " can't be made: " + SystemReason(error.value());
  return !error;
}

// A file's name as the comparisons of this batch see it.
std::string Resolved(const std::string& name) {
  std::error_code error;
  const fs::path resolved = fs::weakly_canonical(name, error);
  return error ? fs::path(name).lexically_normal().string() : resolved.string();
}

// Each demo's result and script; a demo whose files would be written over
// those of a demo before it, or over any demo of the batch, is refused here.
std::vector<std::unique_ptr<Job>> MakeJobs(const Plan& plan) {
  std::vector<std::unique_ptr<Job>> jobs;
  // A demo that is no readable file will be refused by its run: it claims
  // no destination, and no destination is refused for being it.
  std::set<std::string> sources;
  for (const std::string& demo : plan.demos) {
    if (FileExists(demo)) sources.insert(Resolved(demo));
  }
  std::map<std::string, std::string> written;  // a destination, and the demo that writes it
  for (const std::string& demo : plan.demos) {
    auto job = std::make_unique<Job>();
    job->demo = demo;
    const fs::path name = fs::path(demo).filename();
    job->result = (fs::path(plan.folder) / name).string();
    job->script = plan.generate ? (fs::path(plan.folder) / name).replace_extension(".cam").string() : plan.script;
    std::error_code error;
    const std::uintmax_t size = fs::file_size(demo, error);
    if (!error) job->bytes = static_cast<double>(size);
    std::vector<std::string> destinations = {job->result};
    if (plan.generate) destinations.push_back(job->script);
    // A destination that is the demo itself is the run's to refuse.
    const std::string own = Resolved(demo);
    if (!FileExists(demo)) destinations.clear();
    for (const std::string& destination : destinations) {
      const std::string key = Resolved(destination);
      if (name.empty() || key == own) break;
      const auto earlier = written.find(key);
      if (sources.count(key) != 0) {
        job->clash = "The destination file " + Quoted(destination) + " is a source demo of the batch.";
      } else if (earlier != written.end()) {
        job->clash = "The destination file " + Quoted(destination) + " is also that of " + Quoted(earlier->second) +
                     ", earlier in the batch.";
      }
      if (!job->clash.empty()) break;
    }
    if (job->clash.empty()) {
      for (const std::string& destination : destinations) written.emplace(Resolved(destination), demo);
    }
    jobs.push_back(std::move(job));
  }
  return jobs;
}

void RunJob(Job& job, const Plan& plan) {
  if (!job.clash.empty()) {
    job.errors.push_back(job.clash);
    job.outcome = RunOutcome::Refused;
    return;
  }
  try {
    auto context = std::make_unique<Context>();
    RefilmOptions& options = context->options;
    options = plan.options;
    options.sourceDemo = job.demo;
    options.resultDemo = job.result;
    options.scriptFile = job.script;
    options.generateScript = plan.generate;
    options.autoRun = true;
    options.playAfterAutoRun = false;
    options.makeVideo = false;  // the batch makes the videos itself, one at a time
    JobPlatform platform(job);
    job.outcome = RefilmDemoSafely(*context, platform);
  } catch (const std::bad_alloc&) {
    job.errors.push_back("There is not enough memory to refilm this demo.");
    job.outcome = RunOutcome::Refused;
  }
}

// The line of one demo that has ended: "[3/12] done: a.dem -> films/a.dem".
std::string JobLine(const Job& job, std::size_t ended, std::size_t count) {
  std::string line = "[" + std::to_string(ended) + "/" + std::to_string(count) + "] ";
  switch (job.outcome) {
    case RunOutcome::Done:
      line += "done: " + job.demo + " -> " + job.result;
      break;
    case RunOutcome::DoneWithProblems:
      line += "done with problems: " + job.problems;
      break;
    case RunOutcome::Refused:
      line += "refused: " + job.demo + ": " + (job.errors.empty() ? "refused" : job.errors.back());
      break;
    case RunOutcome::Stopped:
      line += "stopped: " + job.demo;
      break;
  }
  for (const std::string& warning : job.warnings) line += "; Warning: " + warning;
  return line;
}

// The workers and the one thread that writes: lines, the bar, the summary.
class Batch {
 public:
  Batch(const Plan& asked, std::vector<std::unique_ptr<Job>>& demos, std::ostream& output, std::ostream& errors,
        Programs* runner)
      : plan(asked), jobs(demos), out(output), err(errors), bar(errors), programs(runner) {}

  int Run() {
    const Clock::time_point start = Clock::now();
    StopSignals stopSignals;
    const auto workers = std::min(static_cast<std::size_t>(plan.jobs), jobs.size());
    std::vector<std::thread> threads;
    for (std::size_t i = 0; i < workers; ++i) {
      {
        const std::lock_guard<std::mutex> lock(mutex);
        ++running;
      }
      try {
        threads.emplace_back([this] { Work(); });
      } catch (const std::system_error&) {
        // Fewer threads than asked: those there are share the work.
        const std::lock_guard<std::mutex> lock(mutex);
        --running;
        break;
      }
    }
    if (threads.empty()) {
      running = 1;
      Work();
    }
    Watch(start);
    for (std::thread& thread : threads) thread.join();
    if (plan.options.makeVideo) MakeVideos();
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    return Summary(seconds);
  }

 private:
  void Work() {
    while (!StopSignals::Requested()) {
      const std::size_t next = taken.fetch_add(1);
      if (next >= jobs.size()) break;
      RunJob(*jobs[next], plan);
      const std::lock_guard<std::mutex> lock(mutex);
      ended.push_back(next);
      changed.notify_one();
    }
    const std::lock_guard<std::mutex> lock(mutex);
    --running;
    changed.notify_one();
  }

  // Reports each demo as it ends and redraws the bar until every worker is done.
  void Watch(Clock::time_point start) {
    std::vector<bool> reported(jobs.size(), false);
    for (;;) {
      Draw(start, reported);
      std::unique_lock<std::mutex> lock(mutex);
      changed.wait_for(lock, kRedrawInterval, [this] { return !ended.empty() || running == 0; });
      std::deque<std::size_t> now;
      now.swap(ended);
      const bool over = running == 0;
      lock.unlock();
      for (const std::size_t index : now) {
        reported[index] = true;
        Report(*jobs[index]);
      }
      if (over) break;
    }
    bar.Clear();
  }

  void Draw(Clock::time_point start, const std::vector<bool>& reported) {
    if (!bar.Active()) return;
    ProgressFigures figures;
    figures.demos = static_cast<int>(jobs.size());
    figures.demosDone = static_cast<int>(endedCount);
    for (std::size_t i = 0; i < jobs.size(); ++i) {
      const double share = reported[i] ? 1.0 : jobs[i]->fraction.load(std::memory_order_relaxed);
      figures.bytes += jobs[i]->bytes;
      figures.bytesDone += jobs[i]->bytes * share;
    }
    figures.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    bar.Draw(figures);
  }

  void Report(const Job& job) {
    ++endedCount;
    // Under the bar only what went wrong gets a line; warnings, the same for
    // many demos, are counted in the summary.
    const bool wrong = job.outcome == RunOutcome::Refused || job.outcome == RunOutcome::DoneWithProblems;
    if (bar.Active() && !wrong) return;
    bar.Clear();
    err << JobLine(job, endedCount, jobs.size()) << '\n' << std::flush;
  }

  // One video after another: the engine and the encoder each take the
  // machine for themselves.
  void MakeVideos() {
    std::vector<Job*> made;
    for (const auto& job : jobs) {
      if (job->outcome == RunOutcome::Done || job->outcome == RunOutcome::DoneWithProblems) made.push_back(job.get());
    }
    for (std::size_t index = 0; index < made.size() && !StopSignals::Requested(); ++index) {
      Job& job = *made[index];
      VideoLine line(*this, job, index + 1, made.size());
      RenderRequest request;
      std::string problem;
      if (programs == nullptr) {
        job.videoError = "This program cannot start an engine.";
      } else if (!PrepareRender(job.result, plan.options.gameFolder, plan.options.engineProgram, request, problem)) {
        job.videoError = problem;
      } else if (RenderVideo(request, *programs, line, problem) == FilmOutcome::Done) {
        job.video = request.output;
      } else {
        job.videoError = problem.empty() ? "stopped" : problem;
      }
      line.Ended();
    }
  }

  // The line of one video: its frames on the bar, then how it ended.
  class VideoLine : public RenderWatcher {
   public:
    VideoLine(Batch& owner, Job& video, std::size_t index, std::size_t count)
        : batch(owner), job(video), number("[video " + std::to_string(index) + "/" + std::to_string(count) + "] ") {}
    bool StopRequested() override { return StopSignals::Requested(); }
    void Progress(std::size_t done, std::size_t total) override {
      if (!batch.bar.Active() || total == 0) return;
      ProgressFigures figures;
      figures.demos = static_cast<int>(total);
      figures.demosDone = static_cast<int>(done);
      batch.bar.Draw(figures);
    }
    void Warning(const std::string& text) override { job.warnings.push_back(text); }
    void Ended() {
      batch.bar.Clear();
      batch.err << number
                << (job.video.empty() ? "failed: " + job.result + ": " + job.videoError
                                      : "done: " + job.result + " -> " + job.video)
                << '\n'
                << std::flush;
    }

   private:
    Batch& batch;
    Job& job;
    std::string number;
  };

  int Summary(double seconds) {
    std::size_t done = 0, problems = 0, refused = 0, stopped = 0;
    double bytes = 0;
    std::map<std::string, int> warnings;
    for (const auto& job : jobs) {
      switch (job->outcome) {
        case RunOutcome::Done:
          ++done;
          break;
        case RunOutcome::DoneWithProblems:
          ++problems;
          break;
        case RunOutcome::Refused:
          ++refused;
          break;
        case RunOutcome::Stopped:
          ++stopped;
          break;
      }
      if (job->outcome == RunOutcome::Done || job->outcome == RunOutcome::DoneWithProblems) bytes += job->bytes;
      for (const std::string& warning : job->warnings) ++warnings[warning];
    }
    out << "Batch of " << jobs.size() << (jobs.size() == 1 ? " demo: " : " demos: ") << done << " done, " << problems
        << " done with problems, " << refused << " refused";
    if (stopped > 0) out << ", " << stopped << " not refilmed (stopped)";
    char rate[96];
    char time[32];
    std::snprintf(time, sizeof time, "%.1f s", seconds);
    std::snprintf(rate, sizeof rate, "%.1f MB refilmed in %s, %.1f MB/s", bytes / kMegabyte,
                  seconds < 60 ? time : Duration(seconds).c_str(), seconds > 0 ? bytes / kMegabyte / seconds : 0.0);
    out << ".\n" << rate << ".\n";
    for (const auto& job : jobs) {
      if (job->outcome == RunOutcome::DoneWithProblems) out << "Done with problems: " << job->demo << '\n';
    }
    for (const auto& job : jobs) {
      if (job->outcome != RunOutcome::Refused) continue;
      out << "Refused: " << job->demo << ": " << (job->errors.empty() ? "refused" : job->errors.back()) << '\n';
    }
    for (const auto& [warning, count] : warnings) {
      out << "Warning (" << count << (count == 1 ? " demo): " : " demos): ") << warning << '\n';
    }
    std::size_t videos = 0, videoFailures = 0;
    for (const auto& job : jobs) {
      if (!job->video.empty()) ++videos;
      if (job->videoError.empty()) continue;
      ++videoFailures;
      out << "Video failed: " << job->demo << ": " << job->videoError << '\n';
    }
    if (plan.options.makeVideo) out << "Videos: " << videos << " made, " << videoFailures << " failed.\n";
    out.flush();
    if (refused > 0 || stopped > 0 || videoFailures > 0) return kExitRefused;
    return problems > 0 ? kExitProblems : kExitDone;
  }

  const Plan& plan;
  std::vector<std::unique_ptr<Job>>& jobs;
  std::ostream& out;
  std::ostream& err;
  ProgressBar bar;
  Programs* programs;
  std::atomic<std::size_t> taken{0};
  std::mutex mutex;
  std::condition_variable changed;
  std::deque<std::size_t> ended;  // handed back by the workers, not yet reported
  std::size_t running = 0;        // workers still at work
  std::size_t endedCount = 0;
};

// The lines of --help for the batch's own options.
std::string BatchRows() {
  return HelpRows({
      {"-o, --out DIR", "write the results into DIR (made when missing), each under its demo's file name"},
      {"--script FILE", "film every demo through the camera script FILE"},
      {"--generate", "generate each demo's own script, written beside its result as DIR/NAME.cam"},
      {"-j, --jobs N",
       "refilm N demos at once, 1 to " + std::to_string(kMostJobs) + " (default: the number of processor cores)"},
      {"--list FILE",
       "refilm the demos FILE names too, one a line (for lists too long for a command line; "
       "/dev/stdin reads them from standard input)"},
      {"--render",
       "also make each result into a video with its sound, DIR/NAME.mp4, once every demo is refilmed, one video "
       "after another (see \"camwright-cli render --help\")"},
      {"-g, --game DIR", "the Quake folder (holding id1/) for the videos; QUAKE_DIR does the same"},
      {"--engine PROGRAM", "the Quake engine for the videos; CAMWRIGHT_ENGINE does the same (QuakeSpasm)"},
  });
}

}  // namespace

std::string BatchOptionsHelp() { return "Batch options:\n" + BatchRows(); }

int BatchCommand(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err, Programs* programs) {
  Plan plan;
  std::string mistake;
  switch (ReadWords(arguments, plan, mistake)) {
    case Asked::Help:
      out << kUsage << kHelp << "Options:\n"
          << BatchRows() << HelpRows({{"-h, --help", "print this help and exit"}}) << '\n'
          << RefilmOptionsHelp() << kHelpEnd;
      return out.flush() ? kExitDone : kExitRefused;
    case Asked::Mistake:
      err << "camwright-cli batch: " << mistake << '\n' << kUsage;
      return kExitRefused;
    case Asked::Run:
      break;
  }
  if (!MakeFolder(plan.folder, mistake)) {
    err << "camwright-cli batch: " << mistake << '\n';
    return kExitRefused;
  }
  std::vector<std::unique_ptr<Job>> jobs = MakeJobs(plan);
  return Batch(plan, jobs, out, err, programs).Run();
}

}  // namespace cw
