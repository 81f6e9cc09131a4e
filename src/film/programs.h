#pragma once
// The other programs a film needs: the engine, the virtual display it draws
// on, the encoder of the video. The core starts and watches them through
// this interface; the front ends hand down the operating system's
// implementation (src/system/), and tests a stand-in.

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

namespace cw {

struct ProgramStart {
  // The program first: a path, or a plain name looked up along PATH.
  std::vector<std::string> arguments;
  // Set for the program on top of this process's own environment.
  std::vector<std::pair<std::string, std::string>> environment;
  // Its working folder; empty: ours.
  std::string folder;
  // Its standard output and error go to this file, made afresh; empty:
  // they are thrown away.
  std::string outputFile;
  // Its standard input is fed by Write(); otherwise it reads nothing.
  bool feedInput = false;
};

class RunningProgram {
 public:
  // A program still running is stopped, with everything it started.
  virtual ~RunningProgram() = default;
  // Hands `bytes` to its standard input. False when it reads no more (it
  // ended, or closed its input), or when `timeout` passes first.
  virtual bool Write(std::span<const std::uint8_t> bytes, std::chrono::milliseconds timeout) = 0;
  // Its standard input ends: an encoder then finishes its file.
  virtual void CloseInput() = 0;
  // Its exit status once it has ended (128 + N when signal N ended it);
  // nothing while it runs.
  virtual std::optional<int> Ended() = 0;
  // Ends it and every program it started: asked first, forced after a
  // short grace. Returns once it has ended.
  virtual void Stop() = 0;
};

class Programs {
 public:
  virtual ~Programs() = default;
  // Starts a program in a process group of its own, so that it and what it
  // starts can be stopped together and an interrupt on the terminal reaches
  // only us. Nothing, with `error` saying why, when it cannot be started.
  virtual std::unique_ptr<RunningProgram> Start(const ProgramStart& start, std::string& error) = 0;
};

}  // namespace cw
