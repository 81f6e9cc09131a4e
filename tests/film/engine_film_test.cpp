// A film shot through a stand-in engine: a script that takes the place of
// the engine, reads the film's commands and writes a screenshot for each
// picture asked for, as QuakeSpasm does. What the film hands on, in which
// order, what it makes of an engine's failure, and what it leaves behind.

#include "film/engine_film.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>

#include "demo_builder.h"
#include "film/film_folder.h"
#include "stream_fixture.h"
#include "system/system_programs.h"

namespace cw {
namespace {

namespace fs = std::filesystem;

// Writes screenshot N as a plain TGA whose every byte is N, then stops.
constexpr const char* kStandIn = R"sh(#!/bin/sh
while [ $# -gt 0 ]; do
  case "$1" in
    -basedir) base=$2; shift;; -game) game=$2; shift;; -width) w=$2; shift;; -height) h=$2; shift;;
  esac
  shift
done
echo "started in $(pwd)"
[ -n "$CW_FAIL" ] && { echo "$CW_FAIL"; exit 1; }
count=$(cat "$base/$game"/camwright*.cfg | grep -c '^screenshot tga$')
cp "$base/$game"/camwright0.cfg "$CW_KEEP/commands.cfg"
i=0
while [ $i -lt $count ]; do
  name=$(printf '%s/%s/spasm%04d.tga' "$base" "$game" $i)
  { printf '\000\000\002\000\000\000\000\000\000\000\000\000'
    printf "\\$(printf %03o $((w % 256)))\\$(printf %03o $((w / 256)))\\$(printf %03o $((h % 256)))\\$(printf %03o $((h / 256)))"
    printf '\030\000'
    head -c $((w * h * 3)) /dev/zero | tr '\000' "\\$(printf %03o $i)"; } > "$name.part"
  mv "$name.part" "$name"
  i=$((i + 1))
done
)sh";

class Recorder : public FilmWatcher {
 public:
  bool Show(std::size_t index, const Picture& picture) override {
    shown.emplace_back(index, picture.rgb.empty() ? -1 : picture.rgb[0]);
    size = {picture.width, picture.height};
    return true;
  }
  std::vector<std::pair<std::size_t, int>> shown;
  std::pair<int, int> size;
};

class EngineFilm : public ::testing::Test {
 protected:
  void SetUp() override {
    dir.Write("engine", kStandIn);
    fs::permissions(dir.Path("engine"), fs::perms::owner_all);
    fs::create_directories(dir.Path("quake/id1"));
    dir.Write("quake/id1/gfx.wad", "WAD2");
    fs::create_directories(dir.Path("tmp"));
    fs::create_directories(dir.Path("keep"));
    const char* before = std::getenv("TMPDIR");
    oldTemporary = before != nullptr ? before : "";
    setenv("TMPDIR", dir.Path("tmp").c_str(), 1);
    setenv("CW_KEEP", dir.Path("keep").c_str(), 1);
    test::DemoBuilder demo;
    test::ServerInfo info;
    info.models = {"maps/test.bsp"};
    demo.Block(test::MessageBytes().ServerInfoMessage(info).SignonNum(1));
    demo.Block(test::MessageBytes().Time(1.0f).SignonNum(3).StuffText("bf\n"));
    for (int i = 1; i <= 100; ++i) {
      demo.Block(test::MessageBytes().Time(1.0f + 0.05f * static_cast<float>(i)).EntityUpdateMessage({}));
    }
    demo.Block(test::MessageBytes().Disconnect());
    demo.WriteFile(dir.Path("demo.dem"));
    settings.demo = dir.Path("demo.dem");
    settings.engine = dir.Path("engine");
    settings.id1 = dir.Path("quake/id1");
    settings.width = 16;
    settings.height = 8;
    settings.step = 0.1;
  }
  void TearDown() override {
    if (oldTemporary.empty()) {
      unsetenv("TMPDIR");
    } else {
      setenv("TMPDIR", oldTemporary.c_str(), 1);
    }
    unsetenv("CW_FAIL");
  }

  test::ScratchDir dir;
  std::string oldTemporary;
  FilmSettings settings;
  SystemPrograms programs;
};

TEST_F(EngineFilm, HandsOnEachPictureForEachTimeInOrderAndLeavesNothing) {
  // Before the start, twice the same time, after the end.
  settings.times = {0.5, 2.0, 2.0, 3.0, 9.0};
  Recorder recorder;
  std::string error;
  ASSERT_EQ(ShootFilm(settings, programs, recorder, error), FilmOutcome::Done) << error;
  ASSERT_EQ(recorder.shown.size(), 5u);
  for (std::size_t i = 0; i < 5; ++i) EXPECT_EQ(recorder.shown[i].first, i);
  // Pictures 0, 1, 1, 2, 3: each byte of picture N is N.
  EXPECT_EQ(recorder.shown[0].second, 0);
  EXPECT_EQ(recorder.shown[1].second, 1);
  EXPECT_EQ(recorder.shown[2].second, 1);
  EXPECT_EQ(recorder.shown[3].second, 2);
  EXPECT_EQ(recorder.shown[4].second, 3);
  EXPECT_EQ(recorder.size, std::make_pair(16, 8));
  // The demo's own text runs in the film's commands; its copy went to the engine.
  EXPECT_NE(dir.Read("keep/commands.cfg").find("\nbf\n"), std::string::npos);
  EXPECT_TRUE(fs::is_empty(dir.Path("tmp")));
  EXPECT_TRUE(fs::exists(dir.Path("quake/id1/gfx.wad")));  // the link went, not the game
}

TEST_F(EngineFilm, TheEnginesFailureIsTold) {
  settings.times = {2.0};
  setenv("CW_FAIL", "Host_Error: Model maps/test.bsp not found", 1);
  Recorder recorder;
  std::string error;
  EXPECT_EQ(ShootFilm(settings, programs, recorder, error), FilmOutcome::Failed);
  EXPECT_EQ(error, "The engine \"" + dir.Path("engine") + "\" stopped: Host_Error: Model maps/test.bsp not found");
  EXPECT_TRUE(recorder.shown.empty());
  EXPECT_TRUE(fs::is_empty(dir.Path("tmp")));

  setenv("CW_FAIL", "something else", 1);
  EXPECT_EQ(ShootFilm(settings, programs, recorder, error), FilmOutcome::Failed);
  EXPECT_NE(error.find("ended (exit status 1) after 0 of 1 pictures; its last line: something else"), std::string::npos)
      << error;

  settings.engine = dir.Path("no-such-engine");
  EXPECT_EQ(ShootFilm(settings, programs, recorder, error), FilmOutcome::Failed);
  // Started through stdbuf, which says the engine is missing.
  EXPECT_NE(error.find("No such file or directory"), std::string::npos) << error;
  settings.demo = dir.Path("missing.dem");
  EXPECT_EQ(ShootFilm(settings, programs, recorder, error), FilmOutcome::Failed);
  EXPECT_EQ(error, "The demo \"" + dir.Path("missing.dem") + "\" cannot be played: it cannot be opened.");
}

TEST(EngineFailure, TheFirstLineThatTellsOfAFailure) {
  EXPECT_EQ(EngineFailure("execing quake.rc\nCouldn't load 'x'\n"), "");
  EXPECT_EQ(EngineFailure("a\r\nHost_Error: CL_ParseServerMessage: Illegible server message\r\nb\n"),
            "Host_Error: CL_ParseServerMessage: Illegible server message");
  EXPECT_EQ(EngineFailure("\nQUAKE ERROR: W_LoadWadFile: couldn't load gfx.wad\n"),
            "QUAKE ERROR: W_LoadWadFile: couldn't load gfx.wad");
  EXPECT_EQ(EngineFailure("xvfb-run: error: Xvfb failed to start"), "xvfb-run: error: Xvfb failed to start");
}

TEST(FilmFolder, ALinkToTheGameAndAGameOfItsOwnRemovedWithIt) {
  test::ScratchDir dir;
  fs::create_directories(dir.Path("id1"));
  dir.Write("id1/pak0.pak", "PACK");
  std::string base;
  {
    FilmFolder folder;
    std::string error;
    ASSERT_TRUE(folder.Make(dir.Path("id1"), error)) << error;
    base = folder.Base();
    EXPECT_TRUE(fs::is_symlink(base + "/id1"));
    EXPECT_TRUE(fs::exists(base + "/id1/pak0.pak"));
    EXPECT_TRUE(fs::is_directory(folder.GamePath()));
    EXPECT_EQ(folder.GamePath(), base + "/" + folder.Game());
    EXPECT_EQ(folder.Game().find_first_of("/\\:."), std::string::npos);  // a name the engine takes for -game
    EXPECT_EQ(folder.WritePlaces().front(), folder.GamePath());
  }
  EXPECT_FALSE(fs::exists(base));
  EXPECT_TRUE(fs::exists(dir.Path("id1/pak0.pak")));
}

}  // namespace
}  // namespace cw
