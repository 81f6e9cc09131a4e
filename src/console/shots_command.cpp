#include "console/shots_command.h"

#include <algorithm>
#include <filesystem>
#include <numeric>
#include <ostream>

#include "console/exit_status.h"
#include "console/film_kit.h"
#include "console/stop_signals.h"
#include "console/subcommand_kit.h"
#include "film/contact_sheet.h"
#include "film/png_writer.h"
#include "stream/demo_files.h"

namespace cw {
namespace {

constexpr const char* kShotsUsage = "Usage: camwright-cli shots DEMO --at T[,T...] --out DIR [OPTION]...\n";

constexpr const char* kShotsHelp =
    "Writes a picture of DEMO at each time T (seconds of the demo's own clock),\n"
    "as a Quake engine shows it at that moment: DIR/NAME-T.png, NAME being the\n"
    "demo's file name without its extension. The engine plays the demo frame\n"
    "by frame on a virtual display (Debian's xvfb) when one is installed, on\n"
    "the display at hand otherwise. The names written are printed, one a line.\n"
    "\n"
    "Options:\n"
    "      --at T[,T...]          the times, in seconds; a time before the demo's\n"
    "                             start or after its end shows its first or last\n"
    "                             picture\n"
    "  -o, --out DIR              write the pictures into DIR (made when missing)\n"
    "      --sheet FILE.png       also put them side by side, each with its time,\n"
    "                             into FILE.png\n";

constexpr const char* kShotsHelpEnd =
    "  -h, --help                 print this help and exit\n"
    "\n"
    "In a demo of several levels, each level follows on the clock where the one\n"
    "before it ended. Exit status: 0 done, 1 refused or failed (an \"Error\" on\n"
    "standard error).\n";

constexpr OptionSpec kShotsOptions[] = {kHelpOption, {"at", 0, true}, {"out", 'o', true}, {"sheet", 0, true},
                                        kSizeOption, kGameOption,     kEngineOption};

std::string FileNameOf(const std::string& demo, const std::string& time) {
  return std::filesystem::path(demo).stem().string() + "-" + time + ".png";
}

bool WritePng(const std::string& path, const Picture& picture, std::string& problem) {
  const std::vector<std::uint8_t> png = EncodePng(picture);
  ReplacingFile file;
  if (!file.Create(path)) {
    problem = "The picture " + Quoted(path) + " cannot be created: " + SystemReason(file.Error());
    return false;
  }
  file.Stream().write(reinterpret_cast<const char*>(png.data()), static_cast<std::streamsize>(png.size()));
  if (!file.Finish() || !file.Commit()) {
    problem = "The picture " + Quoted(path) + " could not be written: " + SystemReason(file.Error());
    return false;
  }
  return true;
}

// Writes each picture as it comes, under the name of its time as given.
class ShotWriter : public FilmWatcher {
 public:
  ShotWriter(std::vector<std::string> paths, std::vector<std::size_t> order, bool keep, std::ostream& output)
      : paths_(std::move(paths)), order_(std::move(order)), keep_(keep), out_(output), kept_(paths_.size()) {}

  bool StopRequested() override { return StopSignals::Requested(); }
  bool Show(std::size_t index, const Picture& picture) override {
    const std::size_t given = order_[index];
    if (!WritePng(paths_[given], picture, problem)) return false;
    out_ << paths_[given] << '\n';
    if (keep_) kept_[given] = Shrunk(picture, 640);
    return true;
  }

  std::string problem;
  const std::vector<Picture>& Kept() const { return kept_; }

 private:
  std::vector<std::string> paths_;
  std::vector<std::size_t> order_;
  bool keep_;
  std::ostream& out_;
  std::vector<Picture> kept_;
};

}  // namespace

int ShotsCommand(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err, Programs* programs) {
  const CommandLine line = ParseCommandLine(arguments, kShotsOptions);
  if (!line.mistake.empty()) return Mistake(err, line.mistake, kShotsUsage);
  if (line.Has("help")) {
    out << kShotsUsage << '\n' << kShotsHelp << FilmOptionsHelp("1280x720") << kShotsHelpEnd;
    return out.flush() ? kExitDone : kExitRefused;
  }
  if (line.operands.size() != 1) {
    err << kShotsUsage;
    return kExitRefused;
  }
  FilmSettings settings;
  std::string mistake;
  if (!ReadSize(line, false, settings, mistake)) return Mistake(err, mistake, kShotsUsage);
  const std::string timesText = ValueOf(line, "at");
  std::vector<double> times;
  if (!line.Has("at") || !ReadTimes(timesText, times)) {
    return Mistake(err, "option '--at' needs times in seconds, such as 10,12.5,14, not '" + timesText + "'",
                   kShotsUsage);
  }
  const std::string folder = ValueOf(line, "out");
  if (folder.empty()) return Mistake(err, "option '--out' names the folder of the pictures", kShotsUsage);
  settings.demo = line.operands.front();
  double first = 0;
  double last = 0;
  std::string problem;
  if (!DemoSpan(settings.demo, first, last, problem)) return Refuse(err, problem);
  if (!FindFilmPieces(line, settings, err)) return kExitRefused;
  if (programs == nullptr) return Refuse(err, "This program cannot start an engine.");
  std::error_code failure;
  std::filesystem::create_directories(folder, failure);
  if (KindOf(folder) == FileKind::Regular || failure) {
    return Refuse(err, "The folder " + Quoted(folder) +
                           " cannot be made: " + (failure ? failure.message() : std::string("a file has its name")));
  }
  WarnOutside(times, first, last, err);

  // The film runs through the times in order; each picture goes under the name given.
  std::vector<std::size_t> order(times.size());
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(), [&times](std::size_t a, std::size_t b) { return times[a] < times[b]; });
  std::vector<std::string> paths;
  std::vector<std::string> texts;
  for (std::size_t from = 0; from <= timesText.size();) {
    const std::size_t end = std::min(timesText.find(',', from), timesText.size());
    texts.push_back(timesText.substr(from, end - from));
    paths.push_back((std::filesystem::path(folder) / FileNameOf(settings.demo, texts.back())).string());
    from = end + 1;
  }
  for (const std::size_t index : order) settings.times.push_back(times[index]);
  const std::string sheet = ValueOf(line, "sheet");
  ShotWriter writer(paths, order, !sheet.empty(), out);
  StopSignals stopSignals;
  std::string error;
  switch (ShootFilm(settings, *programs, writer, error)) {
    case FilmOutcome::Done:
      break;
    case FilmOutcome::Stopped:
      return kExitRefused;
    case FilmOutcome::Failed:
      return Refuse(err, writer.problem.empty() ? error : writer.problem);
  }
  if (!sheet.empty()) {
    std::vector<Captioned> cells;
    for (std::size_t index = 0; index < times.size(); ++index) {
      cells.push_back({&writer.Kept()[index], Seconds(times[index])});
    }
    if (!WritePng(sheet, ContactSheet(cells), problem)) return Refuse(err, problem);
    out << sheet << '\n';
  }
  return out.flush() ? kExitDone : kExitRefused;
}

}  // namespace cw
