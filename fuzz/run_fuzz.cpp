// A whole refilm of an arbitrary demo file: once with the script generated
// from the demo, once with a busy script, every option on.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

#include "busy_run.h"
#include "fuzz_work_dir.h"
#include "recording_platform.h"
#include "run/context.h"
#include "run/refilm_run.h"

namespace {

using cw::fuzz::WorkDir;

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

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  cw::fuzz::MakeWorkDir();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  cw::fuzz::WriteInput("source.dem", data, size);
  Refilm(true);
  Refilm(false);
  return 0;
}
