#pragma once
// The reads of a demo through the per-block step that one run makes.

namespace cw {

enum class Pass {
  Generation,  // the generator's: the camera rests, and the exit of every level is found
  Refilm,      // the one that films, printing the exits its script's generation found
};

}  // namespace cw
