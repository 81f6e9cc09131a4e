// camwright-cli preview: a picture of the camera's way that a real XML
// parser reads and a real SVG renderer draws, written with nothing else;
// and the help of the subcommands that look before a refilm.

#include "inspect/preview.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>

#include "child_process.h"
#include "console/console_front.h"
#include "game_files.h"
#include "inspect/preview_svg.h"
#include "map/game_folder.h"
#include "shared_demos.h"
#include "stream_fixture.h"
#include "synthetic_demo.h"
#include "xml_check.h"

namespace cw {
namespace {

namespace fs = std::filesystem;

const std::string kSource = CAMWRIGHT_SOURCE_DIR;

bool Has(const std::string& text, const std::string& piece) { return text.find(piece) != std::string::npos; }

// Empty when python's XML parser reads an SVG document from the file.
std::string XmlProblem(const std::string& path) {
  const test::ProgramOutcome parsed = test::RunProgram(
      {"python3", "-c",
       "import sys, xml.etree.ElementTree as tree\n"
       "root = tree.parse(sys.argv[1]).getroot()\n"
       "assert root.tag == '{http://www.w3.org/2000/svg}svg' and root.get('version') == '1.1', root.tag\n",
       path},
      fs::path(path).parent_path().string());
  return parsed.exitStatus == 0 ? "" : parsed.err + parsed.out;
}

bool HaveRenderer() { return test::RunProgram({"rsvg-convert", "--version"}, ".").exitStatus == 0; }

// Renders with rsvg-convert; true when a PNG came out.
bool Renders(const std::string& svg, const std::string& png) {
  if (test::RunProgram({"rsvg-convert", svg, "-o", png}, ".").exitStatus != 0) return false;
  return test::ReadText(png).substr(0, 4) == "\x89PNG";
}

class Preview : public ::testing::Test {
 protected:
  Preview() {
    test::RunProgram({std::string(CAMWRIGHT_BINARY_DIR) + "/examples/make-example-demo", dir.Path("example.dem")},
                     dir.Root());
    dir.Write("cwbox.log", test::ReadText(kSource + "/examples/cwbox.log"));
  }

  test::ProgramOutcome Run(std::vector<std::string> words, const std::string& shellPrefix = "") const {
    words.insert(words.begin(), {test::CliProgram(), "preview"});
    return test::RunProgram(words, dir.Root(), shellPrefix);
  }

  std::vector<std::string> Files() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir.Root())) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }

  test::ScratchDir dir;
};

TEST_F(Preview, TheExampleFilmIsValidSvgThatRenders) {
  const test::ProgramOutcome done = Run({"example.dem", kSource + "/examples/example.cam", "film.svg"});
  ASSERT_EQ(done.exitStatus, 0) << done.err;
  EXPECT_EQ(done.out + done.err, "");
  EXPECT_EQ(Files(), (std::vector<std::string>{"cwbox.log", "example.dem", "film.svg"}));
  const std::string svg = dir.Read("film.svg");
  for (const char* piece : {">zone 4<", ">6 move z 96<", ">16 view<", ">e2<", ">0 s<", "the camera's way"}) {
    EXPECT_TRUE(Has(svg, piece)) << piece;
  }
  EXPECT_EQ(XmlProblem(dir.Path("film.svg")), "");
  if (!HaveRenderer()) GTEST_SKIP() << "rsvg-convert is not installed (Debian package librsvg2-bin)";
  EXPECT_TRUE(Renders(dir.Path("film.svg"), dir.Path("film.png")));

  // A time range draws only what happens in it.
  ASSERT_EQ(Run({"example.dem", kSource + "/examples/example.cam", "late.svg", "--from", "100", "--to=149"}).exitStatus,
            0);
  const std::string late = dir.Read("late.svg");
  EXPECT_FALSE(Has(late, ">6 move z 96<"));
  EXPECT_TRUE(Has(late, ">140 stay z 64<"));
}

// The camera operator's words: glides, the follow and the orbit on the
// camera's way, the sweeps' looked-at point as a dashed way of its own.
TEST_F(Preview, TheCinematicFilmDrawsItsSweeps) {
  ASSERT_EQ(Run({"example.dem", kSource + "/examples/cinematic.cam", "cine.svg", "--to", "40"}).exitStatus, 0);
  const std::string svg = dir.Read("cine.svg");
  for (const char* piece : {">1 glide z 160<", ">8 glide z 140<", ">10 follow z 24<", ">18 sweep<", ">30 orbit z 24<",
                            "stroke-dasharray=\"5 3\""}) {
    EXPECT_TRUE(Has(svg, piece)) << piece;
  }
  EXPECT_EQ(XmlProblem(dir.Path("cine.svg")), "");
}

TEST_F(Preview, WritesThePictureAndNothingElseOrRefuses) {
  // A generated script stays in memory.
  ASSERT_EQ(Run({"example.dem", "gen.svg"}).exitStatus, 0);
  EXPECT_EQ(Files(), (std::vector<std::string>{"cwbox.log", "example.dem", "gen.svg"}));
  EXPECT_EQ(XmlProblem(dir.Path("gen.svg")), "");

  const std::string demo = dir.Read("example.dem");
  EXPECT_EQ(Run({"example.dem", "example.dem"}).exitStatus, 1);
  EXPECT_EQ(dir.Read("example.dem"), demo);
  EXPECT_EQ(Run({"example.dem", "x.svg", "--from", "soon"}).exitStatus, 1);
  EXPECT_EQ(Run({"example.svg"}).exitStatus, 1);
  EXPECT_FALSE(dir.Exists("x.svg"));

  // A move between the largest floats has no middle to draw.
  dir.Write("huge.cam", "0 stay -3e38 0 0\n1 move 3e38 0 0\n5 end move\n");
  ASSERT_EQ(Run({"example.dem", "huge.cam", "huge.svg"}).exitStatus, 0);
  EXPECT_FALSE(Has(dir.Read("huge.svg"), "nan"));

  dir.Write("cut.dem", demo.substr(0, demo.size() / 2));
  const test::ProgramOutcome cut = Run({"cut.dem", "cut.svg"});
  EXPECT_EQ(cut.exitStatus, 2);
  EXPECT_EQ(XmlProblem(dir.Path("cut.svg")), "");
}

// --at marks the player and the camera; a time the demo or the picture
// does not hold is refused before anything is written.
TEST_F(Preview, AtMarksThePlayerAndTheCameraOrIsRefused) {
  const std::string script = kSource + "/examples/example.cam";
  const test::ProgramOutcome done = Run({"example.dem", script, "at.svg", "--at", "12.5"});
  ASSERT_EQ(done.exitStatus, 0) << done.err;
  const std::string svg = dir.Read("at.svg");
  for (const char* piece : {"player at 12.50 s<", "camera at 12.50 s<", "r=\"9\"/><path"}) {
    EXPECT_TRUE(Has(svg, piece)) << piece;
  }
  // Both markers carry their label.
  std::size_t labels = 0;
  for (std::size_t at = svg.find(">12.50 s</text>"); at != std::string::npos;
       at = svg.find(">12.50 s</text>", at + 1)) {
    ++labels;
  }
  EXPECT_EQ(labels, 4u);  // each written twice: its white outline, then its colour
  EXPECT_EQ(XmlProblem(dir.Path("at.svg")), "");

  for (const std::vector<std::string>& words :
       {std::vector<std::string>{"--at", "soon"}, std::vector<std::string>{"--at=-0.5"},
        std::vector<std::string>{"--at", "1e9"}, std::vector<std::string>{"--at", "50", "--to", "40"},
        std::vector<std::string>{"--at", "5", "--from=10"}}) {
    std::vector<std::string> all{"example.dem", script, "no.svg"};
    all.insert(all.end(), words.begin(), words.end());
    const test::ProgramOutcome refused = Run(all);
    EXPECT_EQ(refused.exitStatus, 1) << words[0];
    EXPECT_TRUE(Has(refused.err, "--at")) << refused.err;
    EXPECT_FALSE(dir.Exists("no.svg"));
  }
  // The range's own edges are inside it.
  EXPECT_EQ(Run({"example.dem", script, "edge.svg", "--at", "40", "--from", "20", "--to", "40"}).exitStatus, 0);
}

// The time strip: a mark for each text, fade, sound and eyes view of the
// script in the time drawn, each telling its words when pointed at.
TEST_F(Preview, TheTimeStripMarksTheScriptsEvents) {
  ASSERT_EQ(Run({"example.dem", kSource + "/examples/example.cam", "strip.svg"}).exitStatus, 0);
  const std::string svg = dir.Read("strip.svg");
  for (const char* piece :
       {"subtitle: Somewhere, a walker sets out.</title>", "print: The soldier has seen you.", "fade: </title>",
        "sound: misc/talk.wav</title>", "eyes: eyes of entity 2</title>", "other text: echo the walk goes on"}) {
    EXPECT_TRUE(Has(svg, piece)) << piece;
  }
  ASSERT_EQ(Run({"example.dem", kSource + "/examples/example.cam", "late.svg", "--from", "100"}).exitStatus, 0);
  const std::string late = dir.Read("late.svg");
  EXPECT_FALSE(Has(late, "sound: misc/talk.wav"));
  EXPECT_FALSE(Has(late, "subtitle: Somewhere"));
}

// Labels of marks on one spot move to free spots around it, with a line
// back to their mark; only what finds no free spot is left out.
TEST(PreviewLabels, MoveAwayBeforeTheyAreLeftOut) {
  auto draw = [](int marks) {
    PreviewPicture picture;
    picture.player = {{0, {0, 0, 0}}, {10, {600, 400, 0}}};
    for (int index = 0; index < marks; ++index) {
      picture.marks.push_back({1, "w" + std::to_string(index), {300, 200, 0}, true});
    }
    std::ostringstream svg;
    WritePreviewSvg(picture, {}, svg);
    return svg.str();
  };
  auto shown = [](const std::string& svg, int marks) {
    int count = 0;
    for (int index = 0; index < marks; ++index) count += Has(svg, ">1 w" + std::to_string(index) + "<") ? 1 : 0;
    return count;
  };
  const std::string few = draw(12);
  EXPECT_EQ(shown(few, 12), 12);
  EXPECT_TRUE(Has(few, "<g stroke=\"#4a545e\" stroke-width=\"0.7\">\n<line"));
  const std::string crowded = draw(80);
  EXPECT_GT(shown(crowded, 80), 12);
  EXPECT_LT(shown(crowded, 80), 80);
  EXPECT_EQ(test::XmlFault(crowded), "");
}

TEST_F(Preview, TheMapsFloorsFromAPakOrAreLeftOutWithAWarning) {
  fs::create_directories(dir.Path("quake/id1"));
  dir.Write("quake/id1/pak0.pak", test::MakePak({{"maps/cwbox.bsp", test::MakeBsp(true)}}));
  const char* floors = "<g stroke=\"#9ea5ac\"";
  ASSERT_EQ(Run({"example.dem", "a.svg", "--game", "quake"}).exitStatus, 0);
  EXPECT_TRUE(Has(dir.Read("a.svg"), floors));
  ASSERT_EQ(Run({"example.dem", "b.svg"}, "export QUAKE_DIR=quake;").exitStatus, 0);
  EXPECT_TRUE(Has(dir.Read("b.svg"), floors));

  dir.Write("quake/id1/pak0.pak", test::MakePak({{"maps/cwbox.bsp", "BSP2 cut"}}));
  const test::ProgramOutcome damaged = Run({"example.dem", "c.svg", "-g", "quake"});
  EXPECT_EQ(damaged.exitStatus, 0);
  EXPECT_TRUE(Has(damaged.err, "Warning: The map's floors are not drawn: quake/id1/pak0.pak: the file is too short"))
      << damaged.err;
  EXPECT_FALSE(Has(dir.Read("c.svg"), floors));
}

// A map whose faces all name the same 65535 edges would be some billion
// corners: it is damage, found from the lumps' sizes before any work.
TEST_F(Preview, AMapOfSharedEdgesIsDamageNotWork) {
  fs::create_directories(dir.Path("quake/id1/maps"));
  dir.Write("quake/id1/maps/cwbox.bsp", test::MakeBspOfSharedEdges(2000, 65535));
  const test::ProgramOutcome done = Run({"example.dem", "a.svg", "--game", "quake"}, test::ResourceLimits(512, 30));
  ASSERT_EQ(done.exitStatus, 0) << done.err;
  EXPECT_TRUE(Has(done.err,
                  "Warning: The map's floors are not drawn: quake/id1/maps/cwbox.bsp: the world's faces up to "
                  "face 1 name 131070 surface edges in all, more than the 65535 of the map"))
      << done.err;
  EXPECT_FALSE(Has(dir.Read("a.svg"), "<g stroke=\"#9ea5ac\""));
  EXPECT_LT(fs::file_size(dir.Path("a.svg")), 1u << 20);
}

// The map's name comes from the demo: it never reaches outside the game
// folder, and a map file larger than any real one is not read. Both files
// here are sparse: gigabytes named, nothing written.
TEST_F(Preview, TheMapNameStaysInTheGameFolderAndAHugeMapIsNotRead) {
  fs::create_directories(dir.Path("quake/id1/maps"));
  dir.Write("huge.bin", "");
  fs::resize_file(dir.Path("huge.bin"), std::uintmax_t{2100} << 20);
  dir.Write("quake/id1/maps/big.bsp", "");
  fs::resize_file(dir.Path("quake/id1/maps/big.bsp"), kMaxGameFileBytes + 1);
  const struct {
    const char* map;
    std::string warning;
  } cases[] = {
      {"maps/../../../huge.bin", "the name \"maps/../../../huge.bin\" reaches outside the game folder"},
      {"maps/big.bsp", "quake/id1/maps/big.bsp: the file holds " + std::to_string(kMaxGameFileBytes + 1) + " bytes"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.map);
    ASSERT_TRUE(test::WriteSyntheticDemo(dir.Path("map.dem"), {.seconds = 1, .mapName = c.map}));
    const test::ProgramOutcome done = Run({"map.dem", "a.svg", "--game", "quake"}, test::ResourceLimits(512, 30));
    ASSERT_EQ(done.exitStatus, 0) << done.err;
    EXPECT_TRUE(Has(done.err, "Warning: The map's floors are not drawn: " + c.warning)) << done.err;
  }
}

// Every shared demo of the protocol the reader reads, with the free game
// data's floors where it has the map; qfm_e1m3's pictures, the chase camera
// over its floors, stay in the build tree to be looked at.
TEST_F(Preview, EverySharedDemo) {
  CW_REQUIRE_SHARED_DEMOS();
  const std::string game = fs::path(CAMWRIGHT_SHARED_DIR) / "quake-base";
  const std::string kept = std::string(CAMWRIGHT_BINARY_DIR) + "/tests/previews";
  fs::create_directories(kept);
  for (const std::string& demo : test::Protocol15Demos()) {
    SCOPED_TRACE(demo);
    const std::string svg = kept + "/" + fs::path(demo).stem().string() + ".svg";
    ASSERT_EQ(Run({demo, svg, "--game", game}).exitStatus, 0);
    EXPECT_EQ(XmlProblem(svg), "");
  }
  const std::string e1m3 = kept + "/qfm_e1m3.svg";
  if (!fs::exists(fs::path(game) / "id1/maps/e1m3.bsp")) GTEST_SKIP() << "no e1m3.bsp in " << game;
  EXPECT_TRUE(Has(test::ReadText(e1m3), "<g stroke=\"#9ea5ac\""));
  if (!HaveRenderer()) GTEST_SKIP() << "rsvg-convert is not installed (Debian package librsvg2-bin)";
  EXPECT_TRUE(Renders(e1m3, kept + "/qfm_e1m3.png"));
}

TEST(Subcommands, EachHasItsWholeHelp) {
  for (const char* word : {"info", "check", "preview"}) {
    SCOPED_TRACE(word);
    std::ostringstream out, err;
    EXPECT_EQ(RunConsole({word, "--help"}, out, err), kExitDone);
    const std::string help = out.str();
    EXPECT_EQ(help.rfind(std::string("Usage: camwright-cli ") + word, 0), 0u);
    EXPECT_TRUE(Has(help, "\nOptions:\n  -"));
    EXPECT_TRUE(Has(help, "\n  -h, --help "));
    EXPECT_TRUE(Has(help, "Exit status: 0"));
    EXPECT_EQ(RunConsole({word, "--bogus"}, out, err), kExitRefused);
  }
  // A first word that only looks like a subcommand names a file.
  std::ostringstream out, err;
  EXPECT_EQ(RunConsole({"./info", "result.dem"}, out, err), kExitRefused);
  EXPECT_TRUE(Has(err.str(), "The source file \"./info\" doesn't exist"));
}

}  // namespace
}  // namespace cw
