// The demos of other people: every message read and written again exactly.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "base/protocol.h"
#include "recording_platform.h"
#include "refilm/message_loop.h"
#include "run/refilm_run.h"
#include "shared_demos.h"
#include "stream/block.h"
#include "stream_fixture.h"

namespace cw {
namespace {

using test::Bytes;

// What the stream step adds even with every edit off: the camera's baseline
// and console texts before signon stage 2, the player's view after the
// intermission.
Bytes CameraSignon() {
  auto context = test::QuietContext();
  Bytes out = test::RunMessages(*context, {svc_signonnum, 2});
  out.resize(out.size() - 2);
  return out;
}

// Removes the first occurrence of `piece` that stands between `before` and `after`.
void RemoveBetween(Bytes& bytes, const Bytes& before, const Bytes& piece, const Bytes& after) {
  Bytes whole = before;
  whole.insert(whole.end(), piece.begin(), piece.end());
  whole.insert(whole.end(), after.begin(), after.end());
  const auto at = std::search(bytes.begin(), bytes.end(), whole.begin(), whole.end());
  if (at == bytes.end()) return;
  const auto from = at + static_cast<std::ptrdiff_t>(before.size());
  bytes.erase(from, from + static_cast<std::ptrdiff_t>(piece.size()));
}

TEST(RealDemos, EveryBlockIsWrittenAgainByteForByte) {
  CW_REQUIRE_SHARED_DEMOS();
  const Bytes signon = CameraSignon();
  for (const std::string& path : test::Protocol15Demos()) {
    SCOPED_TRACE(path);
    auto context = test::QuietContext();
    std::ifstream source(path, std::ios::binary);
    SkipFirstLine(source);
    CBlock input;
    CBlock output;
    Vec3 angles{};
    int blocks = 0;
    int differing = 0;
    for (ReadStatus status = input.ReadFrom(source, angles); !input.IsEndMarker();
         status = input.ReadFrom(source, angles)) {
      ASSERT_EQ(status, ReadStatus::Block);
      const Bytes in(input.Data(), input.Data() + input.Length());
      ProcessBlock(*context, input, output);
      ASSERT_EQ(input.Position(), input.Length());
      Bytes out = test::BlockBytes(output);
      if (out != in) {
        ++differing;
        RemoveBetween(out, {}, signon, {svc_signonnum, 2});
        RemoveBetween(out, {svc_intermission}, {svc_setview, 1, 0}, {});
        if (out != in) {
          auto diff = std::mismatch(out.begin(), out.end(), in.begin(), in.end());
          ADD_FAILURE() << "block " << blocks << " sizes " << out.size() << " " << in.size() << " first difference at "
                        << (diff.first - out.begin());
        }
      }
      ++blocks;
    }
    EXPECT_GT(blocks, 100);
    EXPECT_LE(differing, 2);
    EXPECT_FALSE(context->run.streamProblems);
    EXPECT_EQ(context->parser.protocol, kProtocolVersion);
  }
}

TEST(RealDemos, OtherProtocolsAreRefused) {
  CW_REQUIRE_SHARED_DEMOS();
  test::ScratchDir dir;
  for (const std::string& path : test::OtherProtocolDemos()) {
    SCOPED_TRACE(path);
    auto context = std::make_unique<Context>();
    context->options.sourceDemo = path;
    context->options.resultDemo = dir.Path("out.dem");
    context->options.scriptFile = dir.Path("temp.cam");
    test::RecordingPlatform platform;
    EXPECT_EQ(RefilmDemo(*context, platform), RunOutcome::Refused);
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(platform.messages[0].caption, "Error");
    EXPECT_NE(platform.messages[0].text.find("uses network protocol"), std::string::npos);
    EXPECT_FALSE(dir.Exists("out.dem"));
    EXPECT_FALSE(dir.Exists("temp.cam"));
  }
}

}  // namespace
}  // namespace cw
