// Programs started through POSIX: their output, input, environment and
// folder, their exit status, and a stop that takes their children along.

#include "system/system_programs.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "stream_fixture.h"

namespace cw {
namespace {

using namespace std::chrono_literals;

int WaitFor(RunningProgram& program) {
  for (int i = 0; i < 500; ++i) {
    if (const std::optional<int> status = program.Ended()) return *status;
    std::this_thread::sleep_for(10ms);
  }
  return -1;
}

TEST(SystemPrograms, RunsInItsFolderWithItsEnvironmentAndOutput) {
  test::ScratchDir dir;
  SystemPrograms programs;
  std::string error;
  ProgramStart start;
  start.arguments = {"sh", "-c", "echo \"$CW_WORD\" in \"$(pwd)\"; echo oops >&2; exit 3"};
  start.environment = {{"CW_WORD", "hello there"}};
  start.folder = dir.Root();
  start.outputFile = dir.Path("log");
  auto program = programs.Start(start, error);
  ASSERT_NE(program, nullptr) << error;
  EXPECT_EQ(WaitFor(*program), 3);
  EXPECT_EQ(dir.Read("log"), "hello there in " + dir.Root() + "\noops\n");
}

TEST(SystemPrograms, AProgramThatCannotStartIsAnError) {
  SystemPrograms programs;
  std::string error;
  ProgramStart start;
  start.arguments = {"/nonexistent/camwright-no-such-program"};
  EXPECT_EQ(programs.Start(start, error), nullptr);
  EXPECT_NE(error.find("cannot start /nonexistent/camwright-no-such-program"), std::string::npos);
  start.arguments.clear();
  EXPECT_EQ(programs.Start(start, error), nullptr);
}

TEST(SystemPrograms, FeedsItsInputAndSurvivesItsEnd) {
  test::ScratchDir dir;
  SystemPrograms programs;
  std::string error;
  ProgramStart start;
  start.arguments = {"cat"};
  start.outputFile = dir.Path("copy");
  start.feedInput = true;
  auto program = programs.Start(start, error);
  ASSERT_NE(program, nullptr) << error;
  const std::vector<std::uint8_t> bytes(300000, 'x');  // more than a socket buffer holds
  EXPECT_TRUE(program->Write(bytes, 5s));
  program->CloseInput();
  EXPECT_EQ(WaitFor(*program), 0);
  EXPECT_EQ(dir.Read("copy").size(), bytes.size());

  // A program that stops reading: writing fails instead of killing us.
  start.arguments = {"true"};
  auto quitter = programs.Start(start, error);
  ASSERT_NE(quitter, nullptr) << error;
  EXPECT_EQ(WaitFor(*quitter), 0);
  EXPECT_FALSE(quitter->Write(bytes, 2s));
}

TEST(SystemPrograms, StopEndsTheProgramAndWhatItStarted) {
  test::ScratchDir dir;
  SystemPrograms programs;
  std::string error;
  ProgramStart start;
  // The child ignores the polite request; the forced stop still ends it.
  start.arguments = {"sh", "-c", "(trap '' TERM; sleep 30) & echo $! > child; wait"};
  start.folder = dir.Root();
  auto program = programs.Start(start, error);
  ASSERT_NE(program, nullptr) << error;
  for (int i = 0; i < 200 && dir.Read("child").empty(); ++i) std::this_thread::sleep_for(10ms);
  const auto before = std::chrono::steady_clock::now();
  program->Stop();
  EXPECT_LT(std::chrono::steady_clock::now() - before, 10s);
  EXPECT_TRUE(program->Ended().has_value());
  const std::string child = dir.Read("child");
  ASSERT_FALSE(child.empty());
  // Gone (or a zombie waiting for whoever adopted it), not merely orphaned.
  std::this_thread::sleep_for(100ms);
  const std::string stat = test::ReadText("/proc/" + child.substr(0, child.find('\n')) + "/stat");
  const std::size_t state = stat.find(") ");
  EXPECT_TRUE(stat.empty() || (state != std::string::npos && stat[state + 2] == 'Z')) << stat;
}

}  // namespace
}  // namespace cw
