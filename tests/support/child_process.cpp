#include "child_process.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "stream_fixture.h"

namespace cw::test {
namespace {

std::string Quoted(const std::string& word) {
  std::string quoted = "'";
  for (char c : word) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

}  // namespace

ChildProcess::ChildProcess(const std::vector<std::string>& arguments, const std::string& folder,
                           const std::string& shellPrefix) {
  static int serial = 0;
  const std::string base = (std::filesystem::temp_directory_path() / "camwright-child-").string() +
                           std::to_string(getpid()) + "-" + std::to_string(serial++);
  outPath = base + ".out";
  errPath = base + ".err";
  std::string command = shellPrefix + " exec";
  for (const std::string& word : arguments) command += " " + Quoted(word);
  pid = fork();
  if (pid == 0) {
    if (!folder.empty() && chdir(folder.c_str()) != 0) _exit(127);
    if (!freopen(outPath.c_str(), "w", stdout) || !freopen(errPath.c_str(), "w", stderr)) _exit(127);
    execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
}

ChildProcess::~ChildProcess() {
  if (pid > 0) {
    kill(pid, SIGKILL);
    Wait();
  }
}

void ChildProcess::Signal(int signal) {
  if (pid > 0) kill(pid, signal);
}

ProgramOutcome ChildProcess::Wait() {
  ProgramOutcome outcome;
  if (pid <= 0) return outcome;
  int status = 0;
  waitpid(pid, &status, 0);
  pid = -1;
  if (WIFEXITED(status)) outcome.exitStatus = WEXITSTATUS(status);
  if (WIFSIGNALED(status)) outcome.signal = WTERMSIG(status);
  outcome.out = ReadText(outPath);
  outcome.err = ReadText(errPath);
  std::remove(outPath.c_str());
  std::remove(errPath.c_str());
  return outcome;
}

ProgramOutcome RunProgram(const std::vector<std::string>& arguments, const std::string& folder,
                          const std::string& shellPrefix) {
  ChildProcess child(arguments, folder, shellPrefix);
  return child.Wait();
}

std::string ResourceLimits(int megabytes, int cpuSeconds) {
#if defined(__SANITIZE_ADDRESS__)
  constexpr bool kSanitized = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
  constexpr bool kSanitized = true;
#else
  constexpr bool kSanitized = false;
#endif
#else
  constexpr bool kSanitized = false;
#endif
  const std::string time = "ulimit -t " + std::to_string(cpuSeconds) + ";";
  if (kSanitized) {
    return time +
           " export ASAN_OPTIONS=\"${ASAN_OPTIONS:+$ASAN_OPTIONS:}hard_rss_limit_mb=" + std::to_string(megabytes) +
           "\";";
  }
  return time + " ulimit -v " + std::to_string(megabytes * 1024) + ";";
}

std::string CliProgram() { return CAMWRIGHT_CLI_PROGRAM; }

}  // namespace cw::test
