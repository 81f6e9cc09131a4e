#pragma once
// A small, plausible demo for end-to-end tests, the benchmark and the fuzz
// seeds: server info, the three signon stages with baselines, then frames
// at a steady rate with the time, client data, the player walking a square
// and a few other entities moving, sounds, prints and effects now and then,
// ending with svc_disconnect. Deterministic.

#include <iosfwd>
#include <string>

#include "demo_builder.h"

namespace cw::test {

struct SyntheticDemoOptions {
  float seconds = 10.0f;
  int blocksPerSecond = 20;
  int otherEntities = 4;  // entities 2.. that move besides the player
  std::string mapName = "maps/cwtest.bsp";
  std::string levelName = "Synthetic Test Room";
  std::string firstLine = "-1\n";
  bool intermissionAtEnd = false;  // an svc_intermission one second before the end
};

// The pieces, for programs that stream a large demo instead of holding it.
// The signon blocks, first line included.
void WriteSyntheticSignon(std::ostream& out, const SyntheticDemoOptions& options);
// The messages of frame `frame` (0-based); frames repeat their pattern
// every few hundred, so a long demo is many realistic frames in a row.
MessageBytes SyntheticFrame(const SyntheticDemoOptions& options, int frame);
// The player's view angles at frame `frame`.
Vec3 SyntheticViewAngles(const SyntheticDemoOptions& options, int frame);
// The number of frames `options` asks for.
int SyntheticFrameCount(const SyntheticDemoOptions& options);
// The last block: svc_disconnect.
std::string SyntheticFinalBlock();

std::string MakeSyntheticDemo(const SyntheticDemoOptions& options = {});
bool WriteSyntheticDemo(const std::string& path, const SyntheticDemoOptions& options = {});

}  // namespace cw::test
