#pragma once
// Reads a result demo back with the same parser, for end-to-end checks.

#include <string>
#include <string_view>
#include <vector>

#include "base/entity_table.h"
#include "base/vec3.h"

namespace cw::test {

struct ResultDemo {
  std::string firstLine;
  int blocks = 0;
  bool parsedCleanly = false;         // every block read whole, no damaged message
  std::vector<TrackPoint> camera;     // the camera entity's positions, oldest first
  std::vector<Vec3> viewAngles;       // of every block
  std::vector<float> times;           // the demo time at the end of every block
  std::vector<std::string> messages;  // the message bytes of every block
  std::string bytes;                  // the whole file
};

ResultDemo ReadResultDemo(const std::string& path, int cameraEntity = 449);

// The camera's position written in the first block whose time is at least `time`.
const TrackPoint* CameraAt(const ResultDemo& result, float time);

// The first block from `from` on whose messages hold `bytes`, or -1.
int FindBlock(const ResultDemo& result, std::string_view bytes, int from = 0);

}  // namespace cw::test
