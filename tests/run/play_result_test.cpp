// "Play when done" without a program called play: the result plays in the
// engine (a stand-in that records its arguments and the demo it was given),
// and with nothing to play it, a message names what is missing.

#include "run/play_result.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "recording_platform.h"
#include "refilm/options.h"
#include "stream_fixture.h"
#include "system/system_programs.h"

namespace cw {
namespace {

namespace fs = std::filesystem;

constexpr const char* kStandIn = R"sh(#!/bin/sh
echo "$@" > "$CW_KEEP/arguments"
while [ $# -gt 0 ]; do
  case "$1" in -basedir) base=$2; shift;; -game) game=$2; shift;; esac
  shift
done
cp "$base/$game/result.dem" "$CW_KEEP/played.dem"
)sh";

// A platform without a play program of the user's, that starts programs.
class EnginePlatform : public test::RecordingPlatform {
 public:
  bool FindsProgram(const std::string& program) override { return program == "play" && hasPlay; }
  Programs* ProgramRunner() override { return &programs; }
  bool hasPlay = false;
  SystemPrograms programs;
};

// Sets environment variables for one test and puts them back after it.
class Variables {
 public:
  void Set(const char* name, const std::string& value) {
    Keep(name);
    setenv(name, value.c_str(), 1);
  }
  void Unset(const char* name) {
    Keep(name);
    unsetenv(name);
  }
  ~Variables() {
    // Backwards, so that each name ends as it was before the first change.
    for (auto entry = kept.rbegin(); entry != kept.rend(); ++entry) {
      if (entry->second) {
        setenv(entry->first, entry->second->c_str(), 1);
      } else {
        unsetenv(entry->first);
      }
    }
  }

 private:
  void Keep(const char* name) {
    const char* value = std::getenv(name);
    kept.emplace_back(name, value != nullptr ? std::optional<std::string>(value) : std::nullopt);
  }
  std::vector<std::pair<const char*, std::optional<std::string>>> kept;
};

class PlayResultTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir.Write("engine", kStandIn);
    fs::permissions(dir.Path("engine"), fs::perms::owner_all);
    fs::create_directories(dir.Path("quake/id1"));
    fs::create_directories(dir.Path("keep"));
    fs::create_directories(dir.Path("tmp"));
    dir.Write("quake/id1/pak0.pak", "PACK");
    dir.Write("my result.dem", "-1\nthe result");
    options.resultDemo = dir.Path("my result.dem");
    variables.Set("TMPDIR", dir.Path("tmp"));
    variables.Set("CW_KEEP", dir.Path("keep"));
    variables.Set("CAMWRIGHT_ENGINE", dir.Path("engine"));
    variables.Set("QUAKE_DIR", dir.Path("quake"));
    variables.Set("DISPLAY", ":99");
  }

  test::ScratchDir dir;
  Variables variables;
  RefilmOptions options;
  EnginePlatform platform;
};

TEST_F(PlayResultTest, AProgramCalledPlayIsRunAsBefore) {
  platform.hasPlay = true;
  PlayResult(options, platform);
  EXPECT_EQ(platform.commands, (std::vector<std::string>{"play " + dir.Path("my result.dem")}));
  EXPECT_FALSE(fs::exists(dir.Path("keep/arguments")));
}

TEST_F(PlayResultTest, WithoutPlayTheEnginePlaysTheResultWithTheGameData) {
  PlayResult(options, platform);
  EXPECT_TRUE(platform.messages.empty());
  EXPECT_TRUE(platform.commands.empty());
  const std::string arguments = dir.Read("keep/arguments");
  EXPECT_NE(arguments.find("-basedir "), std::string::npos) << arguments;
  EXPECT_NE(arguments.find(" +playdemo result\n"), std::string::npos) << arguments;
  EXPECT_EQ(dir.Read("keep/played.dem"), "-1\nthe result");
  // The engine's folders went with it; the user's game data stayed.
  EXPECT_TRUE(fs::is_empty(dir.Path("tmp")));
  EXPECT_TRUE(fs::exists(dir.Path("quake/id1/pak0.pak")));

  // --engine and --game win over the environment.
  variables.Set("CAMWRIGHT_ENGINE", dir.Path("no-such-engine"));
  variables.Set("QUAKE_DIR", dir.Path("keep"));
  options.engineProgram = dir.Path("engine");
  options.gameFolder = dir.Path("quake/id1");
  fs::remove(dir.Path("keep/arguments"));
  PlayResult(options, platform);
  EXPECT_TRUE(platform.messages.empty());
  EXPECT_TRUE(fs::exists(dir.Path("keep/arguments")));
}

TEST_F(PlayResultTest, WithNothingToPlayItAMessageSaysWhatIsMissing) {
  const auto messageAfter = [this] {
    platform.messages.clear();
    PlayResult(options, platform);
    EXPECT_EQ(platform.messages.size(), 1u);
    if (platform.messages.empty()) return std::string();
    EXPECT_EQ(platform.messages[0].caption, "Play when done");
    EXPECT_EQ(platform.messages[0].kind, MessageKind::Error);
    return platform.messages[0].text;
  };
  const std::string start = "Nothing can play " + dir.Path("my result.dem") +
                            ": there is no program called play in the current directory or on the search path. ";

  variables.Set("CAMWRIGHT_ENGINE", dir.Path("no-such-engine"));
  EXPECT_EQ(messageAfter(), start + "The engine \"" + dir.Path("no-such-engine") +
                                "\" (CAMWRIGHT_ENGINE) is no program that can be run.");

  variables.Unset("CAMWRIGHT_ENGINE");
  variables.Set("PATH", dir.Path("keep"));
  if (!fs::exists("/usr/games/quakespasm")) {
    EXPECT_NE(messageAfter().find("install Debian's quakespasm package"), std::string::npos);
  }

  variables.Set("CAMWRIGHT_ENGINE", dir.Path("engine"));
  variables.Set("QUAKE_DIR", dir.Path("keep"));
  EXPECT_EQ(messageAfter(), start + "The folder \"" + dir.Path("keep") +
                                "\" (QUAKE_DIR) holds no Quake game data: name the folder that holds id1/.");

  variables.Set("QUAKE_DIR", dir.Path("quake"));
  variables.Unset("DISPLAY");
  EXPECT_EQ(messageAfter(), start + "There is no display to play it on.");
  EXPECT_FALSE(fs::exists(dir.Path("keep/arguments")));
  EXPECT_TRUE(platform.commands.empty());
}

TEST_F(PlayResultTest, AnEngineThatCannotStartIsTold) {
  dir.Write("engine", "#!/bin/sh\necho \"Host_Error: Couldn't load gfx.wad\"\n");
  fs::permissions(dir.Path("engine"), fs::perms::owner_all);
  PlayResult(options, platform);
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_EQ(platform.messages[0].text,
            "The engine \"" + dir.Path("engine") + "\" stopped: Host_Error: Couldn't load gfx.wad");

  platform.messages.clear();
  dir.Write("engine", "#!/bin/sh\nexit 3\n");
  PlayResult(options, platform);
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_EQ(platform.messages[0].text, "The engine \"" + dir.Path("engine") + "\" ended with exit status 3.");
}

}  // namespace
}  // namespace cw
