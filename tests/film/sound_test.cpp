// The film's sound: the game's WAV files read, the demo's sound events in
// film time, and the mix heard from the view.

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

#include "demo_builder.h"
#include "film/demo_timeline.h"
#include "film/sound_mix.h"
#include "film/sound_track.h"
#include "film/wav_sound.h"

namespace cw {
namespace {

using test::MessageBytes;
using Bytes = std::vector<std::uint8_t>;

void Put(Bytes& bytes, std::uint32_t value, int size) {
  for (int i = 0; i < size; ++i) bytes.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

// A RIFF WAVE file: its format chunk, then the chunks given (tag and bytes).
Bytes Wav(int channels, int bits, int rate, const std::vector<std::pair<std::string, Bytes>>& chunks) {
  Bytes body = {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '};
  Put(body, 16, 4);
  Put(body, 1, 2);
  Put(body, static_cast<std::uint32_t>(channels), 2);
  Put(body, static_cast<std::uint32_t>(rate), 4);
  Put(body, static_cast<std::uint32_t>(rate * channels * bits / 8), 4);
  Put(body, static_cast<std::uint32_t>(channels * bits / 8), 2);
  Put(body, static_cast<std::uint32_t>(bits), 2);
  for (const auto& [tag, bytes] : chunks) {
    body.insert(body.end(), tag.begin(), tag.end());
    Put(body, static_cast<std::uint32_t>(bytes.size()), 4);
    body.insert(body.end(), bytes.begin(), bytes.end());
    if (bytes.size() % 2 != 0) body.push_back(0);
  }
  Bytes file = {'R', 'I', 'F', 'F'};
  Put(file, static_cast<std::uint32_t>(body.size()), 4);
  file.insert(file.end(), body.begin(), body.end());
  return file;
}

Bytes Cue(std::uint32_t sample) {
  Bytes cue;
  Put(cue, 1, 4);  // one point
  Put(cue, 0, 4);  // its name
  Put(cue, 0, 4);  // position
  cue.insert(cue.end(), {'d', 'a', 't', 'a'});
  Put(cue, 0, 4);
  Put(cue, 0, 4);
  Put(cue, sample, 4);  // the sample offset
  return cue;
}

TEST(WavSound, EightAndSixteenBitsStereoMixedDownAndTheLoopCue) {
  Sound sound;
  std::string error;
  // An odd-sized chunk before the data is padded; the cue comes after it.
  ASSERT_TRUE(
      ReadWav(Wav(1, 8, 11025, {{"LIST", {1, 2, 3}}, {"data", {128, 255, 0, 192}}, {"cue ", Cue(2)}}), sound, error))
      << error;
  EXPECT_EQ(sound.rate, 11025);
  EXPECT_EQ(sound.samples, (std::vector<float>{0.0f, 127.0f / 128, -1.0f, 0.5f}));
  EXPECT_EQ(sound.loopStart, 2);
  // 16 bits, two channels: their mean.
  Bytes stereo;
  Put(stereo, 0x4000, 2);
  Put(stereo, 0, 2);
  Put(stereo, 0x8000, 2);
  Put(stereo, 0x8000, 2);
  ASSERT_TRUE(ReadWav(Wav(2, 16, 22050, {{"data", stereo}}), sound, error));
  EXPECT_EQ(sound.samples, (std::vector<float>{0.25f, -1.0f}));
  EXPECT_EQ(sound.loopStart, -1);
  // A cue beyond the sound's end is no loop; a data chunk cut short keeps what is there.
  Bytes cut = Wav(1, 8, 11025, {{"cue ", Cue(9)}, {"data", {128, 128, 128}}});
  cut[cut.size() - 8] = 200;  // the data chunk claims 200 bytes
  cut.resize(cut.size() - 1);
  ASSERT_TRUE(ReadWav(cut, sound, error));
  EXPECT_EQ(sound.samples.size(), 3u);
  EXPECT_EQ(sound.loopStart, -1);
}

TEST(WavSound, RefusesWhatIsNoPcmSound) {
  Sound sound;
  std::string error;
  EXPECT_FALSE(ReadWav(Bytes{'R', 'I', 'F', 'F'}, sound, error));
  EXPECT_FALSE(ReadWav(Wav(1, 8, 11025, {}), sound, error));
  EXPECT_EQ(error, "no sound data");
  EXPECT_FALSE(ReadWav(Wav(1, 12, 11025, {{"data", {1, 2}}}), sound, error));
  EXPECT_FALSE(ReadWav(Wav(3, 8, 11025, {{"data", {1, 2, 3}}}), sound, error));
  EXPECT_FALSE(ReadWav(Wav(1, 8, 0, {{"data", {1}}}), sound, error));
  Bytes compressed = Wav(1, 8, 11025, {{"data", {1}}});
  compressed[20] = 2;  // ADPCM
  EXPECT_FALSE(ReadWav(compressed, sound, error));
  EXPECT_EQ(error, "not PCM");
}

TEST(WavSound, WhatIsWrittenIsReadBack) {
  std::ostringstream out;
  const std::vector<std::int16_t> samples = {1000, -1000, 32767, -32768};
  WriteWav(out, 48000, samples);
  const std::string text = out.str();
  Sound sound;
  std::string error;
  ASSERT_TRUE(ReadWav(Bytes(text.begin(), text.end()), sound, error)) << error;
  EXPECT_EQ(sound.rate, 48000);
  EXPECT_EQ(sound.samples, (std::vector<float>{0.0f, -1.0f / 65536}));
}

TEST(SoundTrack, TheDemosSoundsInFilmTimeHeardFromTheView) {
  test::DemoBuilder demo;
  test::ServerInfo info;
  info.models = {"maps/test.bsp"};
  info.sounds = {"misc/a.wav", "misc/b.wav"};
  test::Baseline view;
  view.entity = 7;
  view.origin = {100, 0, 0};
  test::ClientData data;
  data.viewHeight = 30;
  demo.Block(
      MessageBytes().ServerInfoMessage(info).SetView(7).SpawnBaseline(view).SpawnStaticSound({1, 2, 3}, 2, 128, 64));
  demo.Block(MessageBytes().Time(2.0f).SignonNum(3), {0, 90, 0});
  test::Sound shot;
  shot.entity = 3;
  shot.channel = 1;
  shot.sound = 1;
  shot.origin = {10, 20, 30};
  shot.volume = 51;
  shot.attenuation = 128;
  test::EntityUpdate moved;
  moved.entity = 7;
  moved.origin[1] = 50;
  demo.Block(MessageBytes().Time(2.5f).ClientDataMessage(data).EntityUpdateMessage(moved).PlaySound(shot).StopSound(
                 3 << 3 | 1),
             {0, 180, 0});
  test::TempEntity blast;
  blast.kind = 3;
  blast.start = {5, 5, 5};
  demo.Block(MessageBytes().Time(3.0f).TempEntityMessage(blast));
  demo.Block(MessageBytes().Disconnect());
  std::istringstream first(demo.Build());
  DemoTimeline timeline;
  std::string error;
  ASSERT_TRUE(ReadTimeline(first, timeline, error)) << error;
  std::istringstream second(demo.Build());
  const SoundTrack track = ReadSoundTrack(second, timeline);

  ASSERT_EQ(track.names, (std::vector<std::string>{"misc/a.wav", "misc/b.wav", "weapons/r_exp3.wav"}));
  std::vector<SoundEvent> events;
  for (const SoundEvent& event : track.events) {
    if (event.kind != SoundEventKind::StopAll) events.push_back(event);
  }
  ASSERT_GE(events.size(), 6u);
  EXPECT_EQ(events[0].kind, SoundEventKind::Static);  // placed with the level, at its start
  EXPECT_EQ(events[0].sound, 1);
  EXPECT_NEAR(events[0].volume, 128 / 255.0, 1e-6);
  EXPECT_EQ(events[0].attenuation, 1.0f);
  EXPECT_EQ(events[0].time, 2.0);
  EXPECT_EQ(events[1].kind, SoundEventKind::Listener);
  EXPECT_EQ(events[1].entity, 7);
  EXPECT_EQ(events[1].origin, (Vec3{100, 0, 22}));      // the baseline, at the default view height
  EXPECT_EQ(events[2].kind, SoundEventKind::Listener);  // the block's angles
  EXPECT_EQ(events[2].angles[1], 90.0f);
  const SoundEvent& start = events[3];
  EXPECT_EQ(start.kind, SoundEventKind::Start);
  EXPECT_EQ(start.time, 2.5);
  EXPECT_EQ(start.entity, 3);
  EXPECT_EQ(start.channel, 1);
  EXPECT_EQ(start.sound, 0);
  EXPECT_NEAR(start.volume, 0.2, 1e-6);
  EXPECT_EQ(start.attenuation, 2.0f);
  EXPECT_EQ(start.origin, (Vec3{10, 20, 30}));
  EXPECT_EQ(events[4].kind, SoundEventKind::Stop);
  EXPECT_EQ(events[4].entity, 3);
  EXPECT_EQ(events[4].channel, 1);
  // The view moved on one axis; the others come from its baseline; its height from the client data.
  EXPECT_EQ(events[5].kind, SoundEventKind::Listener);
  EXPECT_EQ(events[5].origin, (Vec3{100, 50, 30}));
  const SoundEvent& explosion = events[6];
  EXPECT_EQ(explosion.sound, 2);
  EXPECT_EQ(explosion.entity, -1);
  EXPECT_EQ(explosion.time, 3.0);
  EXPECT_EQ(track.events.back().kind, SoundEventKind::StopAll);
}

TEST(SoundTrack, TheListenersRightHand) {
  const Vec3 ahead = RightOf({0, 0, 0});  // looking along +x, the right is -y
  EXPECT_NEAR(ahead[1], -1, 1e-6);
  const Vec3 turned = RightOf({0, 90, 0});  // looking along +y, the right is +x
  EXPECT_NEAR(turned[0], 1, 1e-6);
  EXPECT_NEAR(turned[1], 0, 1e-6);
}

// A sound of `count` samples of `value` at the output's rate.
Sound Flat(float value, std::size_t count, long loop = -1) {
  Sound sound;
  sound.rate = 48000;
  sound.samples.assign(count, value);
  sound.loopStart = loop;
  return sound;
}

SoundEvent At(double time, SoundEventKind kind, int entity = 0, int channel = 0, int sound = 0) {
  SoundEvent event;
  event.time = time;
  event.kind = kind;
  event.entity = entity;
  event.channel = channel;
  event.sound = sound;
  return event;
}

TEST(SoundMix, ASoundIsHeardFromTheSampleOfItsTime) {
  const Sound flat = Flat(0.5f, 4800);
  const std::vector<const Sound*> sounds = {&flat};
  SoundTrack track;
  track.events = {At(0, SoundEventKind::Listener, 1), At(10.25, SoundEventKind::Start, 1, 1)};
  MixSettings settings;
  settings.from = 10.0;
  settings.frames = 48000;
  const std::vector<std::int16_t> samples = MixSound(track, sounds, settings);
  ASSERT_EQ(samples.size(), 96000u);
  const std::size_t onset = 12000;  // 0.25 s in
  EXPECT_EQ(samples[onset * 2 - 2], 0);
  EXPECT_EQ(samples[onset * 2], 11469);  // 0.5 at the engine's volume of 0.7, the view's own: both ears
  EXPECT_EQ(samples[onset * 2 + 1], 11469);
  EXPECT_EQ(samples[(onset + 4799) * 2], 11469);
  EXPECT_EQ(samples[(onset + 4800) * 2], 0);  // over
}

TEST(SoundMix, DistanceAndDirectionFromTheView) {
  const Sound flat = Flat(0.5f, 48000);
  const std::vector<const Sound*> sounds = {&flat};
  MixSettings settings;
  settings.frames = 100;
  SoundTrack track;
  SoundEvent right = At(0, SoundEventKind::Start, 2, 1);
  right.origin = {0, -500, 0};  // to the right of a view along +x, half the distance that silences
  track.events = {At(0, SoundEventKind::Listener, 1), right};
  std::vector<std::int16_t> samples = MixSound(track, sounds, settings);
  EXPECT_EQ(samples[20], 0);      // left
  EXPECT_EQ(samples[21], 11469);  // right: twice the half heard at this distance
  // Beyond the distance that silences: never heard, even once the view comes near.
  right.origin = {0, -1500, 0};
  SoundEvent nearer = At(0.001, SoundEventKind::Listener, 1);
  nearer.origin = {0, -1500, 0};
  track.events = {At(0, SoundEventKind::Listener, 1), right, nearer};
  samples = MixSound(track, sounds, settings);
  EXPECT_EQ(samples[180], 0);
  // Heard everywhere alike at no attenuation.
  right.attenuation = 0;
  track.events = {At(0, SoundEventKind::Listener, 1), right};
  samples = MixSound(track, sounds, settings);
  EXPECT_EQ(samples[21], 22938);  // straight to the right: twice as loud there, nothing on the left
  EXPECT_EQ(samples[20], 0);
}

TEST(SoundMix, ChannelsCutAndStopsSilence) {
  const Sound first = Flat(0.25f, 48000);
  const Sound second = Flat(0.5f, 48000);
  const std::vector<const Sound*> sounds = {&first, &second};
  MixSettings settings;
  settings.frames = 4800;
  SoundTrack track;
  // Same entity and channel: the second cuts the first. Channel 0 never cuts.
  track.events = {At(0, SoundEventKind::Listener, 1), At(0, SoundEventKind::Start, 1, 2, 0),
                  At(0.05, SoundEventKind::Start, 1, 2, 1), At(0.05, SoundEventKind::Start, 1, 0, 0),
                  At(0.08, SoundEventKind::Stop, 1, 2)};
  const std::vector<std::int16_t> samples = MixSound(track, sounds, settings);
  EXPECT_EQ(samples[1000 * 2], 5734);          // the first alone
  EXPECT_EQ(samples[3000 * 2], 11469 + 5734);  // the second, with the channel-0 one
  EXPECT_EQ(samples[4000 * 2], 5734);          // the second stopped
  track.events.push_back(At(0.09, SoundEventKind::StopAll));
  EXPECT_EQ(MixSound(track, sounds, settings)[4500 * 2], 0);
}

TEST(SoundMix, ALoopGoesOnAcrossTheFilmFromBeforeIt) {
  Sound loop = Flat(0.0f, 100, 50);
  for (std::size_t i = 0; i < loop.samples.size(); ++i) loop.samples[i] = static_cast<float>(i) / 200;
  const std::vector<const Sound*> sounds = {&loop};
  MixSettings settings;
  settings.from = 1.0;
  settings.frames = 200;
  SoundTrack track;
  SoundEvent place = At(0, SoundEventKind::Static, 0, 0, 0);
  place.attenuation = 0;
  track.events = {At(0, SoundEventKind::Listener, 1), place};
  const std::vector<std::int16_t> samples = MixSound(track, sounds, settings);
  // 48000 samples played before the film: 100, then 47900 in loops of 50 from sample 50.
  const std::size_t phase = 50 + (48000 - 100) % 50;
  EXPECT_NEAR(samples[0], std::lround(static_cast<double>(phase) / 200 * 0.7 * 32768), 1);
  // A sound that does not loop is never placed as a looping one.
  const Sound once = Flat(0.5f, 100);
  const std::vector<const Sound*> single = {&once};
  EXPECT_EQ(MixSound(track, single, settings)[0], 0);
}

}  // namespace
}  // namespace cw
