#include "system/system_programs.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <thread>

extern char** environ;

namespace cw {
namespace {

constexpr auto kGrace = std::chrono::seconds(3);
constexpr auto kPollStep = std::chrono::milliseconds(20);

// The environment of the child: ours, with the start's variables set over it.
std::vector<std::string> ChildEnvironment(const ProgramStart& start) {
  std::vector<std::string> entries;
  for (char** entry = environ; entry != nullptr && *entry != nullptr; ++entry) {
    const std::string text = *entry;
    const std::string name = text.substr(0, text.find('='));
    bool replaced = false;
    for (const auto& [setName, value] : start.environment) replaced = replaced || setName == name;
    if (!replaced) entries.push_back(text);
  }
  for (const auto& [name, value] : start.environment) entries.push_back(name + "=" + value);
  return entries;
}

std::vector<char*> Pointers(std::vector<std::string>& texts) {
  std::vector<char*> pointers;
  for (std::string& text : texts) pointers.push_back(text.data());
  pointers.push_back(nullptr);
  return pointers;
}

// Only async-signal-safe calls between fork and exec; a failure is written
// to `report` as the error number.
[[noreturn]] void BecomeChild(char* const* arguments, char* const* environment, const char* folder, int output,
                              int input, int report) {
  setpgid(0, 0);
  sigset_t none;
  sigemptyset(&none);
  sigprocmask(SIG_SETMASK, &none, nullptr);
  signal(SIGPIPE, SIG_DFL);
  int error = 0;
  if (dup2(input, STDIN_FILENO) < 0 || dup2(output, STDOUT_FILENO) < 0 || dup2(output, STDERR_FILENO) < 0) {
    error = errno;
  } else if (folder[0] != '\0' && chdir(folder) != 0) {
    error = errno;
  } else {
    execvpe(arguments[0], arguments, environment);
    error = errno;
  }
  ssize_t written = write(report, &error, sizeof error);
  (void)written;
  _exit(127);
}

class SystemProgram : public RunningProgram {
 public:
  SystemProgram(pid_t child, int inputSocket) : pid(child), input(inputSocket) {}
  ~SystemProgram() override {
    CloseInput();
    Stop();
  }

  bool Write(std::span<const std::uint8_t> bytes, std::chrono::milliseconds timeout) override {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!bytes.empty()) {
      if (input < 0) return false;
      pollfd wait{input, POLLOUT, 0};
      const auto left =
          std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
      if (left.count() <= 0) return false;
      const int ready = poll(&wait, 1, static_cast<int>(std::min<long long>(left.count(), 200)));
      if (ready < 0 && errno != EINTR) return false;
      if (ready <= 0) {
        if (Ended()) return false;
        continue;
      }
      const ssize_t sent = send(input, bytes.data(), bytes.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
      if (sent < 0) {
        if (errno == EAGAIN || errno == EINTR) continue;
        return false;
      }
      bytes = bytes.subspan(static_cast<std::size_t>(sent));
    }
    return true;
  }

  void CloseInput() override {
    if (input >= 0) close(input);
    input = -1;
  }

  std::optional<int> Ended() override {
    if (status) return status;
    int raw = 0;
    const pid_t done = waitpid(pid, &raw, WNOHANG);
    if (done == pid) {
      status = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
      // What the program started may outlive it (a display server whose
      // wrapper was killed): the group goes too.
      kill(-pid, SIGKILL);
    } else if (done < 0 && errno == ECHILD) {
      status = 127;
    }
    return status;
  }

  void Stop() override {
    if (Ended()) return;
    kill(-pid, SIGTERM);
    const auto deadline = std::chrono::steady_clock::now() + kGrace;
    while (!Ended() && std::chrono::steady_clock::now() < deadline) std::this_thread::sleep_for(kPollStep);
    if (!Ended()) {
      kill(-pid, SIGKILL);
      int raw = 0;
      waitpid(pid, &raw, 0);
      status = 128 + SIGKILL;
    }
  }

 private:
  pid_t pid;
  int input;
  std::optional<int> status;
};

}  // namespace

std::unique_ptr<RunningProgram> SystemPrograms::Start(const ProgramStart& start, std::string& error) {
  if (start.arguments.empty()) {
    error = "no program named";
    return nullptr;
  }
  std::vector<std::string> arguments = start.arguments;
  std::vector<std::string> environment = ChildEnvironment(start);
  const std::vector<char*> argumentPointers = Pointers(arguments);
  const std::vector<char*> environmentPointers = Pointers(environment);
  const std::string outputName = start.outputFile.empty() ? "/dev/null" : start.outputFile;
  const int output = open(outputName.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (output < 0) {
    error = "cannot write " + outputName + ": " + std::strerror(errno);
    return nullptr;
  }
  int inputPair[2] = {-1, -1};
  int input = -1;
  if (start.feedInput) {
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, inputPair) != 0) {
      error = std::string("cannot make a pipe: ") + std::strerror(errno);
      close(output);
      return nullptr;
    }
    // The child only reads; we only write.
    shutdown(inputPair[0], SHUT_WR);
    input = inputPair[0];
  } else {
    input = open("/dev/null", O_RDONLY | O_CLOEXEC);
  }
  int report[2];
  if (pipe2(report, O_CLOEXEC) != 0) {
    error = std::string("cannot make a pipe: ") + std::strerror(errno);
    close(output);
    close(input);
    if (inputPair[1] >= 0) close(inputPair[1]);
    return nullptr;
  }
  const pid_t child = fork();
  if (child == 0) {
    BecomeChild(argumentPointers.data(), environmentPointers.data(), start.folder.c_str(), output, input, report[1]);
  }
  close(report[1]);
  close(output);
  close(input);
  if (child < 0) {
    error = std::string("cannot start a program: ") + std::strerror(errno);
    close(report[0]);
    if (inputPair[1] >= 0) close(inputPair[1]);
    return nullptr;
  }
  setpgid(child, child);  // also here, so that a stop right after the start reaches the group
  // The report pipe closes on a successful exec and carries the error number otherwise.
  int childError = 0;
  ssize_t got = 0;
  do {
    got = read(report[0], &childError, sizeof childError);
  } while (got < 0 && errno == EINTR);
  close(report[0]);
  if (got == static_cast<ssize_t>(sizeof childError)) {
    int raw = 0;
    waitpid(child, &raw, 0);
    if (inputPair[1] >= 0) close(inputPair[1]);
    error = "cannot start " + start.arguments.front() + ": " + std::strerror(childError);
    return nullptr;
  }
  if (inputPair[1] >= 0) {
    // Our end is the socket's other side.
    shutdown(inputPair[1], SHUT_RD);
  }
  return std::make_unique<SystemProgram>(child, inputPair[1]);
}

}  // namespace cw
