#pragma once
// The sound of a stretch of film, mixed as the engine mixes it: each sound
// on a channel of its entity (a new one on the same entity and channel cuts
// the old; channel 0 never does), at most 128 at once, the oldest making
// room; heard from the listener's place, fainter with distance by its
// attenuation and to the left or right by its direction from the view,
// full in both ears when it comes from the view's own entity; a sound too
// far away to be heard when it starts is never heard. Looping sounds loop
// from their cue. Deterministic: the same track gives the same samples.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "film/sound_track.h"
#include "film/wav_sound.h"

namespace cw {

struct MixSettings {
  double from = 0;         // the film time of the first sample
  std::size_t frames = 0;  // stereo samples wanted
  int rate = 48000;
  float volume = 0.7f;  // the engine's own default
};

// `sounds[i]` is track.names[i] decoded, or null when the game lacks it.
// Interleaved left and right.
std::vector<std::int16_t> MixSound(const SoundTrack& track, std::span<const Sound* const> sounds,
                                   const MixSettings& settings);

}  // namespace cw
