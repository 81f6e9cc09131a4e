// refilm-bench [--size MB] [--source synthetic|real|both] [--workloads LIST] [--json FILE] [--dir DIR] [--keep]
//              [--repeat N] [--program CLI] [--baseline CLI]
//
// How fast is a refilm next to a plain copy of the same file, and does its
// memory stay flat however long the demo is? For each source demo (a large
// synthetic one, and one spliced from the real demos beside the project when
// they are there) it copies the file through the run's own file classes,
// then refilms it in three workloads, each in a child process of its own so
// that its peak resident set is its own:
//   plain      a chase camera, the default options
//   busy       a script that uses every command word over the whole demo,
//              every option on
//   generated  the two-name form: a script generated from the map's zone
//              file (the generation passes), then the refilm
// It prints MB/s of the copy and of each refilm, the refilm's speed as a
// share of the copy's, and the peak resident set, and one JSON line per
// source for comparing runs.
//
// A shared machine's speed wanders from one second to the next: every
// measure is taken `--repeat` times (3 by default), in rounds that take
// the copy and each workload in turn, and the best is kept. `--program`
// measures another build's command-line program; `--baseline` measures an
// older one in the same rounds, for before-and-after figures that share
// their copy and their machine's moods.

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "busy_run.h"
#include "recording_platform.h"
#include "run/context.h"
#include "run/refilm_run.h"
#include "stream/demo_files.h"
#include "stream/demo_walk.h"
#include "synthetic_demo.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr const char* kWorkloads[] = {"plain", "busy", "generated"};
constexpr const char* kRealDemo = "qfm_e1m4.dem";

struct BenchOptions {
  long sizeMb = 100;
  std::string sources = "both";
  std::vector<std::string> workloads{std::begin(kWorkloads), std::end(kWorkloads)};
  std::string json;
  bool keep = false;
  fs::path dir;
  std::string program = CAMWRIGHT_CLI_PROGRAM;
  std::string baseline;  // empty: none
  long repeat = 3;
};

std::vector<std::string> SplitList(const std::string& text) {
  std::vector<std::string> items;
  std::stringstream in(text);
  for (std::string item; std::getline(in, item, ',');) {
    if (!item.empty()) items.push_back(item);
  }
  return items;
}

bool ParseArguments(int argc, char** argv, BenchOptions& options) {
  for (int i = 1; i < argc; ++i) {
    const std::string word = argv[i];
    const bool hasValue = i + 1 < argc;
    if (word == "--keep") {
      options.keep = true;
    } else if (word == "--size" && hasValue) {
      options.sizeMb = std::strtol(argv[++i], nullptr, 10);
      if (options.sizeMb < 1) return false;
    } else if (word == "--source" && hasValue) {
      options.sources = argv[++i];
      if (options.sources != "synthetic" && options.sources != "real" && options.sources != "both") return false;
    } else if (word == "--workloads" && hasValue) {
      options.workloads = SplitList(argv[++i]);
    } else if (word == "--json" && hasValue) {
      options.json = argv[++i];
    } else if (word == "--dir" && hasValue) {
      options.dir = argv[++i];
    } else if (word == "--program" && hasValue) {
      options.program = fs::absolute(argv[++i]).string();
    } else if (word == "--baseline" && hasValue) {
      options.baseline = fs::absolute(argv[++i]).string();
    } else if (word == "--repeat" && hasValue) {
      options.repeat = std::strtol(argv[++i], nullptr, 10);
      if (options.repeat < 1) return false;
    } else {
      return false;
    }
  }
  return true;
}

double Seconds(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }
double Megabytes(std::uintmax_t bytes) { return static_cast<double>(bytes) / (1024.0 * 1024.0); }

// One source demo to measure: where it is, its map, how long it plays, and
// a zone file for its map.
struct Source {
  std::string name;
  fs::path demo;
  std::string map;  // the zone file's name without ".log"
  float seconds = 0;
  std::string zones;
};

// Zones on a grid over the area, each linked with its neighbours east and
// north: the camera glides along a row and cuts between rows.
std::string GridZones(int columns, int rows, float west, float south, float east, float north) {
  std::ostringstream text;
  text << "---START---\n";
  const float width = (east - west) / static_cast<float>(columns);
  const float depth = (north - south) / static_cast<float>(rows);
  for (int row = 0; row < rows; ++row) {
    for (int column = 0; column < columns; ++column) {
      const int zone = 1 + row * columns + column;
      const int x0 = static_cast<int>(west + width * static_cast<float>(column));
      const int y0 = static_cast<int>(south + depth * static_cast<float>(row));
      const int x1 = static_cast<int>(west + width * static_cast<float>(column + 1));
      const int y1 = static_cast<int>(south + depth * static_cast<float>(row + 1));
      text << zone << ' ' << (x0 + x1) / 2 << ' ' << (y0 + y1) / 2 << " 200  " << x0 << ' ' << y0 << " -4096  " << x1
           << ' ' << y1 << " 4096  ";
      if (column + 1 < columns) text << zone + 1 << ' ';
      text << "0\n";
    }
  }
  text << "---END---\n";
  return text.str();
}

// The synthetic demo, streamed to disk frame by frame so that building it
// does not raise the memory measured later.
Source BuildSynthetic(const fs::path& dir, long sizeMb) {
  const cw::test::SyntheticDemoOptions demo;
  Source source{"synthetic", dir / "synthetic.dem", "cwtest", 0, GridZones(2, 2, -300, -300, 300, 300)};
  std::ofstream out(source.demo, std::ios::binary | std::ios::trunc);
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
  source.seconds = static_cast<float>(frame) / static_cast<float>(demo.blocksPerSecond);
  return source;
}

// The blocks of a real demo after its first line, its closing disconnect
// block left off.
std::string BlocksOf(const fs::path& demo) {
  cw::InputFile file(demo.string());
  cw::Vec3 angles{};
  const cw::DemoWalk pastTheFirstLine(file, angles);
  std::istream& in = file.Stream();
  std::string blocks((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const std::string disconnect("\x01\0\0\0", 4);
  const std::size_t last = blocks.size() >= 17 ? blocks.size() - 17 : 0;
  if (blocks.size() >= 17 && blocks.compare(last, 4, disconnect) == 0 && blocks.back() == 2) blocks.resize(last);
  return blocks;
}

// A long demo of real traffic: one real demo's blocks again and again, each
// time a new level from its server info on, and one disconnect at the end.
Source BuildReal(const fs::path& dir, long sizeMb, const fs::path& shared) {
  Source source{"real", dir / "real.dem", "e1m4", 0, GridZones(6, 6, -2048, -2048, 2048, 2048)};
  const std::string blocks = BlocksOf(shared / kRealDemo);
  std::ofstream out(source.demo, std::ios::binary | std::ios::trunc);
  out << "-1\n";
  const std::uintmax_t target = static_cast<std::uintmax_t>(sizeMb) * 1024 * 1024;
  std::uintmax_t written = 0;
  int copies = 0;
  while (written < target && !blocks.empty()) {
    out.write(blocks.data(), static_cast<std::streamsize>(blocks.size()));
    written += blocks.size();
    ++copies;
  }
  out << cw::test::SyntheticFinalBlock();
  source.seconds = 300;  // each level is shorter: the busy script covers the first
  return source;
}

double CopyMbPerSecond(const fs::path& from, const fs::path& to) {
  const auto start = Clock::now();
  {
    cw::InputFile in(from.string());
    cw::ReplacingFile out;
    out.Create(to.string());
    std::vector<char> buffer(1 << 20);
    std::istream& stream = in.Stream();
    while (stream.read(buffer.data(), static_cast<std::streamsize>(buffer.size())) || stream.gcount() > 0) {
      out.Stream().write(buffer.data(), stream.gcount());
    }
    out.Commit();
  }
  const double seconds = Seconds(start);
  const double megabytes = Megabytes(fs::file_size(from));
  fs::remove(to);
  return megabytes / seconds;
}

struct Measure {
  double mbPerSecond = 0;
  double peakRssMb = 0;
  bool failed = false;
};

// The command line of one workload: the program as a user runs it, so that
// the process's peak memory is the refilm's alone. The busy workload turns
// on every option the way the tests' busy run does.
std::vector<std::string> WorkloadCommand(const Source& source, const std::string& workload, const fs::path& dir,
                                         const std::string& program) {
  std::vector<std::string> words = {program};
  if (workload == "busy") {
    for (const char* word : {"--shirt", "4", "--pants", "13", "--run-by", "Runner", "--filming-by", "Camera",
                             "--centerprint-time", "--chain", "next.dem", "--remove-outside-fov", "--fps", "15"}) {
      words.push_back(word);
    }
  }
  words.push_back(source.demo.string());
  if (workload != "generated") words.push_back((dir / (workload + ".cam")).string());
  words.push_back((dir / (source.name + "-" + workload + ".dem")).string());
  return words;
}

Measure Run(const Source& source, const std::string& workload, const fs::path& dir, const std::string& program) {
  // The script and the zone file are written here, so that the child's peak
  // memory is the refilm's alone.
  if (workload != "generated") {
    std::ofstream(dir / (workload + ".cam"))
        << (workload == "busy" ? cw::test::BusyScript(source.seconds)
                               : std::string("0 stay p~0.3 p~0.3 p+30\n0 view p\n"));
  }
  std::ofstream(dir / (source.map + ".log")) << source.zones;
  std::fflush(stdout);
  const auto start = Clock::now();
  const std::vector<std::string> words = WorkloadCommand(source, workload, dir, program);
  const pid_t child = fork();
  if (child == 0) {
    std::vector<char*> argv;
    for (const std::string& word : words) argv.push_back(const_cast<char*>(word.c_str()));
    argv.push_back(nullptr);
    if (chdir(dir.c_str()) == 0) execv(argv[0], argv.data());
    _exit(127);
  }
  int status = 0;
  rusage usage{};
  wait4(child, &status, 0, &usage);
  Measure measure;
  measure.mbPerSecond = Megabytes(fs::file_size(source.demo)) / Seconds(start);
  measure.peakRssMb = static_cast<double>(usage.ru_maxrss) / 1024.0;
  measure.failed = !WIFEXITED(status) || WEXITSTATUS(status) == 1 || WEXITSTATUS(status) > 2;
  fs::remove(words.back());
  return measure;
}

// The best of several measures: the fastest run, the largest peak.
void KeepBest(Measure& best, const Measure& measure) {
  best.mbPerSecond = std::max(best.mbPerSecond, measure.mbPerSecond);
  best.peakRssMb = std::max(best.peakRssMb, measure.peakRssMb);
  best.failed = best.failed || measure.failed;
}

void Report(const char* label, const std::string& workload, const Measure& measure, double copy,
            std::ostringstream& json, const char* key) {
  const double share = measure.mbPerSecond / copy;
  std::printf("  %-10s %-8s %8.1f MB/s   %.3f of the copy   peak RSS %6.1f MB%s\n", workload.c_str(), label,
              measure.mbPerSecond, share, measure.peakRssMb, measure.failed ? "   (refused)" : "");
  json << ",\"" << key << "\":{\"refilm_mb_s\":" << measure.mbPerSecond << ",\"ratio\":" << share
       << ",\"peak_rss_mb\":" << measure.peakRssMb << ",\"refused\":" << (measure.failed ? "true" : "false") << "}";
}

std::string Measured(const Source& source, const BenchOptions& bench, const fs::path& dir) {
  const double sourceMb = Megabytes(fs::file_size(source.demo));
  const std::size_t count = bench.workloads.size();
  double copy = 0;
  std::vector<Measure> after(count);
  std::vector<Measure> before(count);
  for (long round = 0; round < bench.repeat; ++round) {
    copy = std::max(copy, CopyMbPerSecond(source.demo, dir / "copy.dem"));
    for (std::size_t i = 0; i < count; ++i) {
      KeepBest(after[i], Run(source, bench.workloads[i], dir, bench.program));
      if (!bench.baseline.empty()) KeepBest(before[i], Run(source, bench.workloads[i], dir, bench.baseline));
    }
  }
  std::printf("%-10s %8.1f MB   copy %8.1f MB/s   best of %ld\n", source.name.c_str(), sourceMb, copy, bench.repeat);
  std::ostringstream json;
  json << "{\"source\":\"" << source.name << "\",\"size_mb\":" << sourceMb << ",\"copy_mb_s\":" << copy
       << ",\"repeat\":" << bench.repeat;
  for (std::size_t i = 0; i < count; ++i) {
    const std::string& workload = bench.workloads[i];
    Report("refilm", workload, after[i], copy, json, workload.c_str());
    if (!bench.baseline.empty()) {
      Report("baseline", workload, before[i], copy, json, (workload + "_baseline").c_str());
    }
  }
  json << "}";
  return json.str();
}

fs::path SharedDemos() {
  const fs::path here = fs::path(CAMWRIGHT_SOURCE_DIR) / ".." / "shared" / "demos";
  return fs::exists(here / kRealDemo) ? here : fs::path();
}

}  // namespace

int main(int argc, char** argv) {
  BenchOptions bench;
  if (!ParseArguments(argc, argv, bench)) {
    std::fprintf(
        stderr,
        "Usage: refilm-bench [--size MB] [--source synthetic|real|both] [--workloads plain,busy,generated]\n"
        "                    [--json FILE] [--dir DIR] [--keep] [--repeat N] [--program CLI] [--baseline CLI]\n");
    return 1;
  }
  const fs::path dir =
      bench.dir.empty() ? fs::temp_directory_path() / ("camwright-bench-" + std::to_string(getpid())) : bench.dir;
  fs::create_directories(dir);

  std::vector<Source> sources;
  if (bench.sources != "real") sources.push_back(BuildSynthetic(dir, bench.sizeMb));
  if (bench.sources != "synthetic") {
    const fs::path shared = SharedDemos();
    if (shared.empty()) {
      std::printf("real       skipped: %s is not beside the project\n", kRealDemo);
    } else {
      sources.push_back(BuildReal(dir, bench.sizeMb, shared));
    }
  }
  std::vector<std::string> lines;
  for (const Source& source : sources) lines.push_back(Measured(source, bench, dir));
  for (const std::string& line : lines) std::printf("%s\n", line.c_str());
  if (!bench.json.empty()) {
    std::ofstream json(bench.json, std::ios::app);
    for (const std::string& line : lines) json << line << '\n';
  }
  if (!bench.keep) fs::remove_all(dir);
  return 0;
}
