// Keeping the camera out of walls, the void and the sky, on a built map: a
// room (x 0..120) with sky above z 128, a wall at x 120..136, void around.

#include "refilm/map_keeping.h"

#include <gtest/gtest.h>

#include "game_files.h"
#include "refilm/refilm_context.h"

namespace cw {
namespace {

constexpr Vec3 kTarget{20, 64, 64};

struct Keeper {
  RefilmContext context;
  Keeper() {
    const std::string bsp = test::MakeRoomBsp(test::BspKind::kVersion29);
    std::string error;
    EXPECT_TRUE(context.keeping.space.Read({bsp.begin(), bsp.end()}, error)) << error;
    context.options.keepInMap = true;
  }
  // The camera's place after a block at `time` that scripts it at `place`.
  Vec3 Step(float time, const Vec3& place, const Vec3& target = kTarget) {
    context.run.demoTime = time;
    context.director.cameraOrigin = place;
    context.director.lookAtPoint = target;
    KeepCameraInMap(context);
    return context.director.cameraOrigin;
  }
};

TEST(MapKeeping, MovesOnlyACameraInAWallTheVoidOrTheSkyAlongItsLineOfSight) {
  EXPECT_NEAR(Keeper().Step(1, {128, 64, 64})[0], 120 - kWallClearance, 0.1f);
  EXPECT_NEAR(Keeper().Step(1, {20, 64, 200})[2], 128 - kWallClearance, 0.1f);  // sky, void above it
  EXPECT_NEAR(Keeper().Step(1, {20, 64, -40})[2], kWallClearance, 0.1f);        // void below
  Keeper keeper;
  EXPECT_EQ(keeper.Step(1, {100, 30, 100}), (Vec3{100, 30, 100}));
  EXPECT_EQ(keeper.Step(2, {119.9f, 64, 64})[0], 119.9f);  // either side of the wall's face
  EXPECT_LT(keeper.Step(3, {120.1f, 64, 64})[0], 112.1f);
  EXPECT_EQ(keeper.context.keeping.correctedBlocks, 1);
  Keeper off;
  off.context.options.keepInMap = false;
  EXPECT_EQ(off.Step(1, {128, 64, 64})[0], 128);
  // A target in the wall itself has no way out: the camera goes back to
  // where it last stood in the map, and stays when it never stood there.
  EXPECT_EQ(keeper.Step(4, {128, 64, 64}, {125, 64, 64})[0], keeper.Step(3, {120.1f, 64, 64})[0]);
  EXPECT_EQ(Keeper().Step(1, {128, 64, 64}, {125, 64, 64})[0], 128);
}

TEST(MapKeeping, EasesBackToTheScriptedPlaceWithoutAJump) {
  Keeper keeper;
  EXPECT_NEAR(keeper.Step(1, {20, 64, 150})[2], 120, 0.1f);  // in the sky: kept at z 120
  float z = 120;
  float time = 1;
  while (keeper.context.keeping.reach >= 0 && time < 10) {  // scripted at z 127, free again
    time += 0.05f;
    const float next = keeper.Step(time, {20, 64, 127})[2];
    EXPECT_GT(next, z);
    EXPECT_LT(next - z, 1.0f);
    z = next;
  }
  EXPECT_FLOAT_EQ(z, 127);
  EXPECT_LT(time, 3.0f);
  // The clock going back (a new level) moves no one faster.
  Keeper back;
  back.Step(5, {20, 64, 150});
  EXPECT_NEAR(back.Step(1, {20, 64, 127})[2], 120, 0.1f);
}

}  // namespace
}  // namespace cw
