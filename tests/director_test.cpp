#include "camera/director.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "camera/command.h"
#include "camera/coord.h"
#include "demo/entity_table.h"
#include "script_reading.h"

namespace cw {
namespace {

constexpr float kQuarterTurn = 90.0456f;  // angles use 180 / 3.14
constexpr Vec3 kSourceAngles{33, 44, 55};

void ExpectPoint(const Vec3& actual, const Vec3& expected) {
  for (std::size_t i = 0; i < 3; ++i) EXPECT_NEAR(actual[i], expected[i], 1e-4) << "axis " << i;
}

class DirectorTest : public ::testing::Test {
 protected:
  void Script(const std::string& text) { test::ReadScript(text, lists, *entities); }
  // The camera step only, after the block reader has filled in the source angles.
  void Camera(float demoTime) {
    director.cameraAngles = kSourceAngles;
    CameraStep(director, lists, *entities, demoTime);
  }
  // A whole block as ProcessBlock runs the director.
  void Block(float demoTime) {
    Camera(demoTime);
    RollStep(director, lists.roll, demoTime);
  }
  void Player(float time, float x, float y, float z) { entities->AddTrackPoint(1, time, x, y, z); }

  DirectorState director;
  CommandLists lists;
  std::unique_ptr<EntityTable> entities = std::make_unique<EntityTable>();
};

TEST_F(DirectorTest, TypicalBlockFollowsThePlayer) {
  Script("0 view p\n1.5 stay p~0.3 p~0.3 p+30\n");
  Player(9.6f, 100, 200, 10);
  Player(9.9f, 110, 210, 20);
  Player(10, 120, 220, 30);
  Block(1.4f);  // the view is taken; the stay has not come
  ExpectPoint(director.cameraOrigin, {0, 0, 0});
  Block(10);
  ExpectPoint(director.cameraOrigin, {100, 200, 60});
  ExpectPoint(director.lookAtPoint, {120, 220, 30});
  Vec3 expected{0, 0, 0};
  LookAt({120, 220, 30}, {100, 200, 60}, expected);
  EXPECT_EQ(director.cameraAngles[kPitch], expected[kPitch]);
  EXPECT_EQ(director.cameraAngles[kYaw], expected[kYaw]);
  EXPECT_EQ(director.cameraAngles[kRoll], 0);

  // With the lists empty the camera keeps following its coordinates.
  Player(10.5f, 300, 300, 300);
  Block(10.8f);
  ExpectPoint(director.cameraOrigin, {300, 300, 330});
  ExpectPoint(director.lookAtPoint, {300, 300, 300});
}

TEST_F(DirectorTest, OnePositionAndOneViewCommandPerBlock) {
  Script("0 view p\n0 view e1\n0 stay 1 1 1\n0 stay 2 2 2\n");
  Block(0);
  EXPECT_EQ(lists.view.Count(), 1);
  ExpectPoint(director.cameraOrigin, {1, 1, 1});  // a stay places the camera in its own block
  Block(0);
  EXPECT_TRUE(lists.view.Empty());
  ExpectPoint(director.cameraOrigin, {2, 2, 2});
}

TEST_F(DirectorTest, CommandsOutOfOrderWaitForTheHead) {
  Script("5 stay 1 1 1\n2 stay 2 2 2\n");
  Block(3);
  ExpectPoint(director.cameraOrigin, {0, 0, 0});
  Block(5);
  ExpectPoint(director.cameraOrigin, {1, 1, 1});
  Block(5.1f);
  ExpectPoint(director.cameraOrigin, {2, 2, 2});
}

TEST_F(DirectorTest, MoveGoesAtConstantSpeedFromThePreviousPlace) {
  Script("0 stay 0 0 0\n10 move 100 200 -40\n14 end move\n");
  Block(0);
  Block(11);
  ExpectPoint(director.cameraOrigin, {25, 50, -10});
  Block(14);
  ExpectPoint(director.cameraOrigin, {100, 200, -40});
  EXPECT_EQ(lists.position.Count(), 1);  // not over until its end lies before the demo time
  Block(14.1f);
  EXPECT_TRUE(lists.position.Empty());
  ExpectPoint(director.cameraOrigin, {100, 200, -40});
}

TEST_F(DirectorTest, FirstMoveStartsFromTheOrigin) {
  Script("2 move 100 0 0\n4 end move\n");
  Block(3);
  ExpectPoint(director.cameraOrigin, {50, 0, 0});
}

TEST_F(DirectorTest, UnclosedMoveActsAsACut) {
  Script("5 move 100 0 0\n");
  Block(5);
  ExpectPoint(director.cameraOrigin, {100, 0, 0});
  EXPECT_TRUE(lists.position.Empty());
}

TEST_F(DirectorTest, MoveWhoseEndIsItsStartStandsAtItsStart) {
  Script("0 stay 7 7 7\n5 move 100 0 0\n5 end move\n");
  Block(0);
  Block(5);
  ExpectPoint(director.cameraOrigin, {7, 7, 7});
  Block(5.1f);
  ExpectPoint(director.cameraOrigin, {100, 0, 0});
}

TEST_F(DirectorTest, NowAxesOfStayAndMove) {
  Script("0 stay 10 20 30\n1 stay now now+50 now\n");
  Block(0);
  Block(1);
  ExpectPoint(director.cameraOrigin, {10, 20, 30});  // a stay never adds the offset
  Block(2);
  ExpectPoint(director.cameraOrigin, {10, 20, 30});

  lists.RemoveAll();
  ResetDirector(director);
  Script("0 stay 10 20 30\n1 move now now+50 now\n3 end move\n");
  Block(0);
  Block(1);
  ExpectPoint(director.cameraOrigin, {10, 20, 30});
  Block(2);
  ExpectPoint(director.cameraOrigin, {10, 45, 30});  // measured from where the move began
  Block(3.5f);
  ExpectPoint(director.cameraOrigin, {10, 70, 30});
}

TEST_F(DirectorTest, MoveFromANowPlaceStartsAtTheCameraOrigin) {
  // The start point's "now" axes take the camera's origin as the place step
  // left it.
  Script("0 stay 10 20 30\n1 stay now now now\n2 move 100 20 30\n4 end move\n");
  Block(0);
  Block(1);
  Block(2);
  ExpectPoint(director.cameraOrigin, {10, 20, 30});
  Block(3);
  ExpectPoint(director.cameraOrigin, {55, 20, 30});
}

TEST_F(DirectorTest, ViewWithNowXFreezesTheWholeTarget) {
  Script("0 view 5 6 7\n1 view now+1 p p\n");
  Player(0, 100, 100, 100);
  Block(0);
  Block(0.5f);
  ExpectPoint(director.lookAtPoint, {5, 6, 7});
  Block(1);
  Player(1.5f, 200, 200, 200);
  Block(2);
  ExpectPoint(director.lookAtPoint, {6, 6, 7});  // y and z no longer follow the player
}

TEST_F(DirectorTest, ViewWithNowZKeepsTheLookAtPointsZ) {
  Script("0 view 5 6 7\n1 view p p now+50\n");
  Block(0);
  Block(1);
  Player(1.5f, 200, 300, 400);
  Block(2);
  ExpectPoint(director.lookAtPoint, {200, 300, 7});  // the 50 is never added
  Player(2.5f, 210, 310, 410);
  Block(3);
  ExpectPoint(director.lookAtPoint, {210, 310, 7});
}

TEST_F(DirectorTest, NewViewIsLookedAtFromTheNextBlock) {
  Script("0 view 10 0 0\n1 view 0 10 0\n");
  Block(0);
  Block(1);
  EXPECT_NEAR(director.cameraAngles[kYaw], 0, 1e-4);
  Block(1.1f);
  EXPECT_NEAR(director.cameraAngles[kYaw], kQuarterTurn, 1e-4);
}

TEST_F(DirectorTest, PanMovesTheLookAtPointAndTheViewFollowsABlockLater) {
  Script("0 view 10 0 0\n2 pan 0 10 0\n4 end pan\n");
  Block(0);
  Camera(3);
  ExpectPoint(director.lookAtPoint, {5, 5, 0});
  EXPECT_NEAR(director.cameraAngles[kYaw], 0, 1e-4);  // still toward the old point
  EXPECT_EQ(director.cameraAngles[kRoll], 10);        // until the roll step
  RollStep(director, lists.roll, 3);
  EXPECT_EQ(director.cameraAngles[kRoll], 0);
  Block(3.5f);
  EXPECT_NEAR(director.cameraAngles[kYaw], kQuarterTurn / 2, 1e-3);
  Block(4.5f);
  EXPECT_TRUE(lists.view.Empty());
  Block(5);
  ExpectPoint(director.lookAtPoint, {0, 10, 0});
  EXPECT_NEAR(director.cameraAngles[kYaw], kQuarterTurn, 1e-4);
}

TEST_F(DirectorTest, FirstPanStartsFromTheOrigin) {
  Script("2 pan 10 0 0\n4 end pan\n");
  Block(3);
  ExpectPoint(director.lookAtPoint, {5, 0, 0});
}

TEST_F(DirectorTest, PanTargetsWithNowAxesStartFromTheLookAtPoint) {
  Script("0 view 10 20 30\n1 view 0 0 now\n2 pan 0 40 0\n4 end pan\n");
  Block(0);
  Block(1);
  Block(1.5f);
  ExpectPoint(director.lookAtPoint, {0, 0, 30});
  Block(3);
  ExpectPoint(director.lookAtPoint, {0, 20, 15});
}

TEST_F(DirectorTest, TurnSweepsTheAnglesAndNoBlockShowsTheSourceAngles) {
  Script("0 view 10 0 0\n1 turn 0 10 0\n3 end turn\n");
  Block(0);  // the view is looked at from the next block on
  for (const float time : {0.5f, 1.0f, 1.5f, 2.0f, 2.5f, 3.0f, 3.5f, 4.0f}) {
    SCOPED_TRACE("demo time " + std::to_string(time));
    Block(time);
    EXPECT_NE(director.cameraAngles[kPitch], kSourceAngles[kPitch]);
    EXPECT_NE(director.cameraAngles[kYaw], kSourceAngles[kYaw]);
    EXPECT_EQ(director.cameraAngles[kRoll], 0);
    const float expectedYaw = time <= 1 ? 0 : time >= 3 ? kQuarterTurn : (time - 1) / 2 * kQuarterTurn;
    EXPECT_NEAR(director.cameraAngles[kYaw], expectedYaw, 1e-3);
  }
  EXPECT_TRUE(lists.view.Empty());
  ExpectPoint(director.lookAtPoint, {0, 10, 0});
}

TEST_F(DirectorTest, RunningTurnKeepsItsEndAnglesInTheLookAtPoint) {
  Script("0 view 10 0 7\n1 turn 0 10 0\n3 end turn\n");
  Block(0);
  Block(0.5f);
  Block(2);
  EXPECT_TRUE(director.turning);
  EXPECT_NEAR(director.lookAtPoint[0], 0, 1e-4);  // pitch toward the end target
  EXPECT_NEAR(director.lookAtPoint[1], kQuarterTurn, 1e-4);
  EXPECT_EQ(director.lookAtPoint[2], 7);  // left alone
}

TEST_F(DirectorTest, TurnYawHasNoWrapAround) {
  Script("0 view 10 -1 0\n1 turn 10 1 0\n3 end turn\n");
  Block(0);
  Block(2);
  // From just below 0 to just above 0 in yaw, halfway is 0; from the far
  // side of the seam the sweep goes the long way.
  EXPECT_NEAR(director.cameraAngles[kYaw], 0, 1e-3);

  lists.RemoveAll();
  ResetDirector(director);
  Script("0 view -10 -1 0\n1 turn -10 1 0\n3 end turn\n");
  Block(0);
  Block(2);
  EXPECT_NEAR(director.cameraAngles[kYaw], 0, 1e-2);  // not 180: the long way round
}

TEST_F(DirectorTest, SweepWhoseEndIsNotAfterItsStartReachesItsTargetAtOnce) {
  struct Case {
    std::string script;
    float demoTime;
  };
  const Case cases[] = {
      {"0 view 10 0 0\n5 turn 0 10 0\n5 end turn\n", 5},
      {"0 view 10 0 0\n5 turn 0 10 0\n3 end turn\n", 6},  // an end before the start
      {"0 view 10 0 0\n5 turn 0 10 0\n", 7},              // unclosed: its end is 0
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.script);
    lists.RemoveAll();
    ResetDirector(director);
    Script(c.script);
    Block(0);
    Block(c.demoTime);
    EXPECT_NEAR(director.cameraAngles[kYaw], kQuarterTurn, 1e-4);
    EXPECT_NEAR(director.cameraAngles[kPitch], 0, 1e-4);
  }

  lists.RemoveAll();
  ResetDirector(director);
  Script("0 view 10 0 0\n5 pan 0 10 0\n5 end pan\n");
  Block(0);
  Block(5);
  ExpectPoint(director.lookAtPoint, {0, 10, 0});
  EXPECT_EQ(lists.view.Count(), 1);
}

TEST_F(DirectorTest, RollStandsAtZeroWithoutRollCommands) {
  Block(0);
  EXPECT_EQ(director.cameraAngles[kRoll], 0);  // whatever the source block carried
}

TEST_F(DirectorTest, LeanIsImmediateAndRollIsGradual) {
  Script("5 lean 30\n10 roll 0\n12 end roll\n");
  Block(5);
  EXPECT_EQ(director.cameraAngles[kRoll], 30);
  Block(6);
  EXPECT_EQ(director.cameraAngles[kRoll], 30);
  Block(11);
  EXPECT_EQ(director.cameraAngles[kRoll], 15);
  Block(12.5f);
  EXPECT_EQ(director.cameraAngles[kRoll], 0);
  EXPECT_TRUE(lists.roll.Empty());
}

TEST_F(DirectorTest, RollHalfWay) {
  Script("10 roll 30\n12 end roll\n");
  Block(11);
  EXPECT_EQ(director.cameraAngles[kRoll], 15);
  Block(12);
  EXPECT_EQ(director.cameraAngles[kRoll], 30);
  EXPECT_EQ(director.currentRoll, 0);
  Block(12.1f);
  EXPECT_EQ(director.currentRoll, 30);
}

TEST_F(DirectorTest, RollWhoseEndIsItsStartReachesItsAngleAtOnce) {
  Script("10 roll 30\n10 end roll\n");
  Block(10);
  EXPECT_EQ(director.cameraAngles[kRoll], 30);
  EXPECT_EQ(lists.roll.Count(), 1);
}

TEST_F(DirectorTest, EyesFreezeTheLookAtPointAndTakeTheEntitysAngles) {
  Script("0 view p\n");
  Player(0, 100, 0, 0);
  Block(0);
  Block(0.5f);
  SetEyes(director, 3);
  Player(0.8f, 500, 500, 500);
  Block(1);
  ExpectPoint(director.lookAtPoint, {100, 0, 0});     // not refreshed while eyes are in force
  EXPECT_NEAR(director.cameraAngles[kYaw], 0, 1e-4);  // but still looked at

  const bool all[3] = {true, true, true};
  EyesAngles(director, 2, {1, 2, 3}, all);
  EXPECT_NEAR(director.cameraAngles[kYaw], 0, 1e-4);
  EyesAngles(director, 3, {1, 2, 3}, all);
  EXPECT_EQ(director.cameraAngles, (Vec3{1, 2, 3}));
  const bool noYaw[3] = {true, false, true};
  EyesAngles(director, 3, {4, 5, 6}, noYaw);
  EXPECT_EQ(director.cameraAngles, (Vec3{4, 2, 6}));  // the missing yaw keeps its value
}

TEST_F(DirectorTest, EntityZeroNeverTakesTheCameraOver) {
  const bool all[3] = {true, true, true};
  director.cameraAngles = {1, 2, 3};
  EyesAngles(director, 0, {4, 5, 6}, all);
  EXPECT_EQ(director.cameraAngles, (Vec3{1, 2, 3}));
}

TEST_F(DirectorTest, ResetKeepsOnlyTheAngles) {
  Script("0 stay 1 2 3\n0 view 4 5 6\n0 lean 9\n");
  Block(0);
  SetEyes(director, 4);
  director.cameraAngles = {7, 8, 9};
  ResetDirector(director);
  EXPECT_EQ(director.cameraAngles, (Vec3{7, 8, 9}));
  EXPECT_EQ(director.cameraOrigin, (Vec3{0, 0, 0}));
  EXPECT_EQ(director.lookAtPoint, (Vec3{0, 0, 0}));
  EXPECT_EQ(director.cameraPlace, CCoord{});
  EXPECT_EQ(director.viewTarget, CCoord{});
  EXPECT_TRUE(director.viewFixed);
  EXPECT_FALSE(director.turning);
  EXPECT_EQ(director.currentRoll, 0);
  EXPECT_EQ(director.eyesEntity, 0);
}

}  // namespace
}  // namespace cw
