#include "film/sound_mix.h"

#include <algorithm>
#include <cmath>

namespace cw {
namespace {

constexpr std::size_t kDynamicVoices = 128;
constexpr float kNominalClipDistance = 1000.0f;
constexpr double kSameStartWindow = 0.1;  // identical sounds started together are spread over this

struct Voice {
  const Sound* sound = nullptr;  // null: the voice is free
  int entity = 0;
  int channel = 0;
  Vec3 origin{0, 0, 0};
  float distance = 0;  // attenuation per map unit
  int master = 0;      // 0 to 255
  int left = 0;
  int right = 0;
  double position = 0;  // in the sound's samples
  long startedAt = 0;   // the output sample it started at
};

struct Listener {
  int entity = 0;
  Vec3 origin{0, 0, 0};
  Vec3 right{0, -1, 0};
};

class Mixer {
 public:
  Mixer(std::span<const Sound* const> sounds, const MixSettings& settings)
      : sounds_(sounds), settings_(settings), out_(settings.frames * 2, 0.0f), voices_(kDynamicVoices) {}

  void Apply(const SoundEvent& event, long at) {
    switch (event.kind) {
      case SoundEventKind::Start:
        Start(event, at);
        break;
      case SoundEventKind::Stop:
        for (Voice& voice : voices_) {
          if (voice.sound != nullptr && voice.entity == event.entity && voice.channel == event.channel) {
            voice.sound = nullptr;
          }
        }
        break;
      case SoundEventKind::Static:
        Static(event);
        break;
      case SoundEventKind::StopAll:
        for (Voice& voice : voices_) voice.sound = nullptr;
        statics_.clear();
        break;
      case SoundEventKind::Listener:
        listener_.entity = event.entity;
        listener_.origin = event.origin;
        listener_.right = RightOf(event.angles);
        for (Voice& voice : voices_) Spatialize(voice);
        for (Voice& voice : statics_) Spatialize(voice);
        break;
    }
  }

  // Plays every voice on from `from` to `to` (output samples), writing
  // what falls inside the film.
  void Play(long from, long to) {
    if (to <= from) return;
    for (std::vector<Voice>* voices : {&voices_, &statics_}) {
      for (Voice& voice : *voices) {
        if (voice.sound != nullptr) PlayVoice(voice, from, to);
      }
    }
  }

  std::vector<std::int16_t> Samples() const {
    std::vector<std::int16_t> samples(out_.size());
    for (std::size_t i = 0; i < out_.size(); ++i) {
      const float value = std::clamp(out_[i] * settings_.volume, -1.0f, 32767.0f / 32768.0f);
      samples[i] = static_cast<std::int16_t>(std::lround(value * 32768.0f));
    }
    return samples;
  }

 private:
  const Sound* SoundOf(int index) const {
    if (index < 0 || static_cast<std::size_t>(index) >= sounds_.size()) return nullptr;
    const Sound* sound = sounds_[static_cast<std::size_t>(index)];
    return sound != nullptr && !sound->samples.empty() && sound->rate > 0 ? sound : nullptr;
  }

  // The engine's choice of channel: the same entity's channel, else the one
  // nearest its end, but never one of the view's own for another's sound.
  Voice* Pick(int entity, int channel, long at) {
    Voice* best = nullptr;
    double bestLife = 0;
    for (Voice& voice : voices_) {
      if (channel != 0 && voice.sound != nullptr && voice.entity == entity &&
          (voice.channel == channel || channel == -1)) {
        return &voice;
      }
      if (voice.sound != nullptr && voice.entity == listener_.entity && entity != listener_.entity) continue;
      const double life = voice.sound == nullptr ? -1e300 + static_cast<double>(voice.startedAt) : Life(voice, at);
      if (best == nullptr || life < bestLife) {
        best = &voice;
        bestLife = life;
      }
    }
    return best;
  }

  double Life(const Voice& voice, long) const {
    const double step = static_cast<double>(voice.sound->rate) / settings_.rate;
    return (static_cast<double>(voice.sound->samples.size()) - voice.position) / step;
  }

  void Start(const SoundEvent& event, long at) {
    Voice* voice = Pick(event.entity, event.channel, at);
    if (voice == nullptr) return;
    *voice = Voice();
    voice->entity = event.entity;
    voice->channel = event.channel;
    voice->origin = event.origin;
    voice->distance = event.attenuation / kNominalClipDistance;
    voice->master = static_cast<int>(event.volume * 255);
    voice->startedAt = at;
    Spatialize(*voice);
    if (voice->left == 0 && voice->right == 0) return;  // not heard at all: never heard
    const Sound* sound = SoundOf(event.sound);
    if (sound == nullptr) return;
    // An identical sound started at the same moment begins a little later,
    // so that the two do not merely make one louder.
    for (const Voice& other : voices_) {
      if (&other == voice || other.sound != sound || other.startedAt != at || other.position != 0) continue;
      const double window = std::min(kSameStartWindow * sound->rate, static_cast<double>(sound->samples.size()));
      voice->position = std::floor(window * Spread());
      break;
    }
    voice->sound = sound;
  }

  void Static(const SoundEvent& event) {
    const Sound* sound = SoundOf(event.sound);
    if (sound == nullptr || sound->loopStart < 0) return;  // the engine places only looping sounds
    Voice voice;
    voice.entity = -2;  // nobody's: never the view
    voice.origin = event.origin;
    voice.distance = event.attenuation / kNominalClipDistance;
    voice.master = static_cast<int>(event.volume * 255);
    voice.sound = sound;
    Spatialize(voice);
    statics_.push_back(voice);
  }

  void Spatialize(Voice& voice) const {
    if (voice.entity == listener_.entity) {
      voice.left = voice.right = voice.master;
      return;
    }
    Vec3 toward{voice.origin[0] - listener_.origin[0], voice.origin[1] - listener_.origin[1],
                voice.origin[2] - listener_.origin[2]};
    const float length = std::sqrt(toward[0] * toward[0] + toward[1] * toward[1] + toward[2] * toward[2]);
    if (length > 0) {
      for (float& axis : toward) axis /= length;
    }
    const float distance = length * voice.distance;
    const float dot = toward[0] * listener_.right[0] + toward[1] * listener_.right[1] + toward[2] * listener_.right[2];
    voice.right = std::max(0, static_cast<int>(static_cast<float>(voice.master) * (1.0f - distance) * (1.0f + dot)));
    voice.left = std::max(0, static_cast<int>(static_cast<float>(voice.master) * (1.0f - distance) * (1.0f - dot)));
  }

  void PlayVoice(Voice& voice, long from, long to) {
    const std::vector<float>& samples = voice.sound->samples;
    const auto length = static_cast<double>(samples.size());
    const double step = static_cast<double>(voice.sound->rate) / settings_.rate;
    const auto frames = static_cast<long>(settings_.frames);
    // Before the film: the voice only moves on.
    const long silent = std::min(to, std::max(from, 0L)) - from;
    if (silent > 0) {
      voice.position += step * static_cast<double>(silent);
      if (!Wrap(voice, length)) return;
    }
    const float left = static_cast<float>(voice.left) / 255.0f;
    const float right = static_cast<float>(voice.right) / 255.0f;
    for (long at = std::max(from, 0L); at < std::min(to, frames); ++at) {
      const auto whole = static_cast<std::size_t>(voice.position);
      const double fraction = voice.position - static_cast<double>(whole);
      const float next = whole + 1 < samples.size()    ? samples[whole + 1]
                         : voice.sound->loopStart >= 0 ? samples[static_cast<std::size_t>(voice.sound->loopStart)]
                                                       : 0.0f;
      const auto value = static_cast<float>(samples[whole] * (1.0 - fraction) + next * fraction);
      out_[static_cast<std::size_t>(at) * 2] += value * left;
      out_[static_cast<std::size_t>(at) * 2 + 1] += value * right;
      voice.position += step;
      if (voice.position >= length && !Wrap(voice, length)) return;
    }
    // After the film: nothing more is heard, but the voice stays where it got to.
    const long after = to - std::max(std::min(to, frames), std::max(from, 0L));
    if (after > 0) {
      voice.position += step * static_cast<double>(after);
      Wrap(voice, length);
    }
  }

  // A voice past its sound's end loops, or falls silent (false).
  static bool Wrap(Voice& voice, double length) {
    if (voice.position < length) return true;
    const long loop = voice.sound->loopStart;
    if (loop < 0) {
      voice.sound = nullptr;
      return false;
    }
    const double span = length - static_cast<double>(loop);
    voice.position = static_cast<double>(loop) + std::fmod(voice.position - static_cast<double>(loop), span);
    return true;
  }

  // The same pseudo-random sequence every time: the film stays the same.
  double Spread() {
    seed_ = seed_ * 6364136223846793005ULL + 1442695040888963407ULL;
    return static_cast<double>(seed_ >> 11) / 9007199254740992.0;
  }

  std::span<const Sound* const> sounds_;
  const MixSettings& settings_;
  std::vector<float> out_;
  std::vector<Voice> voices_;
  std::vector<Voice> statics_;
  Listener listener_;
  std::uint64_t seed_ = 1;
};

}  // namespace

std::vector<std::int16_t> MixSound(const SoundTrack& track, std::span<const Sound* const> sounds,
                                   const MixSettings& settings) {
  Mixer mixer(sounds, settings);
  long now = 0;
  bool started = false;
  for (const SoundEvent& event : track.events) {
    const auto at = static_cast<long>(std::llround((event.time - settings.from) * settings.rate));
    if (started) mixer.Play(now, at);
    if (!started || at > now) now = at;
    started = true;
    mixer.Apply(event, now);
  }
  if (started) mixer.Play(now, static_cast<long>(settings.frames));
  return mixer.Samples();
}

}  // namespace cw
