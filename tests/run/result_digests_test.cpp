// Results that must not move by a single byte: digests of refilms of the
// example demo and of the real demos, with scripts that use every command
// word and with every option on. A change of the core that moves one of them
// changes what users' results look like.
//
// CAMWRIGHT_PRINT_DIGESTS=1 prints the table of the digests the build makes.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>

#include "busy_run.h"
#include "recording_platform.h"
#include "run/context.h"
#include "run/refilm_run.h"
#include "shared_demos.h"
#include "stream_fixture.h"

namespace cw {
namespace {

std::string Digest(const std::string& bytes) {
  std::uint64_t hash = 14695981039346656037ull;  // FNV-1a, 64 bits
  for (const char c : bytes) {
    hash ^= static_cast<std::uint8_t>(c);
    hash *= 1099511628211ull;
  }
  char text[17];
  std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash));
  return text;
}

std::string SourceFile(const std::string& name) { return std::string(CAMWRIGHT_SOURCE_DIR) + "/" + name; }

// Refilms `source` in `dir` and returns the digest of the result, followed by
// that of the generated script when one was generated.
std::string Refilm(const test::ScratchDir& dir, const std::string& source, const std::string& script,
                   bool everyOption) {
  test::InFolder inside(dir.Root());
  auto context = std::make_unique<Context>();
  RefilmOptions& options = context->options;
  if (everyOption) test::TurnEveryOptionOn(options);
  options.sourceDemo = source;
  options.resultDemo = "result.dem";
  options.scriptFile = script.empty() ? "temp.cam" : script;
  options.generateScript = script.empty();
  options.autoRun = true;
  test::RecordingPlatform platform;
  if (RefilmDemo(*context, platform) == RunOutcome::Refused) return "refused";
  std::string digest = Digest(dir.Read("result.dem"));
  if (script.empty()) digest += " " + Digest(dir.Read("temp.cam"));
  std::filesystem::remove(dir.Path("result.dem"));
  return digest;
}

void ExpectDigests(const std::map<std::string, std::string>& expected, const std::map<std::string, std::string>& made) {
  if (std::getenv("CAMWRIGHT_PRINT_DIGESTS") != nullptr) {
    for (const auto& [name, digest] : made) std::printf("      {\"%s\", \"%s\"},\n", name.c_str(), digest.c_str());
  }
  for (const auto& [name, digest] : made) {
    const auto known = expected.find(name);
    ASSERT_NE(known, expected.end()) << name;
    EXPECT_EQ(digest, known->second) << name;
  }
}

TEST(ResultDigests, ExampleDemo) {
  test::ScratchDir dir;
  const std::string maker = std::string(CAMWRIGHT_BINARY_DIR) + "/examples/make-example-demo";
  ASSERT_EQ(std::system((maker + " '" + dir.Path("example.dem") + "' >/dev/null").c_str()), 0);
  std::filesystem::copy_file(SourceFile("examples/cwbox.log"), dir.Path("cwbox.log"));
  const std::string demo = dir.Path("example.dem");
  std::map<std::string, std::string> made;
  made["example.cam"] = Refilm(dir, demo, SourceFile("examples/example.cam"), false);
  made["example.cam every option"] = Refilm(dir, demo, SourceFile("examples/example.cam"), true);
  made["busy.cam every option"] = Refilm(dir, demo, SourceFile("tests/data/busy.cam"), true);
  made["generated"] = Refilm(dir, demo, "", false);
  ExpectDigests(
      {
          {"busy.cam every option", "bcf42b7cfa6e9d2a"},
          {"example.cam", "25c2a919fe3a50c0"},
          {"example.cam every option", "a8f60cbfc163c5f9"},
          {"generated", "e197d3eab49b04a7 2779dddcd08c7207"},
      },
      made);
}

TEST(ResultDigests, RealDemos) {
  CW_REQUIRE_SHARED_DEMOS();
  test::ScratchDir dir;
  std::map<std::string, std::string> made;
  for (const std::string& path : test::Protocol15Demos()) {
    const std::string name = std::filesystem::path(path).stem().string();
    made[name + " example.cam"] = Refilm(dir, path, SourceFile("examples/example.cam"), false);
    made[name + " busy.cam every option"] = Refilm(dir, path, SourceFile("tests/data/busy.cam"), true);
  }
  const std::string e1m3 = test::SharedDemoDir() + "/qfm_e1m3.dem";
  made["qfm_e1m3 chase"] = Refilm(dir, e1m3, "", false);
  std::filesystem::copy_file(SourceFile("tests/data/e1m3.log"), dir.Path("e1m3.log"));
  made["qfm_e1m3 zones"] = Refilm(dir, e1m3, "", false);
  ExpectDigests(
      {
          {"halorev_ctf8_dm5 busy.cam every option", "b030a715dbf976d7"},
          {"halorev_ctf8_dm5 example.cam", "2b3c6d4cacfd3bcd"},
          {"halorev_title busy.cam every option", "ddf4bcf237922fb3"},
          {"halorev_title example.cam", "c3256523caa5b7c8"},
          {"id101_demo1_e4m2 busy.cam every option", "7a0b806479b5d8e2"},
          {"id101_demo1_e4m2 example.cam", "edd330e25ced1dea"},
          {"id101_demo2_e3m2 busy.cam every option", "21dd44be78b13137"},
          {"id101_demo2_e3m2 example.cam", "e596c4265b0a121d"},
          {"id101_demo3_e2m3 busy.cam every option", "fe5bb1eb55088647"},
          {"id101_demo3_e2m3 example.cam", "0f270b751121cc71"},
          {"lq_dm3 busy.cam every option", "ba2419503606b9f9"},
          {"lq_dm3 example.cam", "b0c1d2b1aef25df2"},
          {"lq_e0m1 busy.cam every option", "67001035b06ac68e"},
          {"lq_e0m1 example.cam", "6c6338b26df35f14"},
          {"lq_e0m2 busy.cam every option", "35f77c01c6b3ac3c"},
          {"lq_e0m2 example.cam", "04544b471a6fe338"},
          {"lq_e0m3 busy.cam every option", "229ffc68eeaca924"},
          {"lq_e0m3 example.cam", "ad509a9e6f083907"},
          {"lq_e1m3_2024 busy.cam every option", "70f64b5f24616e49"},
          {"lq_e1m3_2024 example.cam", "f6fe6910f6d7511f"},
          {"lq_e1m4_bigblocks busy.cam every option", "669a3a27d0a5f79f"},
          {"lq_e1m4_bigblocks example.cam", "71d68f74b2757508"},
          {"lq_e2m5_bigblocks busy.cam every option", "cceb2626e2dae2cd"},
          {"lq_e2m5_bigblocks example.cam", "2b0eb42bfe1c70d1"},
          {"qfm_e1m3 busy.cam every option", "cfbefdc3b32aeb51"},
          {"qfm_e1m3 chase", "38f8850941e263b9 ed65639ba0e80acf"},
          {"qfm_e1m3 example.cam", "62e5685ab9b93fd2"},
          {"qfm_e1m3 zones", "06837b22fe13423c 221e4ccc5725968b"},
          {"qfm_e1m4 busy.cam every option", "84280356067c3ec9"},
          {"qfm_e1m4 example.cam", "5380f63f413c4984"},
          {"qfm_e1m6 busy.cam every option", "9e5730c92c944eed"},
          {"qfm_e1m6 example.cam", "e2380b0cd588d0ee"},
          {"vektar_bg busy.cam every option", "8c8861afbd1b0ee4"},
          {"vektar_bg example.cam", "266adbdf8f47b7e8"},
      },
      made);
}

}  // namespace
}  // namespace cw
