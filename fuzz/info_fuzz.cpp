// camwright-cli info of an arbitrary demo file, in every form it writes:
// each JSON object parses by a reader that refuses repeated keys and
// non-numbers, and the text reaches the terminal without a control byte
// other than the line feed.

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "inspect/demo_info.h"
#include "inspect/info_report.h"
#include "strict_json.h"

namespace {

namespace fs = std::filesystem;

const fs::path& DemoFile() {
  static const fs::path path = fs::temp_directory_path() / ("camwright-info-fuzz-" + std::to_string(getpid()));
  return path;
}

void RemoveDemoFile() {
  std::error_code ignored;
  fs::remove(DemoFile(), ignored);
}

void ExpectJson(void (*write)(const cw::DemoInfo&, std::ostream&), const cw::DemoInfo& info) {
  std::ostringstream out;
  write(info, out);
  const std::string fault = cw::test::StrictJsonFault(out.str());
  if (!fault.empty()) {
    std::fprintf(stderr, "%s\n%s\n", fault.c_str(), out.str().c_str());
    std::abort();
  }
}

void ExpectPrintable(void (*write)(const cw::DemoInfo&, std::ostream&), const cw::DemoInfo& info) {
  std::ostringstream out;
  write(info, out);
  for (const char c : out.str()) {
    const auto byte = static_cast<unsigned char>(c);
    if ((byte < 0x20 && c != '\n') || byte == 0x7f) std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  std::atexit(RemoveDemoFile);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  {
    std::ofstream out(DemoFile(), std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  const cw::DemoInfo info = cw::ReadDemoInfo(DemoFile().string());
  ExpectJson(cw::WriteInfoJson, info);
  ExpectJson(cw::WriteEntitiesJson, info);
  ExpectPrintable(cw::WriteInfoText, info);
  ExpectPrintable(cw::WriteEntitiesText, info);
  return 0;
}
