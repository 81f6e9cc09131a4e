#pragma once
// A film shot through a Quake engine: the engine plays a copy of the demo
// frame by frame (see frame_plan.h and engine_script.h) in a folder of its
// own, on a virtual display when asked, and takes a picture of each frame
// the plan names; the pictures are handed on in the order of the times
// asked for. The engine's screenshots are read as they come and emptied
// once read, so that a long film takes little room.

#include <cstddef>
#include <string>
#include <vector>

#include "film/picture.h"
#include "film/programs.h"

namespace cw {

struct FilmSettings {
  std::string demo;    // the user's demo, only read
  std::string engine;  // the engine program
  std::string id1;     // the game's id1 folder
  // The wrapper that gives the engine a virtual display; empty: the engine
  // draws on the display at hand.
  std::string virtualDisplay;
  int width = 1280;
  int height = 720;
  double step = 1.0 / 30;     // the engine's frame time near the times asked for
  std::vector<double> times;  // film times, ascending
};

class FilmWatcher {
 public:
  virtual ~FilmWatcher() = default;
  // Asked now and then: true to end the film early.
  virtual bool StopRequested() { return false; }
  // The picture of times[index]; false when it cannot be used (the encoder
  // failed, say): the film ends.
  virtual bool Show(std::size_t index, const Picture& picture) = 0;
};

enum class FilmOutcome { Done, Stopped, Failed };

// The engine's own folders and programs are removed and stopped however it
// ends. `error` says why a film failed.
FilmOutcome ShootFilm(const FilmSettings& settings, Programs& programs, FilmWatcher& watcher, std::string& error);

// The engine's first line that tells of a failure, or empty.
std::string EngineFailure(const std::string& log);

}  // namespace cw
