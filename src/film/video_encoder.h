#pragma once
// The encoder of a film's video: ffmpeg, fed the pictures one by one as raw
// RGB through its input and the sound from a WAV file, writing H.264 and AAC
// in MP4 under a temporary name beside the video, which takes the video's
// name only once the encoder has finished well. A video left unfinished
// leaves nothing behind.

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "film/picture.h"
#include "film/programs.h"

namespace cw {

struct VideoSettings {
  std::string encoder;  // the ffmpeg program
  std::string output;   // the video's name
  int width = 1280;
  int height = 720;
  int fps = 30;
};

// ffmpeg's words for a video of raw frames on its input and the sound of `soundFile`.
std::vector<std::string> EncoderArguments(const VideoSettings& settings, const std::string& soundFile,
                                          const std::string& temporary);

class VideoEncoder {
 public:
  VideoEncoder() = default;
  ~VideoEncoder();
  VideoEncoder(const VideoEncoder&) = delete;
  VideoEncoder& operator=(const VideoEncoder&) = delete;

  // Writes the sound (interleaved stereo at `rate`) and starts the encoder.
  bool Start(const VideoSettings& settings, std::span<const std::int16_t> sound, int rate, Programs& programs,
             std::string& error);
  // One frame of the video, of the settings' size.
  bool Frame(const Picture& picture, std::string& error);
  // Ends the input, waits for the encoder, and puts the video in place.
  bool Finish(std::string& error);

 private:
  std::string Failure(const std::string& what);
  void Abandon();

  VideoSettings settings_;
  std::unique_ptr<RunningProgram> encoder_;
  std::string temporary_;
  std::string soundFile_;
  std::string log_;
};

}  // namespace cw
