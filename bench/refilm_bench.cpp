// refilm-bench [--size MB] [--busy] [--keep] [--dir DIR]
//
// How fast is a refilm next to a plain copy of the same file, and does its
// memory stay flat however long the demo is? Builds a large synthetic demo
// (100 MB unless told) in a temporary folder, copies it with the same kind of
// streams the run uses, then refilms it, and prints MB/s of both, their
// ratio and the peak resident set size after each step.
//
// --busy refilms with a script that uses every command word, over the whole
// demo, and with every option on.

#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "busy_run.h"
#include "recording_platform.h"
#include "run/context.h"
#include "run/refilm_run.h"
#include "synthetic_demo.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

struct BenchOptions {
  long sizeMb = 100;
  bool busy = false;
  bool keep = false;
  fs::path dir;
};

bool ParseArguments(int argc, char** argv, BenchOptions& options) {
  for (int i = 1; i < argc; ++i) {
    const std::string word = argv[i];
    if (word == "--busy") {
      options.busy = true;
    } else if (word == "--keep") {
      options.keep = true;
    } else if (word == "--size" && i + 1 < argc) {
      options.sizeMb = std::strtol(argv[++i], nullptr, 10);
      if (options.sizeMb < 1) return false;
    } else if (word == "--dir" && i + 1 < argc) {
      options.dir = argv[++i];
    } else {
      return false;
    }
  }
  return true;
}

long PeakRssKb() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

double Seconds(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

double Megabytes(std::uintmax_t bytes) { return static_cast<double>(bytes) / (1024.0 * 1024.0); }

// Streams the demo to disk frame by frame, so that building it does not
// raise the peak memory that the refilm is measured against.
float BuildDemo(const fs::path& path, long sizeMb, const cw::test::SyntheticDemoOptions& demo) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  cw::test::WriteSyntheticSignon(out, demo);
  const std::uintmax_t target = static_cast<std::uintmax_t>(sizeMb) * 1024 * 1024;
  std::uintmax_t written = 0;
  int frame = 0;
  while (written < target) {
    const std::string block =
        cw::test::EncodeBlock(cw::test::SyntheticViewAngles(demo, frame), cw::test::SyntheticFrame(demo, frame));
    out.write(block.data(), static_cast<std::streamsize>(block.size()));
    written += block.size();
    ++frame;
  }
  out << cw::test::SyntheticFinalBlock();
  return static_cast<float>(frame) / static_cast<float>(demo.blocksPerSecond);
}

// A copy through the same stream classes as the run, in 64 KiB pieces.
void CopyFile(const fs::path& from, const fs::path& to) {
  std::ifstream in(from, std::ios::binary);
  std::ofstream out(to, std::ios::binary | std::ios::trunc);
  std::vector<char> buffer(64 * 1024);
  while (in.read(buffer.data(), static_cast<std::streamsize>(buffer.size())) || in.gcount() > 0) {
    out.write(buffer.data(), in.gcount());
  }
}

void WriteScript(const fs::path& path, const std::string& text) {
  std::ofstream script(path);
  script << text;
}

}  // namespace

int main(int argc, char** argv) {
  BenchOptions bench;
  if (!ParseArguments(argc, argv, bench)) {
    std::fprintf(stderr, "Usage: refilm-bench [--size MB] [--busy] [--keep] [--dir DIR]\n");
    return 2;
  }
  const fs::path dir =
      bench.dir.empty() ? fs::temp_directory_path() / ("camwright-bench-" + std::to_string(getpid())) : bench.dir;
  fs::create_directories(dir);
  const fs::path source = dir / "source.dem";
  const fs::path copy = dir / "copy.dem";
  const fs::path result = dir / "result.dem";
  const fs::path script = dir / "bench.cam";

  auto start = Clock::now();
  const cw::test::SyntheticDemoOptions demo;
  const float seconds = BuildDemo(source, bench.sizeMb, demo);
  const double sourceMb = Megabytes(fs::file_size(source));
  std::printf("source   %8.1f MB, %.0f s of demo time, built in %.2f s, peak RSS %ld KB\n", sourceMb, seconds,
              Seconds(start), PeakRssKb());

  start = Clock::now();
  CopyFile(source, copy);
  const double copySeconds = Seconds(start);
  std::printf("copy     %8.1f MB/s  (%.2f s), peak RSS %ld KB\n", sourceMb / copySeconds, copySeconds, PeakRssKb());
  fs::remove(copy);

  WriteScript(script, bench.busy ? cw::test::BusyScript(seconds) : "0 stay p~0.3 p~0.3 p+30\n0 view p\n");
  cw::Context context;
  context.options.sourceDemo = source.string();
  context.options.resultDemo = result.string();
  context.options.scriptFile = script.string();
  context.options.generateScript = false;
  context.options.playWhenDone = false;
  if (bench.busy) cw::test::TurnEveryOptionOn(context.options);
  cw::test::RecordingPlatform platform;

  start = Clock::now();
  const cw::RunOutcome outcome = cw::RefilmDemo(context, platform);
  const double refilmSeconds = Seconds(start);
  const double resultMb = fs::exists(result) ? Megabytes(fs::file_size(result)) : 0.0;
  std::printf("refilm   %8.1f MB/s  (%.2f s, %s script, result %.1f MB), peak RSS %ld KB\n", sourceMb / refilmSeconds,
              refilmSeconds, bench.busy ? "busy" : "plain", resultMb, PeakRssKb());
  std::printf("ratio    refilm takes %.2f times as long as a copy\n", refilmSeconds / copySeconds);
  // The one thing that grows with the demo: the trajectories of the
  // entities the script follows.
  long points = 0;
  for (int entity = 1; entity <= cw::kHighestEntity; ++entity) points += context.entities.PointCount(entity);
  std::printf("tracks   %ld trajectory points kept (%.1f MB of points)\n", points,
              Megabytes(static_cast<std::uintmax_t>(points) * sizeof(cw::TrackPoint)));
  for (const auto& message : platform.messages) {
    std::printf("message  %s: %s\n", message.caption.c_str(), message.text.c_str());
  }

  if (!bench.keep) fs::remove_all(dir);
  return outcome == cw::RunOutcome::Refused ? 1 : 0;
}
