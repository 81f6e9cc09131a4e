// The video's encoder, through a stand-in for ffmpeg that keeps what it is
// fed: the frames reach it whole and in order, the video takes its name
// only when the encoder finishes well, and nothing is left behind.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "film/video_encoder.h"
#include "film/video_render.h"
#include "stream_fixture.h"
#include "system/system_programs.h"

namespace cw {
namespace {

namespace fs = std::filesystem;

// Writes its input to the file named last, then exits with CW_STATUS.
constexpr const char* kStandIn = R"sh(#!/bin/sh
for last; do :; done
cat > "$last"
[ -n "$CW_STATUS" ] && { echo "Conversion failed!" >&2; exit "$CW_STATUS"; }
exit 0
)sh";

Picture Filled(int width, int height, std::uint8_t value) {
  Picture picture;
  picture.width = width;
  picture.height = height;
  picture.rgb.assign(picture.Size(), value);
  return picture;
}

class Encoder : public ::testing::Test {
 protected:
  void SetUp() override {
    dir.Write("ffmpeg", kStandIn);
    fs::permissions(dir.Path("ffmpeg"), fs::perms::owner_all);
    settings.encoder = dir.Path("ffmpeg");
    settings.output = dir.Path("film.mp4");
    settings.width = 4;
    settings.height = 2;
  }
  void TearDown() override { unsetenv("CW_STATUS"); }
  // Only the video, when there is one: every temporary file has gone.
  void ExpectOnlyTheVideo(bool video) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir.Root())) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    const std::vector<std::string> expected =
        video ? std::vector<std::string>{"ffmpeg", "film.mp4"} : std::vector<std::string>{"ffmpeg"};
    EXPECT_EQ(names, expected);
  }

  test::ScratchDir dir;
  VideoSettings settings;
  SystemPrograms programs;
};

TEST_F(Encoder, FramesGoInWholeAndInOrder) {
  VideoEncoder encoder;
  std::string error;
  const std::vector<std::int16_t> sound(96, 0);
  ASSERT_TRUE(encoder.Start(settings, sound, 48000, programs, error)) << error;
  ASSERT_TRUE(encoder.Frame(Filled(4, 2, 'a'), error)) << error;
  ASSERT_TRUE(encoder.Frame(Filled(4, 2, 'b'), error)) << error;
  ASSERT_TRUE(encoder.Finish(error)) << error;
  EXPECT_EQ(dir.Read("film.mp4"), std::string(24, 'a') + std::string(24, 'b'));
  ExpectOnlyTheVideo(true);
}

TEST_F(Encoder, AFailureLeavesTheOldVideoAndNothingElse) {
  dir.Write("film.mp4", "an older video");
  setenv("CW_STATUS", "1", 1);
  VideoEncoder encoder;
  std::string error;
  ASSERT_TRUE(encoder.Start(settings, {}, 48000, programs, error)) << error;
  ASSERT_TRUE(encoder.Frame(Filled(4, 2, 'a'), error)) << error;
  EXPECT_FALSE(encoder.Finish(error));
  EXPECT_EQ(error, "The encoder " + dir.Path("ffmpeg") + " failed (exit status 1): Conversion failed!");
  EXPECT_EQ(dir.Read("film.mp4"), "an older video");
  fs::remove(dir.Path("film.mp4"));
  ExpectOnlyTheVideo(false);
}

TEST_F(Encoder, APictureOfAnotherSizeEndsTheVideo) {
  {
    VideoEncoder encoder;
    std::string error;
    ASSERT_TRUE(encoder.Start(settings, {}, 48000, programs, error)) << error;
    EXPECT_FALSE(encoder.Frame(Filled(8, 2, 'a'), error));
    EXPECT_EQ(error, "The engine drew 8x2 pictures, not the 4x2 asked for.");
  }
  {
    VideoEncoder unfinished;  // given up before its end: nothing stays
    std::string error;
    ASSERT_TRUE(unfinished.Start(settings, {}, 48000, programs, error)) << error;
    ASSERT_TRUE(unfinished.Frame(Filled(4, 2, 'a'), error)) << error;
  }
  ExpectOnlyTheVideo(false);
}

TEST(EncoderArguments, RawFramesAtTheFilmsRateAndTheSoundBesideThem) {
  VideoSettings settings;
  settings.encoder = "ffmpeg";
  settings.width = 640;
  settings.height = 360;
  settings.fps = 25;
  const std::vector<std::string> words = EncoderArguments(settings, "s.wav", "t.mp4");
  const auto after = [&words](const std::string& word) {
    const auto found = std::find(words.begin(), words.end(), word);
    return found == words.end() || found + 1 == words.end() ? std::string() : *(found + 1);
  };
  EXPECT_EQ(words.front(), "ffmpeg");
  EXPECT_EQ(words.back(), "t.mp4");
  EXPECT_EQ(after("-video_size"), "640x360");
  EXPECT_EQ(after("-framerate"), "25");
  EXPECT_EQ(after("-pix_fmt"), "rgb24");
  EXPECT_EQ(after("-c:v"), "libx264");
  EXPECT_EQ(after("-c:a"), "aac");
  EXPECT_EQ(after("-f"), "rawvideo");
  EXPECT_NE(std::find(words.begin(), words.end(), "s.wav"), words.end());
  EXPECT_EQ(FrameCount(10, 14, 30), 120u);
  EXPECT_EQ(FrameCount(10, 10.01, 30), 1u);
  EXPECT_EQ(FrameCount(0, 1.0 / 60, 30), 1u);
}

}  // namespace
}  // namespace cw
