#include "film/video_encoder.h"

#include <filesystem>
#include <fstream>
#include <random>
#include <thread>

#include "film/wav_sound.h"

namespace cw {
namespace {

namespace fs = std::filesystem;

constexpr auto kFrameTimeout = std::chrono::seconds(120);
constexpr auto kFinishTimeout = std::chrono::seconds(600);

// A name beside `path` that nothing has: hidden, and marked as the film's.
std::string BesideName(const std::string& path, const std::string& extension) {
  std::random_device source;
  const fs::path target(path);
  for (;;) {
    std::string name = "." + target.filename().string() + ".camwright-";
    for (int i = 0; i < 8; ++i) name += "0123456789abcdef"[source() % 16];
    const fs::path candidate = target.parent_path() / (name + extension);
    std::error_code missing;
    if (!fs::exists(candidate, missing)) return candidate.string();
  }
}

std::string LastLines(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  const std::size_t cut = text.rfind('\n');
  return cut == std::string::npos ? text : text.substr(cut + 1);
}

}  // namespace

std::vector<std::string> EncoderArguments(const VideoSettings& settings, const std::string& soundFile,
                                          const std::string& temporary) {
  const std::string size = std::to_string(settings.width) + "x" + std::to_string(settings.height);
  return {settings.encoder, "-hide_banner", "-nostats", "-loglevel", "error", "-y",
          // The pictures, at exactly the film's rate.
          "-f", "rawvideo", "-pix_fmt", "rgb24", "-video_size", size, "-framerate", std::to_string(settings.fps), "-i",
          "pipe:0",
          // The sound, mixed to the same length.
          "-i", soundFile, "-map", "0:v:0", "-map", "1:a:0", "-c:v", "libx264", "-preset", "fast", "-crf", "18",
          "-pix_fmt", "yuv420p", "-c:a", "aac", "-b:a", "192k", "-movflags", "+faststart", "-f", "mp4", temporary};
}

VideoEncoder::~VideoEncoder() { Abandon(); }

bool VideoEncoder::Start(const VideoSettings& settings, std::span<const std::int16_t> sound, int rate,
                         Programs& programs, std::string& error) {
  settings_ = settings;
  temporary_ = BesideName(settings.output, ".mp4");
  soundFile_ = BesideName(settings.output, ".wav");
  log_ = BesideName(settings.output, ".log");
  {
    std::ofstream out(soundFile_, std::ios::binary);
    WriteWav(out, rate, sound);
    if (!out.flush()) {
      error = "The video's sound cannot be written beside " + settings.output + ".";
      Abandon();
      return false;
    }
  }
  ProgramStart start;
  start.arguments = EncoderArguments(settings, soundFile_, temporary_);
  start.outputFile = log_;
  start.feedInput = true;
  std::string why;
  encoder_ = programs.Start(start, why);
  if (encoder_ == nullptr) {
    error = "The encoder " + settings.encoder + " cannot be started: " + why + ".";
    Abandon();
    return false;
  }
  return true;
}

bool VideoEncoder::Frame(const Picture& picture, std::string& error) {
  if (encoder_ == nullptr) return false;
  if (picture.width != settings_.width || picture.height != settings_.height) {
    error = "The engine drew " + std::to_string(picture.width) + "x" + std::to_string(picture.height) +
            " pictures, not the " + std::to_string(settings_.width) + "x" + std::to_string(settings_.height) +
            " asked for.";
    Abandon();
    return false;
  }
  if (!encoder_->Write(picture.rgb, kFrameTimeout)) {
    error = Failure("stopped taking pictures");
    Abandon();
    return false;
  }
  return true;
}

bool VideoEncoder::Finish(std::string& error) {
  if (encoder_ == nullptr) return false;
  encoder_->CloseInput();
  const auto deadline = std::chrono::steady_clock::now() + kFinishTimeout;
  std::optional<int> status;
  while (!(status = encoder_->Ended()) && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  if (!status || *status != 0) {
    error = Failure(status ? "failed (exit status " + std::to_string(*status) + ")" : "did not finish");
    Abandon();
    return false;
  }
  std::error_code failure;
  fs::rename(temporary_, settings_.output, failure);
  if (failure) {
    error = "The video " + settings_.output + " cannot be put in place: " + failure.message() + ".";
    Abandon();
    return false;
  }
  temporary_.clear();
  Abandon();
  return true;
}

std::string VideoEncoder::Failure(const std::string& what) {
  std::string text = "The encoder " + settings_.encoder + " " + what;
  if (encoder_ != nullptr) encoder_->Stop();
  const std::string last = LastLines(log_);
  return text + (last.empty() ? "." : ": " + last);
}

void VideoEncoder::Abandon() {
  if (encoder_ != nullptr) encoder_->Stop();
  encoder_.reset();
  std::error_code ignored;
  for (const std::string* file : {&temporary_, &soundFile_, &log_}) {
    if (!file->empty()) fs::remove(*file, ignored);
  }
}

}  // namespace cw
