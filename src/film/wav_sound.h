#pragma once
// The game's sounds: RIFF WAVE files of 8- or 16-bit PCM, with the loop
// point a cue marks (torches and lifts loop from it to their end), read
// with every size checked against the bytes there are. And the sound of a
// film written out the same way, for the encoder.

#include <cstdint>
#include <iosfwd>
#include <span>
#include <string>
#include <vector>

namespace cw {

struct Sound {
  int rate = 0;
  std::vector<float> samples;  // one channel, from -1 to 1
  long loopStart = -1;         // the sample a loop goes back to; -1 when the sound does not loop
};

// False, with `error`, when the bytes are no such sound. Stereo is mixed
// down to one channel, as the game plays its sounds in one.
bool ReadWav(std::span<const std::uint8_t> bytes, Sound& sound, std::string& error);

// 16-bit stereo PCM; `samples` interleaved left and right.
void WriteWav(std::ostream& out, int rate, std::span<const std::int16_t> samples);

}  // namespace cw
