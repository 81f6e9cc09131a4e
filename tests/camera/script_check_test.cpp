// camwright-cli check: each kind of mistake named on its line, nothing on
// the example script, and the lines it calls passed over are the very lines
// the refilm's reader stores nothing for.

#include "camera/script_check.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <sstream>

#include "camera/command.h"
#include "camera/script_parser.h"
#include "child_process.h"
#include "console/console_front.h"
#include "demo_builder.h"
#include "game_files.h"
#include "stream_fixture.h"

namespace cw {
namespace {

struct Line {
  const char* text;
  const char* finding;  // a piece of what is reported on it; empty for nothing
};

// The last line has no line feed.
const Line kMistakes[] = {
    {"# one mistake a line", ""},
    {"0 end pan", "'end pan' has nothing to close"},
    {"0 stay 100 200 64", ""},
    {"0 Stay p", "unknown command word 'Stay' (words are lower case): the line is passed over"},
    {"0 zoom p", "unknown command word 'zoom'"},
    {"1s view p", "the time '1s' reads as 1"},
    {"abc view p", "the time 'abc' is no number: it reads as 0"},
    {"2 lean x", "the angle 'x' reads as 0"},
    {"3 stay player", "the point 'player' reads as the fixed coordinate 0 on every axis"},
    {"3 cut p~0.3+30 p p", "the x axis 'p~0.3+30' reads as p~0.3"},
    {"3 cut 100 200", "the point has no z axis: z reads as the fixed coordinate 0"},
    {"3 cut 100  200", "the y axis is empty (two spaces?): it reads as the fixed coordinate 0"},
    {"3 cut e40000 0 0", "'e40000' names no entity a script can follow (1 to 32767)"},
    {"3 cut 1 2 3 4", "'4' after the third axis is ignored"},
    {"4 text print Hello", "the text needs its message in double quotes: the line is passed over"},
    {"4 text shout \"Hello\"",
     "the text kind 'shout' is none of print, centerprint, stufftext, finale: nothing is shown"},
    {"4 sound \"\"", "the sound's name is empty: the line is passed over"},
    {"4 sound \"misc/talk.wav\"", "already ends in .wav: the game is asked for 'misc/talk.wav.wav'"},
    {"4 sound e2 \"misc/talk\" x1", "the sound setting 'x1' is none of v (volume)"},
    {"4 eyes e7", "eyes takes a plain entity number: 'e7' reads as 0"},
    {"4 palette 255 0 0", "'255 0 0' reads as 0 255 0 0"},
    {"5 end fade", "'end fade' closes the palette of line 21, which is no fade"},
    {"5 end zoom", "'end zoom' closes nothing: an end closes a move, pan, turn, fade or roll"},
    {"5 end move", "'end move' closes the cut of line 14, which is no move"},
    {"1 stay 0 0 0",
     "the time 1 is earlier than 5 on line 24 of the same list (stay, move, cut, glide, follow, orbit)"},
    {"6 subtitle Hi", "the subtitle needs its text in double quotes"},
    {"7 roll 10", ""},
    {"8 end roll", ""},
    {"9 end roll", "closes the roll of line 27 again (line 28 closed it)"},
    {"10 stay p", "the last line has no line break: it is not read"},
};

std::string MistakeScript() {
  std::string script;
  for (const Line& line : kMistakes) script += std::string(line.text) + (&line == std::end(kMistakes) - 1 ? "" : "\n");
  return script;
}

std::map<int, std::string> Findings(const std::string& script) {
  std::istringstream in(script);
  std::map<int, std::string> byLine;
  for (const ScriptFinding& finding : CheckScript(in).findings) byLine[finding.line] += finding.text + "\n";
  return byLine;
}

// Each list is named by its words, as the lines out of order or an end
// before them find it.
TEST(ScriptCheck, ListsAreNamedByTheirWords) {
  const std::map<int, std::string> findings = Findings(
      "0 end turn\n5 view p\n1 pan p\n5 roll 1\n1 lean 2\n5 palette 1 2 3 4\n1 fade 1 2 3 4\n5 eyes\n1 eyes\n");
  EXPECT_EQ(findings.at(1), "'end turn' has nothing to close: no line of view, pan, turn, sweep comes before it\n");
  const std::pair<int, const char*> lists[] = {{3, "(view, pan, turn, sweep)"},
                                               {5, "(roll, lean)"},
                                               {7, "(palette, fade)"},
                                               {9, "(text, subtitle, sound, eyes)"}};
  for (const auto& [line, words] : lists) EXPECT_NE(findings.at(line).find(words), std::string::npos) << line;
}

TEST(ScriptCheck, EachMistakeOnItsLine) {
  const std::map<int, std::string> findings = Findings(MistakeScript());
  for (int number = 1; number <= static_cast<int>(std::size(kMistakes)); ++number) {
    const Line& line = kMistakes[number - 1];
    SCOPED_TRACE(line.text);
    const auto found = findings.find(number);
    if (*line.finding == '\0') {
      EXPECT_EQ(found, findings.end()) << found->second;
    } else {
      ASSERT_NE(found, findings.end());
      EXPECT_NE(found->second.find(line.finding), std::string::npos) << found->second;
    }
  }
}

// The check's word and the refilm's reading agree: a line said to be passed
// over stores no command, every other command line stores one.
TEST(ScriptCheck, PassedOverMeansTheRefilmStoresNothing) {
  const std::map<int, std::string> findings = Findings(MistakeScript());
  for (int number = 1; number < static_cast<int>(std::size(kMistakes)); ++number) {
    const std::string text = kMistakes[number - 1].text;
    if (text[0] == '#' || text.find(" end ") != std::string::npos) continue;
    SCOPED_TRACE(text);
    CommandLists lists;
    auto entities = std::make_unique<EntityTable>();
    std::istringstream in(text + "\n");
    bool ended = false;
    ParseScript(in, lists, *entities, ended);
    const bool stored = !lists.position.Empty() || !lists.view.Empty() || !lists.roll.Empty() ||
                        !lists.palette.Empty() || !lists.event.Empty();
    const auto found = findings.find(number);
    EXPECT_EQ(stored, found == findings.end() || found->second.find("passed over") == std::string::npos);
  }
}

TEST(ScriptCheck, TheCommandLineWithAndWithoutADemo) {
  test::ScratchDir dir;
  const std::string example = std::string(CAMWRIGHT_SOURCE_DIR) + "/examples/example.cam";
  const std::string maker = std::string(CAMWRIGHT_BINARY_DIR) + "/examples/make-example-demo";
  ASSERT_EQ(test::RunProgram({maker, dir.Path("example.dem")}, dir.Root()).exitStatus, 0);
  auto run = [](std::vector<std::string> words, std::string& out) {
    words.insert(words.begin(), "check");
    std::ostringstream output, errors;
    const int status = RunConsole(words, output, errors);
    out = output.str();
    return status;
  };
  std::string out;
  EXPECT_EQ(run({example}, out), kExitDone);
  EXPECT_EQ(run({example, "--demo", dir.Path("example.dem")}, out), kExitDone);
  EXPECT_EQ(out, "");

  dir.Write("bad.cam", "0 stay p\n1 view e3\n2 eyes 9\n3 sound \"misc/talk\"\n4 sound \"none/such\"\n5 eyes 449\n");
  EXPECT_EQ(run({dir.Path("bad.cam")}, out), kExitDone);
  EXPECT_EQ(run({dir.Path("bad.cam"), "-d", dir.Path("example.dem")}, out), kExitRefused);
  const std::string file = dir.Path("bad.cam") + ":";
  EXPECT_EQ(out, file + "3: the demo never updates entity 9: there are no eyes to look through\n" + file +
                     "5: the sound none/such.wav is in no sound list of the demo: the refilm adds it, and the game "
                     "plays it only if its data has sound/none/such.wav\n");
  // A follow of an entity the demo never moves waits for it.
  dir.Write("follow.cam", "0 follow e99 100 20\n5 orbit p 100 10 4\n");
  EXPECT_EQ(run({dir.Path("follow.cam"), "--demo", dir.Path("example.dem")}, out), kExitRefused);
  EXPECT_EQ(out,
            dir.Path("follow.cam") + ":1: the demo never updates entity 99: the camera waits for it where it stands\n");
  // The game data has the sound: no mistake.
  std::filesystem::create_directories(dir.Path("quake/id1"));
  dir.Write("quake/id1/pak0.pak", test::MakePak({{"sound/none/such.wav", "RIFF"}}));
  EXPECT_EQ(run({dir.Path("bad.cam"), "-d", dir.Path("example.dem"), "--game", dir.Path("quake")}, out), kExitRefused);
  EXPECT_EQ(out.find("none/such"), std::string::npos);

  dir.Write("cut.dem", test::MakeDemo("-1\n", {{svc_time, 0, 0}}));
  EXPECT_EQ(run({dir.Path("bad.cam"), "--demo", dir.Path("cut.dem")}, out), kExitProblems);
  EXPECT_EQ(run({dir.Path("missing.cam")}, out), kExitRefused);
}

// A tab between words is named once, in plain words; inside quotes it is
// the text's own.
TEST(ScriptCheck, ATabIsReportedOncePerLine) {
  std::istringstream script("0\tstay\t1 2 3\n0 view p\t\n1 text print \"a\tb\\n\"\n# a\tcomment\n");
  const ScriptCheck check = CheckScript(script);
  ASSERT_EQ(check.findings.size(), 2u);
  EXPECT_EQ(check.findings[0].line, 1);
  EXPECT_EQ(check.findings[1].line, 2);
  EXPECT_EQ(check.findings[0].text,
            "a tab stands where a space looks to be: words are parted by spaces only, so the words beside it read "
            "as one; write spaces instead");
}

TEST(ScriptCheck, APanOrTurnOfNoLengthIsNamed) {
  std::istringstream script(
      "0 pan p\n2 end pan\n3 turn 10 20 30\n3 end turn\n4 pan p\n4.001 end pan\n5 move 1 2 3\n5 end move\n");
  const ScriptCheck check = CheckScript(script);
  ASSERT_EQ(check.findings.size(), 1u);
  EXPECT_EQ(check.findings[0].line, 4);
  EXPECT_EQ(check.findings[0].text,
            "'end turn' at 3 ends the turn of line 3 as it begins: it sweeps through no time, and the camera faces "
            "its target at once");
}

}  // namespace
}  // namespace cw
