// The command-line program: what it prints where, and its exit status.

#include "run/console_front.h"

#include <gtest/gtest.h>

#include <sstream>

#include "base/protocol.h"
#include "child_process.h"
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
