// The tools that look at a demo, pointed at files made to hurt them: each
// runs under a memory and a time limit, ends, and writes only what a reader
// can take (no runaway pictures, no stray bytes in JSON, no terminal
// commands, no line glued to the next).

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <limits>

#include "child_process.h"
#include "demo_builder.h"
#include "stream_fixture.h"
#include "xml_check.h"

namespace cw {
namespace {

namespace fs = std::filesystem;
using test::Encoding;
using test::MessageBytes;

constexpr float kHuge = std::numeric_limits<float>::max();

bool Has(const std::string& text, const std::string& piece) { return text.find(piece) != std::string::npos; }

class HostileInput : public ::testing::Test {
 protected:
  test::ProgramOutcome Cli(std::vector<std::string> words) const {
    words.insert(words.begin(), test::CliProgram());
    // Half a gigabyte, twenty seconds of processor, files of at most 50 MB:
    // far more than any of these needs, far less than a runaway takes.
    return test::RunProgram(words, dir.Root(), test::ResourceLimits(600, 20) + " ulimit -f 100000;");
  }

  // A level of `encoding` whose player stands at each of `places` in turn,
  // a tenth of a second apart, from `firstTime` on.
  void WriteDemo(const std::string& name, Encoding encoding, const std::vector<Vec3>& places, float firstTime = 1,
                 test::ServerInfo info = {}) const {
    test::DemoBuilder demo;
    info.protocol = encoding.protocol;
    info.flags = encoding.flags;
    if (info.models.empty()) info.models = {"maps/test.bsp", "progs/player.mdl"};
    demo.Block(MessageBytes(encoding).ServerInfoMessage(info));
    float time = firstTime;
    for (const Vec3& at : places) {
      test::EntityUpdate update;
      update.entity = 1;
      for (std::size_t axis = 0; axis < 3; ++axis) update.origin[axis] = at[axis];
      demo.Block(MessageBytes(encoding).Time(time).EntityUpdateMessage(update));
      time += 0.1f;
    }
    ASSERT_TRUE(demo.WriteFile(dir.Path(name)));
  }

  test::ScratchDir dir;
};

const Encoding kFloatCoords{test::wire::kRmq, test::wire::kFloatCoord};

TEST_F(HostileInput, PreviewOfAHugeClockOrRangeEndsWithASmallPicture) {
  WriteDemo("clock.dem", {}, {{0, 0, 0}, {64, 0, 0}});
  test::DemoBuilder jump;  // a clock that leaps by three thousand years
  jump.Block(MessageBytes().Time(1e11f));
  dir.Write("clock.dem", dir.Read("clock.dem") + jump.Build().substr(3));
  for (const std::vector<std::string>& words :
       {std::vector<std::string>{"preview", "clock.dem", "a.svg"},
        std::vector<std::string>{"preview", "--to", "1e25", "clock.dem", "a.svg"},
        std::vector<std::string>{"preview", "--from", "-1e39", "--to", "1e39", "clock.dem", "a.svg"},
        std::vector<std::string>{"preview", "--at", "99999999999", "clock.dem", "a.svg"}}) {
    const test::ProgramOutcome done = Cli(words);
    ASSERT_EQ(done.exitStatus, 0) << done.err;
    EXPECT_LT(fs::file_size(dir.Path("a.svg")), 100000u);
  }
}

TEST_F(HostileInput, PreviewOfAClockStandingFarOutIsDrawn) {
  // Every block at 1e20 s, where a second more is the same number.
  WriteDemo("far-clock.dem", {}, {{0, 0, 0}, {64, 0, 0}, {128, 64, 0}}, 1e20f);
  for (const std::vector<std::string>& words :
       {std::vector<std::string>{"preview", "far-clock.dem", "a.svg"},
        std::vector<std::string>{"preview", "--from", "1e20", "far-clock.dem", "a.svg"}}) {
    const test::ProgramOutcome done = Cli(words);
    ASSERT_EQ(done.exitStatus, 0) << done.err;
    const std::string svg = dir.Read("a.svg");
    EXPECT_FALSE(Has(svg, "nan")) << svg.substr(0, 300);
    EXPECT_EQ(test::XmlFault(svg), "");
  }
}

TEST_F(HostileInput, NumbersPastWhatTheyCanSayAreNullOrAWordNeverStrayBytes) {
  std::vector<Vec3> places;
  for (int i = 0; i < 40; ++i) places.push_back(i % 2 == 0 ? Vec3{0, 0, 0} : Vec3{kHuge, -kHuge, kHuge});
  WriteDemo("far.dem", kFloatCoords, places);
  const test::ProgramOutcome json = Cli({"info", "--json", "far.dem"});
  ASSERT_EQ(json.exitStatus, 0) << json.err;
  EXPECT_TRUE(Has(json.out, "\"playerPath\":null,")) << json.out;
  const test::ProgramOutcome entities = Cli({"info", "--entities", "--json", "far.dem"});
  EXPECT_TRUE(Has(entities.out, "\"distance\":null,")) << entities.out;
  for (const std::string& out : {json.out, entities.out}) {
    EXPECT_TRUE(std::all_of(out.begin(), out.end(), [](char c) { return c >= 0x20 || c == '\n'; }));
  }
  EXPECT_TRUE(Has(Cli({"info", "far.dem"}).out, "player path      n/a units"));
}

TEST_F(HostileInput, PreviewLeavesInfiniteOrHugePlacesOutOfThePicture) {
  const float infinity = std::numeric_limits<float>::infinity();
  WriteDemo("inf.dem", kFloatCoords, {{0, 0, 0}, {infinity, 0, 0}, {64, 64, 0}, {kHuge, kHuge, 0}, {128, 0, 0}});
  const test::ProgramOutcome done = Cli({"preview", "inf.dem", "inf.svg"});
  // Drawn, and told as a damaged demo: a followed place that is no number is one.
  ASSERT_EQ(done.exitStatus, 2) << done.err;
  const std::string svg = dir.Read("inf.svg");
  EXPECT_FALSE(Has(svg, "nan")) << svg.substr(0, 300);
  EXPECT_FALSE(Has(svg, "inf\""));
  EXPECT_EQ(test::XmlFault(svg), "");
  // The check itself tells a broken picture.
  EXPECT_NE(test::XmlFault("<svg width=\"1\" width=\"2\"/>"), "");
  EXPECT_NE(test::XmlFault("<svg><g></svg>"), "");
}

TEST_F(HostileInput, ThousandsOfLevelsTakeMemoryByWhatTheyUse) {
  test::DemoBuilder demo;
  test::ServerInfo info;
  info.models = {"maps/x.bsp"};
  for (int level = 0; level < 3000; ++level) {
    test::EntityUpdate update;
    update.entity = 32767;
    update.origin[0] = 8;
    demo.Block(MessageBytes().ServerInfoMessage(info).Time(0.1f).EntityUpdateMessage(update));
  }
  ASSERT_TRUE(demo.WriteFile(dir.Path("levels.dem")));
  const test::ProgramOutcome text = Cli({"info", "levels.dem"});
  EXPECT_EQ(text.exitStatus, 0) << text.err;
  const test::ProgramOutcome json = Cli({"info", "--entities", "--json", "levels.dem"});
  ASSERT_EQ(json.exitStatus, 0) << json.err;
  EXPECT_TRUE(Has(json.out, "{\"level\":3000,\"entity\":32767,"));
}

TEST_F(HostileInput, TextReportsShowTerminalCommandsEscapedAndKeepEveryLineWhole) {
  test::ServerInfo info;
  info.protocol = kFloatCoords.protocol;
  info.flags = kFloatCoords.flags;
  info.levelName = "Lev\x1b]0;title\x07";
  info.models = {"maps/\x1b[2J.bsp", "progs/" + std::string(3000, 'm') + ".mdl"};
  test::DemoBuilder demo;
  demo.Block(MessageBytes(kFloatCoords).ServerInfoMessage(info));
  test::EntityUpdate update;
  update.entity = 2;
  update.model = 2;
  update.origin[0] = kHuge;
  update.origin[1] = -kHuge;
  demo.Block(MessageBytes(kFloatCoords).Time(1).EntityUpdateMessage(update));
  ASSERT_TRUE(demo.WriteFile(dir.Path("ctrl.dem")));

  const test::ProgramOutcome text = Cli({"info", "ctrl.dem"});
  EXPECT_TRUE(Has(text.out, "maps/\\x1b[2J.bsp \"Lev\\x1b]0;title\\x07\"")) << text.out;
  const test::ProgramOutcome listed = Cli({"info", "--entities", "ctrl.dem"});
  for (const std::string& out : {text.out, listed.out}) {
    EXPECT_FALSE(Has(out, "\x1b")) << out;
    EXPECT_FALSE(Has(out, "\x07"));
  }
  // The path, the header and the entity's line.
  EXPECT_EQ(std::count(listed.out.begin(), listed.out.end(), '\n'), 3) << listed.out.substr(0, 300);
  EXPECT_TRUE(Has(listed.out, std::string(3000, 'm') + ".mdl"));
  EXPECT_TRUE(Has(listed.out, "n/a n/a 0\n"));
}

TEST_F(HostileInput, BatchClaimsNoDestinationForADemoThatWillNotRun) {
  WriteDemo("x.dem", {}, {{0, 0, 0}});
  fs::create_directory(dir.Path("odd"));
  fs::rename(dir.Path("x.dem"), dir.Path("odd/-x.dem"));
  dir.Write("s.cam", "0 stay p\n");
  const test::ProgramOutcome done = Cli({"batch", "--script", "s.cam", "--out", "oo", "--", "-x.dem", "odd/-x.dem"});
  EXPECT_EQ(done.exitStatus, 1);  // the missing demo is refused by its run
  EXPECT_TRUE(Has(done.err, "done: odd/-x.dem -> oo/-x.dem")) << done.err;
  EXPECT_TRUE(fs::exists(dir.Path("oo/-x.dem")));
}

}  // namespace
}  // namespace cw
