#include "run/refilm_run.h"

#include <gtest/gtest.h>

#include "base/protocol.h"
#include "recording_platform.h"
#include "result_reader.h"
#include "stream_fixture.h"

namespace cw {
namespace {

using test::Append;
using test::AppendString;
using test::Bytes;
using test::RecordedMessage;

std::string FinalBlock(const Bytes& messages = {svc_disconnect}) { return test::MakeDemo("", {messages}); }

Bytes TimeMessage(float seconds) {
  Bytes bytes = {svc_time};
  test::AppendFloat(bytes, seconds);
  return bytes;
}

Bytes ServerInfo(int protocol) {
  Bytes bytes = {svc_serverinfo};
  test::AppendLong(bytes, protocol);
  Append(bytes, {1, 0});
  AppendString(bytes, "level");
  AppendString(bytes, "maps/none.bsp");
  Append(bytes, {0, 0});
  return bytes;
}

// One block a second from 1 s to 20 s, the intermission at 10 s.
std::string IntermissionAtTen() {
  std::vector<Bytes> blocks;
  for (int i = 1; i <= 20; ++i) {
    Bytes block = TimeMessage(static_cast<float>(i));
    if (i == 10) block.push_back(svc_intermission);
    blocks.push_back(block);
  }
  return test::MakeDemo("-1\n", blocks);
}

// The five bytes of a time message, as they stand in a file.
std::string TimeText(float seconds) {
  const Bytes bytes = TimeMessage(seconds);
  return std::string(bytes.begin(), bytes.end());
}

class RefilmRun : public ::testing::Test {
 protected:
  RefilmRun() : context(test::QuietContext()) {
    RefilmOptions& options = context->options;
    options.sourceDemo = dir.Path("in.dem");
    options.scriptFile = dir.Path("in.cam");
    options.resultDemo = dir.Path("out.dem");
    options.generateScript = false;
    options.playWhenDone = false;
    dir.Write("in.cam", "");
  }

  RunOutcome Run() { return RefilmDemo(*context, platform); }

  void ExpectOnlyError(const std::string& text) {
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(platform.messages[0].caption, "Error");
    EXPECT_EQ(platform.messages[0].text, text);
    EXPECT_EQ(platform.messages[0].kind, MessageKind::Error);
  }

  test::ScratchDir dir;
  std::unique_ptr<Context> context;
  test::RecordingPlatform platform;
};

TEST_F(RefilmRun, ChecksTheNamesInOrderAndWritesNothing) {
  struct Case {
    const char* name;
    std::string source, script, result;
    bool generate;
    std::string message;
  };
  const std::string missing = dir.Path("missing.dem");
  const std::vector<Case> cases = {
      // Where a row breaks two rules, the earlier rule's message comes.
      {"no source, no result", "", "x.cam", "", false, "You must specify a source file."},
      {"no result, source missing", missing, "x.cam", "", false, "You must specify a destination file."},
      {"source missing", missing, "x.cam", "out.dem", false, "The source file \"" + missing + "\" doesn't exist"},
      {"source and script missing", missing, "nope.cam", "out.dem", false,
       "The source file \"" + missing + "\" doesn't exist"},
      {"source missing, no script", missing, "", "out.dem", true, "The source file \"" + missing + "\" doesn't exist"},
      {"no script", "in.dem", "", "out.dem", true, "You must specify a script file"},
      {"no script, none to generate", "in.dem", "", "out.dem", false, "You must specify a script file"},
      {"script missing, result is the source", "in.dem", "nope.cam", "in.dem", false,
       "The script file \"nope.cam\" doesn't exist"},
      {"result is the source, and so would be the generated script", "in.dem", "./in.dem", "in.dem", true,
       "The destination file \"in.dem\" is the source file."},
      {"generated script would be the source", "in.dem", "./in.dem", "out.dem", true,
       "The script file \"./in.dem\" is the source file."},
  };
  dir.Write("in.dem", "-1\n");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto fresh = test::QuietContext();
    test::RecordingPlatform recorder;
    RefilmOptions& options = fresh->options;
    // Relative names are tried from the scratch folder.
    auto inDir = [&](const std::string& name) { return name.empty() || name[0] == '/' ? name : dir.Path(name); };
    options.sourceDemo = inDir(c.source);
    options.scriptFile = c.script == "nope.cam" ? "nope.cam" : inDir(c.script);
    options.resultDemo = inDir(c.result);
    options.generateScript = c.generate;
    std::string expected = c.message;
    for (const char* name : {"in.dem", "./in.dem"}) {
      const std::string quoted = std::string("\"") + name + "\"";
      if (const auto at = expected.find(quoted); at != std::string::npos) {
        expected.replace(at, quoted.size(), "\"" + inDir(name) + "\"");
      }
    }
    EXPECT_EQ(RefilmDemo(*fresh, recorder), RunOutcome::Refused);
    ASSERT_EQ(recorder.messages.size(), 1u);
    EXPECT_EQ(recorder.messages[0].caption, "Error");
    EXPECT_EQ(recorder.messages[0].text, expected);
    EXPECT_EQ(recorder.messages[0].kind, MessageKind::Error);
    EXPECT_FALSE(dir.Exists("out.dem"));
    EXPECT_EQ(dir.Read("in.dem"), "-1\n");
  }
}

TEST_F(RefilmRun, OtherProtocolsAreRefusedBeforeAnythingIsWritten) {
  // At any level: the second one here.
  dir.Write("in.dem", test::MakeDemo("-1\n", {ServerInfo(666), ServerInfo(15), ServerInfo(777), {svc_disconnect}}));
  EXPECT_EQ(Run(), RunOutcome::Refused);
  ExpectOnlyError("The source file \"" + dir.Path("in.dem") +
                  "\" uses network protocol 777. Only protocol 15, 666 and 999 demos can be refilmed.");
  EXPECT_FALSE(dir.Exists("out.dem"));
}

TEST_F(RefilmRun, Protocol999WithMoreFlagsIsRefused) {
  Bytes info = {svc_serverinfo};
  test::AppendLong(info, 999);
  test::AppendLong(info, static_cast<std::int32_t>(0x80000082u));
  Append(info, {1, 0, 0, 0, 0});
  dir.Write("in.dem", test::MakeDemo("-1\n", {info, {svc_disconnect}}));
  EXPECT_EQ(Run(), RunOutcome::Refused);
  ExpectOnlyError("The source file \"" + dir.Path("in.dem") +
                  "\" uses network protocol 999 with flags 2147483778, which can't be refilmed.");
  EXPECT_FALSE(dir.Exists("out.dem"));
}

TEST_F(RefilmRun, ResultThatCannotBeCreatedIsAnError) {
  dir.Write("in.dem", "-1\n");
  context->options.resultDemo = dir.Path("no/such/folder/out.dem");
  EXPECT_EQ(Run(), RunOutcome::Refused);
  ExpectOnlyError("The destination file \"" + context->options.resultDemo + "\" can't be created.");
}

TEST_F(RefilmRun, ASourceWithoutAWholeFirstLineGivesTheFirstLineAndTheFinalBlock) {
  // Not a demo: the result is what a run always writes, and the run reports it.
  for (const char* source : {"", "-1", "no line feed in the whole file"}) {
    dir.Write("in.dem", source);
    EXPECT_EQ(Run(), RunOutcome::DoneWithProblems) << source;
    EXPECT_EQ(dir.Read("out.dem"), "-1\n" + FinalBlock());
  }
  dir.Write("in.dem", "-1\n");
  EXPECT_EQ(Run(), RunOutcome::Done);
}

TEST_F(RefilmRun, TheResultNeverNamesACdTrack) {
  dir.Write("in.dem", test::MakeDemo("2\n", {{svc_nop, svc_disconnect}}));
  context->options.removePrint = false;
  Run();
  EXPECT_EQ(dir.Read("out.dem").substr(0, 3), "-1\n");
}

TEST_F(RefilmRun, ChainedDemoIsPlayedAtTheEnd) {
  dir.Write("in.dem", "-1\n");
  context->options.chainDemo = true;
  context->options.chainName = "next.dem";
  Run();
  Bytes final = {svc_stufftext};
  AppendString(final, "playdemo next.dem\n");
  final.push_back(svc_disconnect);
  EXPECT_EQ(dir.Read("out.dem"), "-1\n" + FinalBlock(final));
}

TEST_F(RefilmRun, ReportsSuccessAndPlaysWhenInteractive) {
  dir.Write("in.dem", test::MakeDemo("-1\n", {{svc_disconnect}}));
  context->options.playWhenDone = true;
  EXPECT_EQ(Run(), RunOutcome::Done);
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_EQ(platform.messages[0].caption, "Done");
  EXPECT_EQ(platform.messages[0].text, dir.Path("in.dem") + " refilmed to " + dir.Path("out.dem") + " succesfully.");
  EXPECT_EQ(platform.messages[0].kind, MessageKind::Report);
  EXPECT_EQ(platform.commands, (std::vector<std::string>{"play " + dir.Path("out.dem")}));
}

TEST_F(RefilmRun, AutomaticRunIsSilentAndNeverPlays) {
  dir.Write("in.dem", test::MakeDemo("-1\n", {{svc_disconnect}}));
  context->options.playWhenDone = true;
  context->options.autoRun = true;
  EXPECT_EQ(Run(), RunOutcome::Done);
  EXPECT_TRUE(platform.messages.empty());
  EXPECT_TRUE(platform.commands.empty());
}

TEST_F(RefilmRun, ProblemsAreReportedEvenInAnAutomaticRunThenForgotten) {
  dir.Write("in.dem", test::MakeDemo("-1\n", {{svc_nop}}));
  context->options.autoRun = true;
  EXPECT_EQ(Run(), RunOutcome::DoneWithProblems);
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_EQ(platform.messages[0].caption, "Done");
  EXPECT_EQ(platform.messages[0].text, "There were problems refilming " + dir.Path("in.dem") + " to " +
                                           dir.Path("out.dem") + ". However, the movie may be playable.");
  // The same program refilms a clean demo next: success again.
  dir.Write("in.dem", test::MakeDemo("-1\n", {{svc_disconnect}}));
  EXPECT_EQ(Run(), RunOutcome::Done);
}

TEST_F(RefilmRun, DamagedFileKeepsWhatWasReadAndEndsWithTheFinalBlock) {
  std::string demo = test::MakeDemo("-1\n", {{svc_disconnect}});
  demo += std::string("\xFF\xFF\xFF\x7F", 4) + std::string(40, '\x01');  // a length no block has
  dir.Write("in.dem", demo);
  EXPECT_EQ(Run(), RunOutcome::DoneWithProblems);
  const std::string result = dir.Read("out.dem");
  ASSERT_EQ(result.size(), 3 + 17 + 17u);
  EXPECT_EQ(result[3 + 16], svc_disconnect);
  EXPECT_EQ(result[3 + 17 + 16], svc_disconnect);
}

TEST_F(RefilmRun, FileCutInsideABlockIsAProblemButItsBytesAreKept) {
  std::string demo = test::MakeDemo("-1\n", {{svc_disconnect}});
  demo += test::MakeDemo("", {Bytes(100, svc_disconnect)}).substr(0, 16 + 2);  // 2 of 100 bytes
  dir.Write("in.dem", demo);
  EXPECT_EQ(Run(), RunOutcome::DoneWithProblems);
  const std::string result = dir.Read("out.dem");
  ASSERT_EQ(result.size(), 3 + 17 + 18 + 17u);
  EXPECT_EQ(result.substr(3 + 17, 4), std::string("\x02\x00\x00\x00", 4));
}

TEST_F(RefilmRun, ABlockLeftWithoutMessagesIsNotWritten) {
  Bytes print = {svc_print};
  AppendString(print, "gone\n");
  dir.Write("in.dem", test::MakeDemo("-1\n", {print}));
  context->options.removePrint = true;
  Run();
  EXPECT_EQ(dir.Read("out.dem").size(), 3 + 17u);  // the final block alone
}

TEST_F(RefilmRun, FrameRateThinning) {
  // 8 frames per second (1/8 s is exact), blocks 1/32 s apart, one time
  // repeated in two blocks; the first two blocks come before any time.
  std::vector<Bytes> blocks = {{svc_disconnect}, {svc_disconnect}};
  for (int i = 1; i <= 20; ++i) {
    blocks.push_back(TimeMessage(static_cast<float>(i) / 32));
    if (i == 2) blocks.push_back(TimeMessage(static_cast<float>(i) / 32));
  }
  dir.Write("in.dem", test::MakeDemo("-1\n", blocks));
  context->options.setFps = true;
  context->options.fps = 8;
  Run();
  // Kept: the untimed blocks, the repeated 2/32, then 7, 12 and 17/32 (each
  // more than 4/32 after the last kept, not 4/32 exactly), and the final block.
  const test::ResultDemo result = test::ReadResultDemo(dir.Path("out.dem"));
  EXPECT_EQ(result.times, (std::vector<float>{0, 0, 2 / 32.f, 7 / 32.f, 12 / 32.f, 17 / 32.f, 17 / 32.f}));
  EXPECT_EQ(result.bytes.size(), 3 + 2 * 17 + 4 * 21 + 17u);
}

TEST_F(RefilmRun, FadeOutStopsFiveSecondsAfterTheIntermission) {
  dir.Write("in.dem", IntermissionAtTen());
  context->options.fadeOut = true;
  Run();
  const std::string result = dir.Read("out.dem");
  // Blocks of times 1..15 are refilmed, not 16..20.
  EXPECT_NE(result.find("v_cshift 0 0 0 255\n"), std::string::npos);
  EXPECT_NE(result.find(TimeText(15)), std::string::npos);
  EXPECT_EQ(result.find(TimeText(16)), std::string::npos);
}

TEST_F(RefilmRun, WithoutFadeOutTheWholeSourceIsRefilmed) {
  dir.Write("in.dem", IntermissionAtTen());
  Run();
  EXPECT_NE(dir.Read("out.dem").find(TimeText(20)), std::string::npos);
}

TEST_F(RefilmRun, BlocksGrownPastThePlayableSizeAreSplit) {
  // A source block of `size` bytes: signon stage 2, which the camera's
  // messages take past 8000, and a print.
  auto refilmBlockOf = [&](std::size_t size) {
    Bytes block = {25, 2, svc_print};
    AppendString(block, std::string(size - 4, 'x'));
    dir.Write("in.dem", test::MakeDemo("-1\n", {block}));
    Run();
    return dir.Read("out.dem");
  };
  context->options.removePrint = false;
  // 8000 bytes, as much as the original client reads: baseline and two
  // console texts (16 + 20 + 19 bytes) and the signon in one block, the print
  // in the next, then the final block.
  const std::string playable = refilmBlockOf(8000);
  ASSERT_EQ(playable.size(), 3 + 16 + 57 + 16 + 7998 + 17u);
  EXPECT_EQ(playable.substr(3, 4), std::string("\x39\x00\x00\x00", 4));
  // One byte more, a block that client could not play anyway: kept whole.
  EXPECT_EQ(refilmBlockOf(8001).size(), 3 + 16 + 8056 + 17u);
}

TEST_F(RefilmRun, ASecondRunInTheSameContextGivesTheSameResult) {
  // What a run leaves behind (the exit time, the last tint, the last times
  // kept and shown, the roll) must not reach the next run.
  dir.Write("in.dem", IntermissionAtTen());
  dir.Write("in.cam", "0 stay 1 2 3\n0 view 4 5 6\n2 fade 0 0 255 80\n4 end fade\n3 lean 9\n");
  RefilmOptions& options = context->options;
  options.fadeOut = options.centerprintTime = options.setFps = true;
  options.fps = 10;
  Run();
  const std::string first = dir.Read("out.dem");
  Run();
  EXPECT_EQ(dir.Read("out.dem"), first);
}

TEST_F(RefilmRun, ARunOfAnotherDemoFindsNothingOfTheRunBefore) {
  // The first demo announces a 1.07 server (whose client data always carry
  // the items), and its script turns the horizon.
  Bytes version = {svc_print};
  AppendString(version, "VERSION 1.07 SERVER\n");
  const std::string first = test::MakeDemo("-1\n", {version, TimeMessage(1), TimeMessage(3)});
  dir.Write("in.cam", "0 stay 1 2 3\n0 view 4 5 6\n1 roll 40\n2 end roll\n");
  // The next: client data without items; and no block at all, so that the
  // final block carries the angles the camera starts with.
  const Bytes clientData = {svc_clientdata, 0, 0, /*health*/ 100, 0, /*ammunition, weapon*/ 0, 0, 0, 0, 0, 1};
  const std::string clientDemo = test::MakeDemo("-1\n", {TimeMessage(1), clientData, TimeMessage(2)});
  auto refilm = [this](Context& run, const std::string& demo, bool generate) {
    dir.Write("in.dem", demo);
    run.options.generateScript = generate;
    run.options.scriptFile = dir.Path(generate ? "gen.cam" : "in.cam");
    EXPECT_EQ(RefilmDemo(run, platform), RunOutcome::Done);
    return dir.Read("out.dem");
  };
  for (const std::string& next : {clientDemo, std::string("-1\n")}) {
    for (const bool generate : {false, true}) {
      SCOPED_TRACE(testing::Message() << next.size() << (generate ? " generated" : ""));
      auto fresh = test::QuietContext();
      fresh->options = context->options;
      const std::string expected = refilm(*fresh, next, generate);
      refilm(*context, first, false);
      EXPECT_EQ(refilm(*context, next, generate), expected);
    }
  }
}

TEST_F(RefilmRun, NoResultBlockGrowsPastWhatEnginesPlay) {
  // A block near the largest a file may hold, of client data and times: the
  // camera's update after each client data makes it far bigger.
  Bytes block;
  while (block.size() + 8 + 5 <= 65525) {
    Append(block, {svc_clientdata, 0, 0});      // no optional field
    Append(block, {100, 0, 0, 0, 0, 0, 0, 1});  // health, ammunition, weapon
    const Bytes time = TimeMessage(1);
    block.insert(block.end(), time.begin(), time.end());
  }
  dir.Write("in.dem", test::MakeDemo("-1\n", {block}));
  EXPECT_EQ(Run(), RunOutcome::Done);
  const std::string result = dir.Read("out.dem");
  std::size_t at = 3;
  int blocks = 0;
  while (at + 16 <= result.size()) {
    const auto length = static_cast<std::size_t>(static_cast<std::uint8_t>(result[at]) |
                                                 static_cast<std::uint8_t>(result[at + 1]) << 8 |
                                                 static_cast<std::uint8_t>(result[at + 2]) << 16);
    EXPECT_LE(length, 64000u);
    at += 16 + length;
    ++blocks;
  }
  EXPECT_EQ(at, result.size());
  EXPECT_GE(blocks, 3);  // two or more pieces, and the final block
}

TEST_F(RefilmRun, BytesAfterTheEndMarkerAreAProblem) {
  const std::string marker("ABCDEFG\0", 8);
  const Bytes markerBlock(marker.begin(), marker.end());
  dir.Write("in.dem", test::MakeDemo("-1\n", {TimeMessage(1), markerBlock}));
  EXPECT_EQ(Run(), RunOutcome::Done);
  dir.Write("in.dem", test::MakeDemo("-1\n", {TimeMessage(1), markerBlock, TimeMessage(2)}));
  EXPECT_EQ(Run(), RunOutcome::DoneWithProblems);
  Bytes longer = markerBlock;
  longer.push_back(svc_nop);
  dir.Write("in.dem", test::MakeDemo("-1\n", {TimeMessage(1), longer}));
  EXPECT_EQ(Run(), RunOutcome::DoneWithProblems);
}

}  // namespace
}  // namespace cw
