#include "camera/script_parser.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <climits>
#include <memory>
#include <sstream>
#include <string>

#include "base/entity_table.h"
#include "base/protocol.h"
#include "camera/command.h"
#include "camera/script_number.h"
#include "script_reading.h"

namespace cw {
namespace {

TEST(ScriptNumber, DecimalOnly) {
  struct Case {
    std::string text;
    float value;
    std::size_t length;
  };
  const Case cases[] = {
      {"12.5", 12.5f, 4},
      {"-3", -3, 2},
      {"+4", 4, 2},
      {".5", 0.5f, 2},
      {"5.", 5, 2},
      {"1e3", 1000, 3},
      {"2.5e-1x", 0.25f, 6},
      {"2e", 2, 1},  // an exponent needs a digit
      {"1.5.5", 1.5f, 3},
      {"0x1A", 0, 1},  // no hexadecimal
      {" 5", 0, 0},    // no leading blanks
      {"inf", 0, 0},
      {"nan", 0, 0},
      {"--5", 0, 0},
      {"", 0, 0},
      {"1e999", FLT_MAX, 5},  // beyond the float range: the largest float
      {"-1e999", -FLT_MAX, 6},
      {"1e99999999999999999999", FLT_MAX, 22},
      {"1e-999", 0, 6},
      {"1" + std::string(400, '0') + "e-390", 1e10f, 406},
      {"0." + std::string(400, '0') + "1", 0, 403},
      {std::string(400, '9'), FLT_MAX, 400},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("text \"" + c.text.substr(0, 30) + "\"");
    const NumberRead read = ReadDecimal(c.text);
    EXPECT_EQ(read.value, c.value);
    EXPECT_EQ(read.length, c.length);
  }
}

TEST(ScriptNumber, WholeNumbers) {
  struct Case {
    std::string text;
    int value;
  };
  const Case cases[] = {
      {"12", 12}, {"-3", -3}, {"+7", 7}, {"3.9", 3}, {" 4", 0}, {"99999999999", INT_MAX}, {"-99999999999", INT_MIN},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("text \"" + c.text + "\"");
    EXPECT_EQ(ReadWholeNumber(c.text), c.value);
  }
}

class ScriptTest : public ::testing::Test {
 protected:
  int Read(const std::string& script) { return test::ReadScript(script, lists, *entities); }
  int Total() const {
    return lists.position.Count() + lists.view.Count() + lists.roll.Count() + lists.palette.Count() +
           lists.event.Count();
  }
  CommandLists lists;
  std::unique_ptr<EntityTable> entities = std::make_unique<EntityTable>();
};

TEST_F(ScriptTest, LinesThatStoreNothing) {
  const std::string lines[] = {
      "",
      "   ",
      "\r",
      "   # 10 stay p",
      "#10 stay p",
      "12.5",
      "12.5  stay p",  // the empty word
      "12.5 Stay p",
      "10 zoom 5",
      "10\tstay p",  // a tab is no separator
      "10 stay\tp",
      "10 stay",  // a position or view command needs a coordinate
      "10 view",
      "10 move ",
      "10 end move",  // every list is empty
      "10 text print",
      "10 text print hello",
      "10 text print \"unterminated",
      "10 text \"no kind\"",
      "10 text print\"against\"",
      "10 text print \"trailing backslash\\\"",
      "10 subtitle hello",
      "10 subtitle \"unterminated",
      "10 sound",
      "10 sound misc/talk",
      "10 sound \"misc/talk",
      "10 sound \"\"",
      "10 sound p\"\" v0.5",
      "10 sound e32768 \"misc/talk\"",
      "10 sound e-1 \"misc/talk\"",
      "10 eyes 32768",
      "10 eyes -1",
      "10 sound \"" + std::string(60, 'a') + "\"",  // 64 characters with .wav: longer than the game's names
  };
  for (const std::string& line : lines) {
    SCOPED_TRACE("line \"" + line + "\"");
    lists.RemoveAll();
    EXPECT_EQ(Read(line + "\n"), 1);
    EXPECT_EQ(Total(), 0);
  }
}

TEST_F(ScriptTest, OneLinePerCallAndTheLastLineNeedsALineFeed) {
  std::istringstream script("0 stay p\n\n5 stay e2\n10 stay e3");
  bool scriptEnded = false;
  for (int call = 1; call <= 3; ++call) {
    ParseScript(script, lists, *entities, scriptEnded);
    EXPECT_FALSE(scriptEnded) << "call " << call;
  }
  EXPECT_EQ(lists.position.Count(), 2);
  ParseScript(script, lists, *entities, scriptEnded);
  EXPECT_TRUE(scriptEnded);
  EXPECT_EQ(lists.position.Count(), 2);  // "10 stay e3" has no line feed
  EXPECT_FALSE(entities->IsReferenced(3));

  Read("10 eyes 3");
  EXPECT_EQ(Total(), 2);
}

TEST_F(ScriptTest, TrimsAndSplitsTheLine) {
  Read("# a comment\n   10 stay p  \r\n1e1 view e7 now 5\r\nabc lean 4\n");
  ASSERT_EQ(lists.position.Count(), 1);
  const CCommand& stay = lists.position.Head();
  EXPECT_EQ(stay.word, ScriptWord::Stay);
  EXPECT_EQ(stay.startTime, 10);
  EXPECT_EQ(stay.endTime, 0);
  EXPECT_EQ(stay.coord.entity, (std::array<int, 3>{1, 1, 1}));

  ASSERT_EQ(lists.view.Count(), 1);
  const CCommand& view = lists.view.Head();
  EXPECT_EQ(view.startTime, 10);
  EXPECT_EQ(view.coord.entity, (std::array<int, 3>{7, kAxisNow, 0}));
  EXPECT_EQ(view.coord.offset[2], 5);
  EXPECT_TRUE(entities->IsReferenced(7));

  ASSERT_EQ(lists.roll.Count(), 1);
  EXPECT_EQ(lists.roll.Head().startTime, 0);  // a time that is no number reads as 0
  EXPECT_EQ(lists.roll.Head().param4, 4);
}

TEST_F(ScriptTest, LongLinesAreReadWhole) {
  const std::string message(150, 'x');
  Read("10 text print \"" + message + "\"\n20 stay " + std::string(100, '1') + " 2 3\n");
  ASSERT_EQ(lists.event.Count(), 1);
  EXPECT_EQ(lists.event.Head().text, message);
  ASSERT_EQ(lists.position.Count(), 1);
  EXPECT_EQ(lists.position.Head().coord.offset[1], 2);
  EXPECT_EQ(lists.position.Head().coord.offset[0], FLT_MAX);
}

TEST_F(ScriptTest, ClosingRuleEndsTheTailAtTheNextCommandOfItsList) {
  Read(
      "0 stay p\n"
      "3 view p\n"
      "5 move 1 2 3\n"
      "7 cut 0 0 0\n"
      "8 palette 1 2 3 4\n"
      "9 fade 1 2 3 4\n"
      "1 eyes\n"
      "2 eyes\n");
  const float positionEnds[] = {5, 7, 0};
  int i = 0;
  for (const CCommand& command : lists.position) EXPECT_EQ(command.endTime, positionEnds[i++]);
  EXPECT_EQ(lists.view.Head().endTime, 0);  // lists close their own commands only
  EXPECT_EQ(lists.palette.Head().endTime, 9);
  EXPECT_EQ(lists.palette.Tail().endTime, 0);
  EXPECT_EQ(lists.event.Head().endTime, 0);  // the event list has no closing
}

TEST_F(ScriptTest, EndLines) {
  Read("0 move 1 1 1\n4 end move\n6 move 2 2 2\n");
  EXPECT_EQ(lists.position.Head().endTime, 4);  // an earlier end is kept

  lists.RemoveAll();
  Read("0 move 1 1 1\n10 end move\n11 end move\n");
  EXPECT_EQ(lists.position.Head().endTime, 11);

  lists.RemoveAll();
  Read("0 view p\n2 end turn\n0 fade 1\n3 end fade\n0 roll 5\n4 end roll\n");  // whatever the tail's word
  EXPECT_EQ(lists.view.Head().endTime, 2);
  EXPECT_EQ(lists.palette.Head().endTime, 3);
  EXPECT_EQ(lists.roll.Head().endTime, 4);

  lists.RemoveAll();
  Read(
      "0 pan p\n0 stay p\n0 lean 5\n0 palette 1\n5 end stay\n5 end cut\n5 end view\n5 end lean\n5 end palette\n"
      "5 end\n5 end move now\n5 end Pan\n");
  EXPECT_EQ(lists.view.Head().endTime, 0);
  EXPECT_EQ(lists.position.Head().endTime, 0);
  EXPECT_EQ(lists.roll.Head().endTime, 0);
  EXPECT_EQ(lists.palette.Head().endTime, 0);
  EXPECT_EQ(Total(), 4);
}

TEST_F(ScriptTest, RollIsBroughtNearThePreviousAngle) {
  struct Case {
    std::string script;
    float firstEnd;
    float stored;
  };
  const Case cases[] = {
      {"0 roll 10\n5 roll 350\n", 5, -10},
      {"0 roll 350\n5 roll 10\n", 5, 370},
      {"0 roll 10\n4 end roll\n5 roll 350\n", 4, 350},  // a closed tail: stored as written
      {"0 lean 10\n5 roll 190\n", 5, 190},              // 180 apart is near enough
      {"0 roll 0\n5 lean 600\n", 5, 240},               // one correction only
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.script);
    lists.RemoveAll();
    Read(c.script);
    ASSERT_EQ(lists.roll.Count(), 2);
    EXPECT_EQ(lists.roll.Head().endTime, c.firstEnd);
    EXPECT_EQ(lists.roll.Tail().param4, c.stored);
  }
}

TEST_F(ScriptTest, PaletteNumbers) {
  struct Case {
    std::string arguments;
    float param3, param2, param1, param4;
  };
  const Case cases[] = {
      {"255 0 0 50", 255, 0, 0, 50},
      {"0.5", 0, 0, 0, 5},
      {"10 20", 0, 0, 10, 20},
      {"1 2 3 4 5", 2, 3, 4, 5},  // the first ones are lost
      {"-7  8", 0, 7, 0, 8},      // the minus is dropped; two spaces shift in a 0
      {"", 0, 0, 0, 0},
  };
  for (const std::string word : {"palette", "fade"}) {
    for (const Case& c : cases) {
      SCOPED_TRACE(word + " " + c.arguments);
      lists.RemoveAll();
      Read("3 " + word + " " + c.arguments + "\n");
      ASSERT_EQ(lists.palette.Count(), 1);
      const CCommand& palette = lists.palette.Head();
      EXPECT_EQ(NameOf(palette.word), word);
      EXPECT_EQ(palette.param3, c.param3);
      EXPECT_EQ(palette.param2, c.param2);
      EXPECT_EQ(palette.param1, c.param1);
      EXPECT_EQ(palette.param4, c.param4);
      EXPECT_EQ(palette.text, "");
    }
  }
}

// Every word of the table is read into its list with its identity.
TEST_F(ScriptTest, EveryWordJoinsItsList) {
  for (const ScriptWordRow& row : kScriptWords) {
    SCOPED_TRACE(std::string(row.name));
    const char* arguments[] = {"p", "5", "1 2 3 4", "print \"x\"", "\"x\"", "\"a\"", "3", "p 120 40", "e5 200 64 -8"};
    lists.RemoveAll();
    Read("1 " + std::string(row.name) + " " + arguments[static_cast<int>(row.form)] + "\n");
    ASSERT_EQ(lists.Of(row.list).Count(), 1);
    EXPECT_EQ(lists.Of(row.list).Head().word, row.word);
  }
}

TEST_F(ScriptTest, TextMessages) {
  struct Case {
    std::string line;
    int type;
    std::string text;
  };
  const Case cases[] = {
      {"10 text centerprint \"Hello\\nworld\"", svc_centerprint, "Hello\nworld"},
      {"10 text print \"a\\\\b\"", svc_print, "a\\b"},
      {"10 text print \"say \\\"hi\\\" now\"", svc_print, "say \"hi\" now"},
      {"10 text print \"keep \\q and \\t\"", svc_print, "keep \\q and \\t"},
      {"10 text print \"\"", svc_print, ""},
      {"10 text print junk \"x\" more \"y\"", svc_print, "x"},
      {"10 text stufftext \"bf\\n\"", svc_stufftext, "bf\n"},
      {"10 text finale \"end\"", svc_finale, "end"},
      // Other kinds take their frame and show nothing, words of the
      // language among them.
      {"10 text banner \"x\"", -1, "x"},
      {"10 text eyes \"7\"", -1, "7"},
      {"10 text sound \"x\"", -1, "x"},
      {"10 text Print \"x\"", -1, "x"},
      {"10 text  \"x\"", -1, "x"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    lists.RemoveAll();
    Read(c.line + "\n");
    ASSERT_EQ(lists.event.Count(), 1);
    EXPECT_EQ(lists.event.Head().word, ScriptWord::Text);
    EXPECT_EQ(lists.event.Head().messageType, c.type);
    EXPECT_EQ(lists.event.Head().text, c.text);
    EXPECT_EQ(lists.event.Head().startTime, 10);
  }
}

TEST_F(ScriptTest, SubtitleBuildsTheConsoleText) {
  Read("10 subtitle \"Hi\"\n12 subtitle x \"two\\nlines\"\n");
  ASSERT_EQ(lists.event.Count(), 2);
  EXPECT_EQ(lists.event.Head().word, ScriptWord::Subtitle);
  EXPECT_EQ(lists.event.Head().messageType, svc_stufftext);
  EXPECT_EQ(lists.event.Head().text, "alias subtitle echo \"Hi\";\nprint_subtitle\n");
  EXPECT_EQ(lists.event.Tail().text, "alias subtitle echo \"two\nlines\";\nprint_subtitle\n");
}

TEST_F(ScriptTest, SoundSettings) {
  struct Case {
    std::string arguments;
    std::string text;
    float channel, volume, attenuation, source;
  };
  const Case cases[] = {
      {"\"misc/talk\"", "misc/talk.wav", 0, 1, 1, 449},
      {"p \"misc/talk\"", "misc/talk.wav", 0, 1, 1, 1},
      {"e12 \"misc/talk\"", "misc/talk.wav", 0, 1, 1, 12},
      {"e12\"misc/talk\"", "misc/talk.wav", 0, 1, 1, 12},
      {"x\"a\"", "a.wav", 0, 1, 1, 0},
      {"\"misc/talk\" v0.5 a2", "misc/talk.wav", 0, 0.5f, 2, 449},
      {"\"misc/talk\" c3 x9  a", "misc/talk.wav", 3, 1, 0, 449},
      {"\"misc/talk\"v0.5 a2", "misc/talk.wav", 0, 1, 2, 449},  // against the quote: passed over
      {"\"a\\b\"", "a\\b.wav", 0, 1, 1, 449},                   // no escapes in a name
      {"\"with space\" a3", "with space.wav", 0, 1, 3, 449},
      {"\"" + std::string(59, 'a') + "\"", std::string(59, 'a') + ".wav", 0, 1, 1, 449},  // the longest name
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.arguments);
    lists.RemoveAll();
    Read("10 sound " + c.arguments + "\n");
    ASSERT_EQ(lists.event.Count(), 1);
    const CCommand& sound = lists.event.Head();
    EXPECT_EQ(sound.word, ScriptWord::Sound);
    EXPECT_EQ(sound.text, c.text);
    EXPECT_EQ(sound.param1, c.channel);
    EXPECT_EQ(sound.param2, c.volume);
    EXPECT_EQ(sound.param3, c.attenuation);
    EXPECT_EQ(sound.endTime, c.source);
    EXPECT_EQ(sound.cameraSource, c.arguments[0] == '"');  // the camera, whatever its number
    EXPECT_EQ(sound.startTime, 10);
  }
}

TEST_F(ScriptTest, EyesEntityTimes100) {
  Read("10 eyes\n10 eyes 3\n10 eyes abc\n10 eyes 449\n");
  const float expected[] = {100, 300, 0, 44900};
  int i = 0;
  for (const CCommand& eyes : lists.event) {
    EXPECT_EQ(eyes.word, ScriptWord::Eyes);
    EXPECT_EQ(eyes.param4, expected[i++]);
  }
  EXPECT_EQ(i, 4);
}

}  // namespace
}  // namespace cw
