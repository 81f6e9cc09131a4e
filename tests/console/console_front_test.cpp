// The command-line program: what it prints where, and its exit status.

#include "console/console_front.h"

#include <gtest/gtest.h>

#include <sstream>

#include "base/protocol.h"
#include "child_process.h"
#include "console/arguments.h"
#include "console/version.h"
#include "stream_fixture.h"

namespace cw {
namespace {

class ConsoleFront : public ::testing::Test {
 protected:
  ConsoleFront() {
    dir.Write("clean.dem", test::MakeDemo("-1\n", {{svc_disconnect}}));
    dir.Write("damaged.dem", test::MakeDemo("-1\n", {{svc_nop}}));
    dir.Write("film.cam", "0 stay 1 2 3\n");
  }

  // The exit status of the real program run in the scratch folder.
  int Status(std::vector<std::string> arguments) const {
    arguments.insert(arguments.begin(), test::CliProgram());
    return test::RunProgram(arguments, dir.Root()).exitStatus;
  }

  test::ScratchDir dir;
};

// 0 done, 1 refused, 2 done from a damaged source.
TEST_F(ConsoleFront, ExitStatusOfTheRealProgram) {
  EXPECT_EQ(Status({"clean.dem", "film.cam", "out.dem"}), 0);
  EXPECT_EQ(Status({"missing.dem", "film.cam", "out.dem"}), 1);
  EXPECT_EQ(Status({"damaged.dem", "film.cam", "out.dem"}), 2);
  EXPECT_EQ(Status({"damaged.dem", "out.dem"}), 2);  // with a generated script
  EXPECT_EQ(Status({}), 1);
  EXPECT_EQ(Status({"--version"}), 0);
#ifdef CAMWRIGHT_GUI_PROGRAM
  // The dialog program answers help even where a window could be shown.
  EXPECT_EQ(test::RunProgram({CAMWRIGHT_GUI_PROGRAM, "--help"}, dir.Root(), "DISPLAY=:99;").exitStatus, 0);
#endif
}

TEST_F(ConsoleFront, ReportsGoToStandardOutputAndErrorsToStandardError) {
  const std::string damaged = dir.Path("damaged.dem"), missing = dir.Path("missing.dem");
  const std::string script = dir.Path("film.cam"), result = dir.Path("out.dem");
  std::ostringstream out, err;
  EXPECT_EQ(RunConsole({damaged, script, result}, out, err), kExitProblems);
  EXPECT_EQ(out.str(), "Done: There were problems refilming " + damaged + " to " + result +
                           ". However, the movie may be playable.\n");
  EXPECT_EQ(err.str(), "");

  out.str("");
  EXPECT_EQ(RunConsole({missing, script, result}, out, err), kExitRefused);
  EXPECT_EQ(out.str(), "");
  EXPECT_EQ(err.str(), "Error: The source file \"" + missing + "\" doesn't exist\n");
}

}  // namespace
}  // namespace cw

namespace cw {
namespace {

TEST(Arguments, OptionsAnywhereBeforeTheirEndAndNamesInOrder) {
  struct Case {
    std::vector<std::string> words;
    Request request;
    std::vector<std::string> names;
  };
  const Case cases[] = {
      {{"a.dem", "b.dem"}, Request::Refilm, {"a.dem", "b.dem"}},
      {{"a.dem", "--help", "b.dem"}, Request::Help, {"a.dem", "b.dem"}},
      {{"-h"}, Request::Help, {}},
      {{"--version"}, Request::Version, {}},
      {{"--", "-x.dem", "--help"}, Request::Refilm, {"-x.dem", "--help"}},
      {{"-", "b.dem"}, Request::Refilm, {"-", "b.dem"}},  // a lone dash is a name
      {{"--help", "--bogus"}, Request::Mistake, {}},      // a mistake wins over help
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.words));
    const Arguments parsed = ParseArguments(c.words);
    EXPECT_EQ(parsed.request, c.request);
    if (c.request != Request::Mistake) {
      EXPECT_EQ(parsed.names, c.names);
    }
  }
  EXPECT_EQ(ParseArguments({"--bogus", "x"}).mistake, "unrecognized option '--bogus'");
  EXPECT_TRUE(AsksForHelpOrVersion({"a", "--version"}));
  EXPECT_FALSE(AsksForHelpOrVersion({"--", "--help"}));
}

TEST(Arguments, ValuesSwitchesAndTheirTwins) {
  constexpr OptionSpec specs[] = {{"fps", 0, true}, {"jobs", 'j', true}, {"bleeding", 0, false, true}, kHelpOption};
  const CommandLine line =
      ParseCommandLine({"a", "--fps", "30", "--fps=25", "-j4", "-j", "2", "--no-bleeding", "-h", "--", "--fps"}, specs);
  EXPECT_EQ(line.mistake, "");
  EXPECT_EQ(line.operands, (std::vector<std::string>{"a", "--fps"}));
  ASSERT_EQ(line.options.size(), 6u);
  EXPECT_EQ(line.options[1].value, "25");
  EXPECT_EQ(line.options[2].value, "4");
  EXPECT_EQ(line.options[3].value, "2");
  EXPECT_TRUE(line.options[4].negated);
  EXPECT_EQ(line.options[5].name, "help");
  struct Case {
    std::vector<std::string> words;
    const char* mistake;
  };
  for (const Case& c :
       {Case{{"--fps"}, "option '--fps' needs a value"}, Case{{"--help=yes"}, "option '--help' doesn't take a value"},
        Case{{"--no-fps", "3"}, "unrecognized option '--no-fps'"},
        Case{{"--no-help"}, "unrecognized option '--no-help'"}, Case{{"-x"}, "unrecognized option '-x'"}}) {
    EXPECT_EQ(ParseCommandLine(c.words, specs).mistake, c.mistake);
  }
}

TEST(Arguments, EachProgramAnswersHelpVersionAndMistakes) {
  for (const Program program : {Program::CommandLine, Program::Dialog}) {
    const std::string name = program == Program::Dialog ? "camwright" : "camwright-cli";
    std::ostringstream out, err;
    EXPECT_EQ(RunConsole({"--help"}, out, err, program), kExitDone);
    EXPECT_EQ(out.str().rfind("Usage: " + name + " ", 0), 0u) << out.str();
    EXPECT_NE(out.str().find("--version"), std::string::npos);
    out.str("");
    EXPECT_EQ(RunConsole({"--version"}, out, err, program), kExitDone);
    EXPECT_EQ(out.str(), std::string(kVersionText) + "\n");
    EXPECT_EQ(err.str(), "");
    EXPECT_EQ(RunConsole({"--frobnicate", "a.dem"}, out, err, program), kExitRefused);
    EXPECT_EQ(err.str().rfind(name + ": unrecognized option '--frobnicate'\nUsage: ", 0), 0u) << err.str();
    err.str("");
    EXPECT_EQ(RunConsole({}, out, err, program), kExitRefused);
    EXPECT_EQ(err.str().rfind("Usage: ", 0), 0u);
  }
}

}  // namespace
}  // namespace cw
