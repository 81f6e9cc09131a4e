// camwright-cli preview of an arbitrary demo over an arbitrary map: the
// input is a demo's length (four bytes), the demo, then the map's BSP file.
// The picture drawn from them parses as XML and its markup holds no number
// that is none ("nan", "inf").

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "busy_run.h"
#include "fuzz_work_dir.h"
#include "inspect/preview.h"
#include "inspect/preview_svg.h"
#include "map/bsp_floors.h"
#include "recording_platform.h"
#include "run/context.h"
#include "run/refilm_run.h"
#include "xml_check.h"

namespace {

using cw::fuzz::WorkDir;

void Expect(bool holds, const std::string& what, const std::string& svg) {
  if (holds) return;
  std::fprintf(stderr, "%s\n%s\n", what.c_str(), svg.substr(0, 2000).c_str());
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  cw::fuzz::MakeWorkDir();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::size_t demoSize = 0;
  for (std::size_t i = 0; i < 4 && i < size; ++i) demoSize |= static_cast<std::size_t>(data[i]) << (8 * i);
  const std::size_t start = std::min<std::size_t>(4, size);
  demoSize = std::min(demoSize, size - start);
  cw::fuzz::WriteInput("source.dem", data + start, demoSize);
  const std::vector<std::uint8_t> bsp(data + start + demoSize, data + size);

  cw::Context context;
  context.options.sourceDemo = (WorkDir() / "source.dem").string();
  context.options.scriptFile = (WorkDir() / "busy.cam").string();
  context.options.resultDemo = (WorkDir() / "picture.svg").string();
  context.options.generateScript = false;
  context.options.autoRun = true;
  cw::test::RecordingPlatform platform;
  cw::PreviewCollector collector;
  const cw::RunOutcome outcome = cw::PreviewDemo(context, platform, collector);
  if (outcome == cw::RunOutcome::Refused || outcome == cw::RunOutcome::Stopped) return 0;
  cw::PreviewPicture& picture = collector.Picture();
  std::string error;
  cw::FloorPlan plan;
  if (cw::ReadBspFloors(bsp, plan, error)) picture.floors = std::move(plan.floors);

  std::ostringstream svg;
  // The moment marked halfway through, as --at would mark it.
  const cw::DemoTimes times = cw::TimesOf(picture);
  const std::optional<float> moment = times.any ? std::optional<float>(times.first / 2 + times.last / 2) : std::nullopt;
  cw::WritePreviewSvg(picture, {}, moment, svg);
  const std::string text = svg.str();
  const std::string fault = cw::test::XmlFault(text);
  Expect(fault.empty(), fault, text);
  // Only the markup carries numbers; the texts between tags are the demo's
  // own words and may well say "nan".
  std::string markup;
  bool inTag = false;
  for (const char c : text) {
    if (c == '<') inTag = true;
    if (inTag) markup += c;
    if (c == '>') inTag = false;
  }
  for (const char* none : {"nan", "inf\""}) Expect(markup.find(none) == std::string::npos, none, text);
  return 0;
}
