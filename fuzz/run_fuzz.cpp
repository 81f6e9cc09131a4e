// A whole refilm of an arbitrary demo file: once with the script generated
// from the demo, once with a busy script, every option on.

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "busy_run.h"
#include "recording_platform.h"
#include "run/context.h"
#include "run/refilm_run.h"

namespace {

namespace fs = std::filesystem;

const fs::path& WorkDir() {
  static const fs::path dir = [] {
    fs::path made = fs::temp_directory_path() / ("camwright-run-fuzz-" + std::to_string(getpid()));
    fs::create_directories(made);
    return made;
  }();
  return dir;
}

void WriteFile(const fs::path& path, const std::uint8_t* data, std::size_t size) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}

void Refilm(bool generate) {
  cw::Context context;
  cw::test::TurnEveryOptionOn(context.options);
  context.options.sourceDemo = (WorkDir() / "source.dem").string();
  context.options.resultDemo = (WorkDir() / "result.dem").string();
  context.options.scriptFile = (WorkDir() / (generate ? "generated.cam" : "busy.cam")).string();
  context.options.generateScript = generate;
  context.options.autoRun = true;
  cw::test::RecordingPlatform platform;
  cw::RefilmDemo(context, platform);
}

void RemoveWorkDir() {
  std::error_code ignored;
  fs::remove_all(WorkDir(), ignored);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  std::atexit(RemoveWorkDir);
  std::ofstream script(WorkDir() / "busy.cam");
  script << cw::test::BusyScript(30.0f, 3);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  WriteFile(WorkDir() / "source.dem", data, size);
  Refilm(true);
  Refilm(false);
  return 0;
}
