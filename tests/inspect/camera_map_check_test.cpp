// The camera held against a map the tests build: a west room with sky above,
// a wall at x 120..136, an east room; what is told and what merges.

#include "inspect/camera_map_check.h"

#include <gtest/gtest.h>

#include "game_files.h"
#include "map/solid_space.h"

namespace cw {
namespace {

SolidSpace Room() {
  const std::string bsp = test::MakeRoomBsp(test::BspKind::kVersion29);
  SolidSpace space;
  std::string error;
  EXPECT_TRUE(space.Read({bsp.begin(), bsp.end()}, error)) << error;
  return space;
}

// Samples a tenth of a second apart from `from` to `to` seconds, the camera
// moving evenly between two places under one command, looking at `target`.
void Add(std::vector<CameraSample>& camera, float from, float to, Vec3 start, Vec3 end, int command,
         const Vec3* target = nullptr) {
  const int steps = static_cast<int>((to - from) * 10.0f + 0.5f);
  for (int step = 0; step <= steps; ++step) {
    const float part = steps == 0 ? 0.0f : static_cast<float>(step) / static_cast<float>(steps);
    CameraSample sample;
    sample.time = from + static_cast<float>(step) / 10.0f;
    for (std::size_t axis = 0; axis < 3; ++axis) sample.origin[axis] = start[axis] + part * (end[axis] - start[axis]);
    sample.positionCommand = command;
    if (target != nullptr) {
      sample.viewCommand = 0;
      sample.looksAtPoint = true;
      sample.lookAt = *target;
    }
    camera.push_back(sample);
  }
}

TEST(CameraMapCheck, PlacesInWallSkyAndVoidAreSpansOfTheirCommand) {
  const SolidSpace space = Room();
  std::vector<CameraSample> camera;
  Add(camera, 0.0f, 1.0f, {60, 64, 64}, {60, 64, 64}, 0);    // the west room: nothing
  Add(camera, 1.1f, 2.0f, {128, 64, 64}, {128, 64, 64}, 1);  // in the wall
  Add(camera, 2.1f, 3.0f, {128, 64, 64}, {128, 64, 64}, 2);  // the same wall, a new command
  Add(camera, 3.1f, 3.5f, {60, 64, 140}, {60, 64, 140}, 2);  // the sky
  Add(camera, 3.6f, 3.6f, {300, 64, 64}, {300, 64, 64}, 3);  // the void, one block
  const std::vector<MapSpan> spans = FindMapSpans(camera, space);
  ASSERT_EQ(spans.size(), 4u);
  EXPECT_EQ(spans[0].kind, MapTrouble::InSolid);
  EXPECT_EQ(spans[0].positionCommand, 1);
  EXPECT_FLOAT_EQ(spans[0].from, 1.1f);
  EXPECT_FLOAT_EQ(spans[0].to, 2.0f);
  EXPECT_EQ(spans[1].positionCommand, 2);
  EXPECT_EQ(spans[2].kind, MapTrouble::InSky);
  EXPECT_FLOAT_EQ(spans[2].from, 3.1f);
  EXPECT_EQ(spans[3].kind, MapTrouble::InSolid);
  EXPECT_FLOAT_EQ(spans[3].to, 3.6f);
  EXPECT_EQ(MapSpanText(spans[2], 0), "the camera stands in the sky, outside the map, from 3.10 s to 3.50 s");
}

TEST(CameraMapCheck, AWayThroughTheWallButNotACut) {
  const SolidSpace space = Room();
  std::vector<CameraSample> camera;
  // Half a second from room to room: one step of it crosses the wall.
  Add(camera, 0.0f, 0.5f, {20, 64, 64}, {220, 64, 64}, 0);
  // A cut to the west room and back is no way through anything.
  Add(camera, 0.6f, 0.6f, {60, 64, 64}, {60, 64, 64}, 1);
  Add(camera, 0.7f, 0.7f, {200, 64, 64}, {200, 64, 64}, 2);
  const std::vector<MapSpan> spans = FindMapSpans(camera, space);
  ASSERT_EQ(spans.size(), 1u);
  EXPECT_EQ(spans[0].kind, MapTrouble::ThroughSolid);
  EXPECT_EQ(spans[0].positionCommand, 0);
  EXPECT_FLOAT_EQ(spans[0].from, 0.2f);
  EXPECT_FLOAT_EQ(spans[0].to, 0.3f);
}

TEST(CameraMapCheck, ASightThroughTheWallLongerThanHalfASecond) {
  const SolidSpace space = Room();
  const Vec3 east{200, 64, 64};
  const Vec3 west{20, 64, 64};
  const Vec3 inTheWall{124, 64, 64};  // a point on the wall's face hides behind nothing
  std::vector<CameraSample> camera;
  Add(camera, 0.0f, 0.5f, {60, 64, 64}, {60, 64, 64}, 0, &east);  // hidden for exactly half a second
  Add(camera, 0.6f, 0.9f, {60, 64, 64}, {60, 64, 64}, 0, &west);  // in sight
  Add(camera, 1.0f, 1.6f, {60, 64, 64}, {60, 64, 64}, 0, &east);  // hidden a little longer
  Add(camera, 1.7f, 3.0f, {60, 64, 64}, {60, 64, 64}, 0, &inTheWall);
  const std::vector<MapSpan> spans = FindMapSpans(camera, space);
  ASSERT_EQ(spans.size(), 1u);
  EXPECT_EQ(spans[0].kind, MapTrouble::SightBlocked);
  EXPECT_FLOAT_EQ(spans[0].from, 1.0f);
  EXPECT_FLOAT_EQ(spans[0].to, 1.6f);
  EXPECT_EQ(MapSpanText(spans[0], 7), "a wall hides what line 7 looks at from the camera from 1.00 s to 1.60 s");
}

}  // namespace
}  // namespace cw
