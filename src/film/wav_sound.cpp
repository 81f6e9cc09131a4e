#include "film/wav_sound.h"

#include <ostream>
#include <string_view>

namespace cw {
namespace {

constexpr int kHighestRate = 192000;

std::uint32_t Little32(std::span<const std::uint8_t> bytes, std::size_t at) {
  return static_cast<std::uint32_t>(bytes[at]) | static_cast<std::uint32_t>(bytes[at + 1]) << 8 |
         static_cast<std::uint32_t>(bytes[at + 2]) << 16 | static_cast<std::uint32_t>(bytes[at + 3]) << 24;
}

std::uint16_t Little16(std::span<const std::uint8_t> bytes, std::size_t at) {
  return static_cast<std::uint16_t>(bytes[at] | bytes[at + 1] << 8);
}

bool Is(std::span<const std::uint8_t> bytes, std::size_t at, std::string_view tag) {
  return bytes.size() >= at + 4 && std::string_view(reinterpret_cast<const char*>(bytes.data() + at), 4) == tag;
}

void Put32(std::ostream& out, std::uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8) out.put(static_cast<char>(value >> shift));
}

void Put16(std::ostream& out, std::uint16_t value) {
  out.put(static_cast<char>(value));
  out.put(static_cast<char>(value >> 8));
}

}  // namespace

bool ReadWav(std::span<const std::uint8_t> bytes, Sound& sound, std::string& error) {
  sound = Sound();
  if (!Is(bytes, 0, "RIFF") || !Is(bytes, 8, "WAVE")) {
    error = "no RIFF WAVE sound";
    return false;
  }
  int channels = 0;
  int bits = 0;
  std::span<const std::uint8_t> data;
  bool haveFormat = false;
  bool haveData = false;
  // Chunks one after another, each padded to an even size.
  for (std::size_t at = 12; at + 8 <= bytes.size();) {
    const std::uint32_t size = Little32(bytes, at + 4);
    const std::size_t body = at + 8;
    const std::size_t available = bytes.size() - body;
    const std::size_t length = size > available ? available : size;  // a data chunk cut short keeps what is there
    if (Is(bytes, at, "fmt ") && length >= 16) {
      const int format = Little16(bytes, body);
      channels = Little16(bytes, body + 2);
      sound.rate = static_cast<int>(Little32(bytes, body + 4));
      bits = Little16(bytes, body + 14);
      if (format != 1) {
        error = "not PCM";
        return false;
      }
      haveFormat = true;
    } else if (Is(bytes, at, "data")) {
      data = bytes.subspan(body, length);
      haveData = true;
    } else if (Is(bytes, at, "cue ") && length >= 28) {
      // The first cue point's sample offset.
      sound.loopStart = static_cast<long>(Little32(bytes, body + 24));
    }
    if (size > available) break;
    at = body + size + (size & 1u);
  }
  if (!haveFormat || !haveData) {
    error = haveFormat ? "no sound data" : "no format";
    return false;
  }
  if ((bits != 8 && bits != 16) || (channels != 1 && channels != 2) || sound.rate <= 0 || sound.rate > kHighestRate) {
    error = "a format that is not 8- or 16-bit PCM of one or two channels";
    return false;
  }
  const std::size_t frameBytes = static_cast<std::size_t>(bits / 8 * channels);
  const std::size_t frames = data.size() / frameBytes;
  sound.samples.resize(frames);
  for (std::size_t frame = 0; frame < frames; ++frame) {
    float sum = 0;
    for (int channel = 0; channel < channels; ++channel) {
      const std::size_t at = frame * frameBytes + static_cast<std::size_t>(channel * bits / 8);
      sum += bits == 8 ? (static_cast<float>(data[at]) - 128.0f) / 128.0f
                       : static_cast<float>(static_cast<std::int16_t>(Little16(data, at))) / 32768.0f;
    }
    sound.samples[frame] = sum / static_cast<float>(channels);
  }
  if (sound.loopStart >= static_cast<long>(frames)) sound.loopStart = -1;
  return true;
}

void WriteWav(std::ostream& out, int rate, std::span<const std::int16_t> samples) {
  const auto dataBytes = static_cast<std::uint32_t>(samples.size() * 2);
  out.write("RIFF", 4);
  Put32(out, 36 + dataBytes);
  out.write("WAVEfmt ", 8);
  Put32(out, 16);
  Put16(out, 1);  // PCM
  Put16(out, 2);  // stereo
  Put32(out, static_cast<std::uint32_t>(rate));
  Put32(out, static_cast<std::uint32_t>(rate) * 4);
  Put16(out, 4);
  Put16(out, 16);
  out.write("data", 4);
  Put32(out, dataBytes);
  for (const std::int16_t sample : samples) Put16(out, static_cast<std::uint16_t>(sample));
}

}  // namespace cw
