#pragma once
// What a demo makes the engine play, in film time: the sounds its messages
// start and stop, the looping sounds its levels place, the sounds of its
// explosions and spikes, and where the listener (the view) is. Each event
// happens at the time of the block that carries it.

#include <iosfwd>
#include <string>
#include <vector>

#include "base/vec3.h"
#include "film/demo_timeline.h"

namespace cw {

enum class SoundEventKind {
  Start,     // a sound on an entity's channel (channel 0: never cut by another)
  Stop,      // svc_stopsound: the entity's channel falls silent
  Static,    // a sound that loops where the level put it
  StopAll,   // a new level, or the end of the demo
  Listener,  // the view moved, turned, or changed entity
};

struct SoundEvent {
  double time = 0;  // film time
  SoundEventKind kind = SoundEventKind::Start;
  int entity = 0;         // Start and Stop; Listener: the view entity
  int channel = 0;        // Start and Stop; -1 cuts every channel of the entity
  int sound = -1;         // an index into SoundTrack::names
  float volume = 1;       // 0 to 1
  float attenuation = 1;  // 0: heard everywhere alike
  Vec3 origin{0, 0, 0};   // the sound's place; Listener: the view's
  Vec3 angles{0, 0, 0};   // Listener: the view's angles
};

struct SoundTrack {
  std::vector<std::string> names;  // "weapons/r_exp3.wav", as the sound lists give them
  std::vector<SoundEvent> events;  // in time order
};

// Reads the demo's sound events; `timeline` places its levels on the film's clock.
SoundTrack ReadSoundTrack(std::istream& demo, const DemoTimeline& timeline);

// The vector that points to the listener's right, for view angles in degrees.
Vec3 RightOf(const Vec3& angles);

}  // namespace cw
