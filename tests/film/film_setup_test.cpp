// Where the engine, the game data, the virtual display and the encoder are
// found, and the one sentence that says what mends a missing one.

#include "film/film_setup.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "stream_fixture.h"

namespace cw {
namespace {

namespace fs = std::filesystem;

Environment With(std::map<std::string, std::string> variables) {
  return [variables](std::string_view name) -> std::optional<std::string> {
    const auto found = variables.find(std::string(name));
    if (found == variables.end()) return std::nullopt;
    return found->second;
  };
}

void MakeProgram(const test::ScratchDir& dir, const std::string& name) {
  dir.Write(name, "#!/bin/sh\n");
  fs::permissions(dir.Path(name), fs::perms::owner_all);
}

TEST(FindProgram, LooksAlongThePathAsTheShellDoes) {
  test::ScratchDir first;
  test::ScratchDir second;
  first.Write("tool", "not executable");
  MakeProgram(second, "tool");
  MakeProgram(first, "other");
  const Environment path = With({{"PATH", first.Root() + ":" + second.Root()}});
  EXPECT_EQ(FindProgram("tool", path), second.Path("tool"));  // a file that cannot run is passed over
  EXPECT_EQ(FindProgram("other", path), first.Path("other"));
  EXPECT_EQ(FindProgram("missing", path), "");
  EXPECT_EQ(FindProgram("", path), "");
  // A name with a slash is taken as it stands, never along the path.
  EXPECT_EQ(FindProgram(second.Path("tool"), With({})), second.Path("tool"));
  EXPECT_EQ(FindProgram(first.Path("tool"), path), "");
  // An empty entry of PATH is the current folder.
  test::InFolder inSecond(second.Root());
  EXPECT_EQ(FindProgram("tool", With({{"PATH", "/nonexistent::"}})), "./tool");
}

// The user's play: in the current folder first, then along PATH; sox's play
// (a link to sox, which plays sound files) is none.
TEST(FindPlayProgram, TheUsersOwnButNotSoxs) {
  test::ScratchDir sox;
  test::ScratchDir own;
  test::ScratchDir here;
  MakeProgram(sox, "sox");
  fs::create_symlink(sox.Path("sox"), sox.Path("play"));
  MakeProgram(own, "play");
  test::InFolder inHere(here.Root());
  EXPECT_EQ(FindPlayProgram(With({{"PATH", sox.Root()}})), "");
  EXPECT_EQ(FindPlayProgram(With({{"PATH", sox.Root() + ":" + own.Root()}})), "");
  EXPECT_EQ(FindPlayProgram(With({{"PATH", own.Root() + ":" + sox.Root()}})), own.Path("play"));
  EXPECT_EQ(FindPlayProgram(With({})), "");
  MakeProgram(here, "play");
  EXPECT_EQ(FindPlayProgram(With({{"PATH", sox.Root()}})), "./play");
}

TEST(FindEngine, TheOptionThenTheEnvironmentThenQuakeSpasm) {
  test::ScratchDir dir;
  MakeProgram(dir, "quakespasm");
  MakeProgram(dir, "mine");
  const std::string path = dir.Root();
  EXPECT_EQ(FindEngine(dir.Path("mine"), With({{"PATH", path}})).path, dir.Path("mine"));
  EXPECT_EQ(FindEngine("mine", With({{"PATH", path}, {"CAMWRIGHT_ENGINE", "quakespasm"}})).path, dir.Path("mine"));
  EXPECT_EQ(FindEngine("", With({{"PATH", path}, {"CAMWRIGHT_ENGINE", "mine"}})).path, dir.Path("mine"));
  EXPECT_EQ(FindEngine("", With({{"PATH", path}})).path, dir.Path("quakespasm"));

  // A named engine that is missing is named, with the way it was given.
  const Found missing = FindEngine("nothing", With({{"PATH", path}}));
  EXPECT_EQ(missing.path, "");
  EXPECT_EQ(missing.problem, "The engine \"nothing\" (--engine) is no program that can be run.");
  EXPECT_NE(FindEngine("", With({{"CAMWRIGHT_ENGINE", "nothing"}})).problem.find("(CAMWRIGHT_ENGINE)"),
            std::string::npos);

  const Found none = FindEngine("", With({{"PATH", "/nonexistent"}}));
  if (IsExecutableFile("/usr/games/quakespasm")) {
    EXPECT_EQ(none.path, "/usr/games/quakespasm");  // Debian's package, off root's search path
  } else {
    EXPECT_NE(none.problem.find("quakespasm package"), std::string::npos);
    EXPECT_NE(none.problem.find("--engine PROGRAM"), std::string::npos);
  }
}

TEST(FindGameData, TheQuakeFolderOrItsId1Folder) {
  test::ScratchDir dir;
  fs::create_directories(dir.Path("quake/id1"));
  dir.Write("quake/id1/pak0.pak", "PACK");
  fs::create_directories(dir.Path("bare/id1"));  // no game in it
  const std::string id1 = fs::path(dir.Path("quake/id1")).lexically_normal().string();
  EXPECT_EQ(FindGameData(dir.Path("quake"), With({})).path, id1);
  EXPECT_EQ(FindGameData(dir.Path("quake/"), With({})).path, id1);
  EXPECT_EQ(FindGameData(dir.Path("quake/id1"), With({})).path, id1);
  EXPECT_EQ(FindGameData("", With({{"QUAKE_DIR", dir.Path("quake")}})).path, id1);
  {
    test::InFolder inDir(dir.Root());
    EXPECT_EQ(FindGameData("quake", With({})).path, id1);  // relative names become absolute
    EXPECT_EQ(FindGameData("./quake/id1", With({})).path, id1);
  }
  const Found bare = FindGameData(dir.Path("bare"), With({{"QUAKE_DIR", dir.Path("quake")}}));
  EXPECT_EQ(bare.path, "");
  EXPECT_EQ(bare.problem, "The folder \"" + dir.Path("bare") +
                              "\" (--game) holds no Quake game data: name the folder that holds id1/.");
  EXPECT_NE(FindGameData("", With({{"QUAKE_DIR", dir.Path("bare")}})).problem.find("(QUAKE_DIR)"), std::string::npos);
  if (FindGameData("", With({})).path.empty()) {
    EXPECT_NE(FindGameData("", With({})).problem.find("--game DIR or QUAKE_DIR"), std::string::npos);
  }
}

TEST(FindTools, TheVirtualDisplayNeedsItsAuthorityProgramToo) {
  test::ScratchDir dir;
  MakeProgram(dir, "xvfb-run");
  const Environment path = With({{"PATH", dir.Root()}});
  EXPECT_NE(FindVirtualDisplay(path).problem.find("xvfb and xauth packages"), std::string::npos);
  MakeProgram(dir, "xauth");
  EXPECT_EQ(FindVirtualDisplay(path).path, dir.Path("xvfb-run"));
  EXPECT_NE(FindEncoder(path).problem.find("ffmpeg package"), std::string::npos);
  MakeProgram(dir, "ffmpeg");
  EXPECT_EQ(FindEncoder(path).path, dir.Path("ffmpeg"));
  EXPECT_TRUE(HasDisplay(With({{"DISPLAY", ":0"}})));
  EXPECT_FALSE(HasDisplay(With({{"DISPLAY", ""}})));
  EXPECT_FALSE(HasDisplay(With({})));
}

}  // namespace
}  // namespace cw
