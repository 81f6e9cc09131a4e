// Films through the real engine (QuakeSpasm on a virtual display) and the
// real encoder (ffmpeg), with the free game data of ../shared/quake-base:
// pictures that show what the engine itself shows at that moment, videos of
// exactly the frames asked for, the same each time, with their sound at its
// time. Each is skipped, visibly, where a piece is missing.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "child_process.h"
#include "shared_demos.h"
#include "stream_fixture.h"

namespace cw {
namespace {

namespace fs = std::filesystem;

constexpr int kWidth = 320;
constexpr int kHeight = 240;
// A block time of the refilm of qfm_e1m3 by the example script, written so
// that it reads back as that time exactly: at it, the engine shows the block
// whole, as a timedemo does.
constexpr const char* kBlockTime = "12.4993134";

std::string QuakeBase() { return test::SharedDemoDir() + "/../quake-base"; }

bool Found(const std::string& program) {
  return test::RunProgram({"sh", "-c", "command -v " + program}, "").exitStatus == 0;
}

#define CW_REQUIRE_FILM_TOOLS()                                                                             \
  do {                                                                                                      \
    CW_REQUIRE_SHARED_DEMOS();                                                                              \
    if (!fs::is_directory(QuakeBase())) GTEST_SKIP() << "no game data in ../shared/quake-base";             \
    if (!Found("xvfb-run") || !Found("xauth")) GTEST_SKIP() << "no xvfb here (apt-get install xvfb xauth)"; \
    if (!Found("ffmpeg") || !Found("ffprobe")) GTEST_SKIP() << "no ffmpeg here (apt-get install ffmpeg)";   \
    if (!Found("quakespasm") && !fs::exists("/usr/games/quakespasm")) GTEST_SKIP() << "no quakespasm here"; \
  } while (0)

test::ProgramOutcome Cli(const std::vector<std::string>& words, const std::string& folder) {
  std::vector<std::string> command = {test::CliProgram()};
  command.insert(command.end(), words.begin(), words.end());
  return test::RunProgram(command, folder);
}

std::string Demo(const std::string& name) { return test::SharedDemoDir() + "/" + name; }

// The example script, with a line more or a line less.
void WriteScript(const test::ScratchDir& dir, const std::string& name, const std::string& after,
                 const std::string& added, const std::string& dropped) {
  std::ifstream in(std::string(CAMWRIGHT_SOURCE_DIR) + "/examples/example.cam");
  std::string text;
  for (std::string line; std::getline(in, line);) {
    if (!dropped.empty() && line == dropped) continue;
    text += line + "\n";
    if (!after.empty() && line == after) text += added + "\n";
  }
  dir.Write(name, text);
}

// The demo's blocks up to `seconds`, then a disconnect: a short play for a timedemo.
void WriteCut(const std::string& from, const std::string& to, float seconds) {
  const std::string bytes = test::ReadText(from);
  std::size_t at = bytes.find('\n') + 1;
  while (at + 16 <= bytes.size()) {
    std::int32_t length = 0;
    std::memcpy(&length, bytes.data() + at, 4);
    float time = 0;
    if (length >= 5 && bytes[at + 16] == 7) std::memcpy(&time, bytes.data() + at + 17, 4);
    if (time > seconds) break;
    at += 16 + static_cast<std::size_t>(length);
  }
  std::ofstream out(to, std::ios::binary);
  out << bytes.substr(0, at);
  const char disconnect[17] = {1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2};
  out.write(disconnect, sizeof disconnect);
}

// The pixels of a picture file, through ffmpeg.
std::vector<std::uint8_t> Pixels(const std::string& picture) {
  test::ScratchDir dir;
  test::RunProgram({"ffmpeg", "-v", "error", "-i", picture, "-f", "rawvideo", "-pix_fmt", "rgb24", dir.Path("raw")},
                   "");
  const std::string raw = test::ReadText(dir.Path("raw"));
  return std::vector<std::uint8_t>(raw.begin(), raw.end());
}

double Psnr(const std::vector<std::uint8_t>& a, const std::vector<std::uint8_t>& b) {
  if (a.size() != b.size() || a.empty()) return 0;
  double squares = 0;
  for (std::size_t i = 0; i < a.size(); ++i) squares += (a[i] - b[i]) * (a[i] - b[i]);
  const double mean = squares / static_cast<double>(a.size());
  return mean == 0 ? 99 : 10 * std::log10(255.0 * 255.0 / mean);
}

// How much the picture varies: a blank one does not.
double Spread(const std::vector<std::uint8_t>& pixels) {
  double sum = 0;
  double squares = 0;
  for (const std::uint8_t value : pixels) {
    sum += value;
    squares += value * value;
  }
  const double n = static_cast<double>(pixels.size());
  return n == 0 ? 0 : std::sqrt(squares / n - (sum / n) * (sum / n));
}

std::string Probe(const std::string& video, const std::string& stream, const std::string& entry) {
  const test::ProgramOutcome probe =
      test::RunProgram({"ffprobe", "-v", "error", "-select_streams", stream, "-count_frames", "-show_entries",
                        "stream=" + entry, "-of", "default=noprint_wrappers=1:nokey=1", video},
                       "");
  return probe.out.substr(0, probe.out.find('\n'));
}

// The decoded sound, 48 kHz stereo.
std::vector<std::int16_t> Sound(const std::string& video) {
  test::ScratchDir dir;
  test::RunProgram(
      {"ffmpeg", "-v", "error", "-i", video, "-map", "0:a", "-f", "s16le", "-ac", "2", "-ar", "48000", dir.Path("pcm")},
      "");
  const std::string raw = test::ReadText(dir.Path("pcm"));
  std::vector<std::int16_t> samples(raw.size() / 2);
  std::memcpy(samples.data(), raw.data(), samples.size() * 2);
  return samples;
}

class FilmEngine : public ::testing::Test {
 protected:
  std::string Refilm(const std::string& script, const std::string& result) {
    const test::ProgramOutcome refilm = Cli({Demo("qfm_e1m3.dem"), dir.Path(script), dir.Path(result)}, dir.Root());
    EXPECT_EQ(refilm.exitStatus, 0) << refilm.err;
    return dir.Path(result);
  }
  test::ProgramOutcome Render(const std::string& demo, const std::string& video) {
    return Cli({"render", demo, dir.Path(video), "--from", "10", "--to", "14", "--fps", "30", "--size",
                std::to_string(kWidth) + "x" + std::to_string(kHeight), "--game", QuakeBase()},
               dir.Root());
  }
  void ExpectFourSeconds(const std::string& video) {
    EXPECT_EQ(Probe(video, "v:0", "nb_read_frames"), "120");
    EXPECT_EQ(Probe(video, "v:0", "width"), std::to_string(kWidth));
    const double audio = std::stod("0" + Probe(video, "a:0", "duration"));
    EXPECT_NEAR(audio, 4.0, 1.0 / 30) << video;
  }

  test::ScratchDir dir;
};

TEST_F(FilmEngine, ShotsShowTheScriptedCameraAsTheEngineItselfShowsIt) {
  CW_REQUIRE_FILM_TOOLS();
  // The engine's own picture at a block time: the demo asks for it at that time.
  WriteScript(dir, "shot.cam", "12 lean 12", std::string(kBlockTime) + " text stufftext \"screenshot\\n\"", "");
  const std::string result = Refilm("shot.cam", "shot.dem");
  WriteCut(result, dir.Path("cut.dem"), 13.0f);
  const test::ProgramOutcome own =
      test::RunProgram({"bash", test::SharedDemoDir() + "/../tools/engine-play", dir.Path("cut.dem"), "120"},
                       dir.Root(), "SHOTS=" + dir.Path("own") + " WIDTH=320 HEIGHT=240");
  if (own.exitStatus == 3) GTEST_SKIP() << own.out;
  ASSERT_TRUE(fs::exists(dir.Path("own/shot00.png"))) << own.out;

  const test::ProgramOutcome shots =
      Cli({"shots", result, "--at", std::string("10,") + kBlockTime + ",14", "--out", dir.Path("shots"), "--sheet",
           dir.Path("sheet.png"), "--size", "320x240", "--game", QuakeBase()},
          dir.Root());
  ASSERT_EQ(shots.exitStatus, 0) << shots.err;
  const std::vector<std::string> names = {"shot-10.png", std::string("shot-") + kBlockTime + ".png", "shot-14.png"};
  for (const std::string& name : names) {
    EXPECT_NE(shots.out.find(dir.Path("shots/" + name)), std::string::npos) << shots.out;
    EXPECT_GT(Spread(Pixels(dir.Path("shots/" + name))), 10) << name << " is blank";
  }
  EXPECT_TRUE(fs::exists(dir.Path("sheet.png")));
  // The engine's own screenshot is taken while it plays in real time, so on
  // a busy machine it may land a few frames late: the shot of that moment
  // must be the one most like it, clearly more than a shot 1.5 s away.
  const std::vector<std::uint8_t> engine = Pixels(dir.Path("own/shot00.png"));
  const double before = Psnr(engine, Pixels(dir.Path("shots/" + names[0])));
  const double same = Psnr(engine, Pixels(dir.Path("shots/" + names[1])));
  const double later = Psnr(engine, Pixels(dir.Path("shots/" + names[2])));
  std::printf(
      "PSNR against the engine's own picture: %.1f dB 2.5 s before, %.1f dB at the same time, %.1f dB 1.5 s "
      "later\n",
      before, same, later);
  EXPECT_GT(same, later + 1.0);
  EXPECT_GT(same, before + 1.0);
}

TEST_F(FilmEngine, ShotsOfAProtocol666Demo) {
  CW_REQUIRE_FILM_TOOLS();
  const test::ProgramOutcome shots = Cli({"shots", Demo("fitzquake666/lq_swampy_short.dem"), "--at", "3.5,4.5,5.5",
                                          "--out", dir.Path("shots"), "--size", "320x240", "--game", QuakeBase()},
                                         dir.Root());
  ASSERT_EQ(shots.exitStatus, 0) << shots.err;
  for (const char* time : {"3.5", "4.5", "5.5"}) {
    const std::string name = dir.Path(std::string("shots/lq_swampy_short-") + time + ".png");
    EXPECT_GT(Spread(Pixels(name)), 10) << name << " is blank";
  }
}

TEST_F(FilmEngine, RendersAreExactRepeatableAndSoundOnTime) {
  CW_REQUIRE_FILM_TOOLS();
  WriteScript(dir, "example.cam", "", "", "");
  WriteScript(dir, "quiet.cam", "", "", "11 sound \"misc/talk\"");
  const std::string example = Refilm("example.cam", "example.dem");
  const std::string quiet = Refilm("quiet.cam", "quiet.dem");
  for (const char* video : {"a.mp4", "b.mp4"}) {
    const test::ProgramOutcome render = Render(example, video);
    ASSERT_EQ(render.exitStatus, 0) << render.err;
    ExpectFourSeconds(dir.Path(video));
  }
  // The same frames, decoded: compared frame by frame by their digests.
  const auto digests = [this](const std::string& video) {
    const test::ProgramOutcome md5 =
        test::RunProgram({"ffmpeg", "-v", "error", "-i", dir.Path(video), "-map", "0:v", "-f", "framemd5", "-"}, "");
    std::string lines;
    std::istringstream in(md5.out);
    for (std::string line; std::getline(in, line);) {
      if (!line.empty() && line[0] != '#') lines += line + "\n";
    }
    return lines;
  };
  const std::string first = digests("a.mp4");
  EXPECT_EQ(std::count(first.begin(), first.end(), '\n'), 120);
  EXPECT_EQ(first, digests("b.mp4"));
  EXPECT_EQ(Sound(dir.Path("a.mp4")), Sound(dir.Path("b.mp4")));

  // The script's sound at 11 s: what the film without it lacks starts there.
  ASSERT_EQ(Render(quiet, "quiet.mp4").exitStatus, 0);
  const std::vector<std::int16_t> with = Sound(dir.Path("a.mp4"));
  const std::vector<std::int16_t> without = Sound(dir.Path("quiet.mp4"));
  ASSERT_EQ(with.size(), without.size());
  constexpr std::size_t kWindow = 240;  // 5 ms of stereo samples at 48 kHz
  std::vector<double> energy;
  for (std::size_t at = 0; at + kWindow * 2 <= with.size(); at += kWindow * 2) {
    double sum = 0;
    for (std::size_t i = at; i < at + kWindow * 2; ++i) sum += std::pow(with[i] - without[i], 2);
    energy.push_back(std::sqrt(sum / (kWindow * 2)));
  }
  // The encoder's own differences before the sound are far below it.
  double before = 0;
  for (std::size_t i = 0; i < 160; ++i) before = std::max(before, energy[i]);  // the first 0.8 s
  std::size_t onset = 0;
  while (onset < energy.size() && energy[onset] <= std::max(4 * before, 300.0)) ++onset;
  const double heard = static_cast<double>(onset) * 0.005;
  std::printf("the sound asked for at 11.000 s is heard from %.3f s\n", 10.0 + heard);
  EXPECT_NEAR(heard, 1.0, 1.0 / 30);
}

TEST_F(FilmEngine, RenderOfAProtocol666DemoPastItsEnd) {
  CW_REQUIRE_FILM_TOOLS();
  const test::ProgramOutcome render = Render(Demo("fitzquake666/lq_swampy_short.dem"), "swampy.mp4");
  ASSERT_EQ(render.exitStatus, 0) << render.err;
  EXPECT_NE(render.err.find("Warning: 14.00 s is after the demo's end at 5.78 s"), std::string::npos) << render.err;
  ExpectFourSeconds(dir.Path("swampy.mp4"));
}

}  // namespace
}  // namespace cw
