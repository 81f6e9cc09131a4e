#include "camera/director.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "base/entity_table.h"
#include "camera/command.h"
#include "camera/coord.h"
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
  void Script(const std::string& text) {
    lists.RemoveAll();
    ResetDirector(director);
    test::ReadScript(text, lists, *entities);
  }
  // The camera step, after the block reader has filled in the source angles.
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
  float Yaw() const { return director.cameraAngles[kYaw]; }

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
  EXPECT_EQ(director.cameraAngles, (Vec3{expected[kPitch], expected[kYaw], 0}));

  Player(10.5f, 300, 300, 300);  // with the lists empty the camera still follows
  Block(10.8f);
  ExpectPoint(director.cameraOrigin, {300, 300, 330});
  ExpectPoint(director.lookAtPoint, {300, 300, 300});
}

TEST_F(DirectorTest, OneCommandPerListAndBlockInListOrder) {
  Script("0 view p\n0 view e1\n0 stay 1 1 1\n5 stay 2 2 2\n3 stay 3 3 3\n");
  Block(0);
  EXPECT_EQ(lists.view.Count(), 1);
  ExpectPoint(director.cameraOrigin, {1, 1, 1});  // a stay places the camera in its own block
  Block(4);
  EXPECT_TRUE(lists.view.Empty());
  ExpectPoint(director.cameraOrigin, {1, 1, 1});  // the 3 waits behind the 5
  Block(5);
  ExpectPoint(director.cameraOrigin, {2, 2, 2});
  Block(5);
  ExpectPoint(director.cameraOrigin, {3, 3, 3});
}

TEST_F(DirectorTest, Moves) {
  struct Case {
    std::string name, script;
    float demoTime;
    Vec3 origin;
    bool taken;
  };
  const Case cases[] = {
      {"quarter way", "0 stay 0 0 0\n10 move 100 200 -40\n14 end move\n", 11, {25, 50, -10}, false},
      {"first move from the origin", "10 move 100 200 -40\n14 end move\n", 12, {50, 100, -20}, false},
      {"at its end", "0 stay 0 0 0\n10 move 100 200 -40\n14 end move\n", 14, {100, 200, -40}, false},
      {"over", "0 stay 0 0 0\n10 move 100 200 -40\n14 end move\n", 15, {100, 200, -40}, true},
      {"unclosed: a cut", "0 stay 0 0 0\n5 move 100 0 0\n", 5, {100, 0, 0}, true},
      {"end equals start", "0 stay 7 7 7\n5 move 100 0 0\n5 end move\n", 5, {7, 7, 7}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Script(c.script);
    Block(0);
    Block(c.demoTime);
    ExpectPoint(director.cameraOrigin, c.origin);
    EXPECT_EQ(lists.position.Empty(), c.taken);
  }
}

TEST_F(DirectorTest, NowAxesOfStayAndMove) {
  Script("0 stay 10 20 30\n1 stay now now+50 now\n");
  Block(0);
  Block(1);
  Block(2);
  ExpectPoint(director.cameraOrigin, {10, 20, 30});  // a stay never adds the offset

  Script("0 stay 10 20 30\n1 move now now+50 now\n3 end move\n");
  Block(0);
  Block(1);
  ExpectPoint(director.cameraOrigin, {10, 20, 30});
  Block(2);
  ExpectPoint(director.cameraOrigin, {10, 45, 30});  // measured from where the move began
  Block(3.5f);
  ExpectPoint(director.cameraOrigin, {10, 70, 30});

  // A "now" axis of the start point takes the origin as the place step left it.
  Script("0 stay 10 20 30\n1 stay now now now\n2 move 100 20 30\n4 end move\n");
  Block(0);
  Block(1);
  Block(2);
  ExpectPoint(director.cameraOrigin, {10, 20, 30});
  Block(3);
  ExpectPoint(director.cameraOrigin, {55, 20, 30});
}

TEST_F(DirectorTest, ViewsWithNowAxes) {
  // A "now" x freezes the whole target where the camera looked, plus offsets.
  Script("0 view 5 6 7\n1 view now+1 p p\n");
  Player(0, 100, 100, 100);
  Block(0);
  Block(1);
  EXPECT_NEAR(Yaw(), 50.2f, 0.1f);  // the new view counts from the next block
  Player(1.5f, 200, 200, 200);
  Block(2);
  ExpectPoint(director.lookAtPoint, {6, 6, 7});

  // A "now" z keeps the look-at point's z and never adds its offset.
  Script("0 view 5 6 7\n1 view p p now+50\n");
  Block(0);
  Block(1);
  Block(2);
  ExpectPoint(director.lookAtPoint, {200, 200, 7});
}

TEST_F(DirectorTest, PanMovesTheLookAtPointAndTheViewFollowsABlockLater) {
  Script("0 view 10 0 0\n2 pan 0 10 0\n4 end pan\n");
  Block(0);
  Camera(3);
  ExpectPoint(director.lookAtPoint, {5, 5, 0});
  EXPECT_NEAR(Yaw(), 0, 1e-4);                  // still toward the old point
  EXPECT_EQ(director.cameraAngles[kRoll], 10);  // until the roll step
  RollStep(director, lists.roll, 3);
  EXPECT_EQ(director.cameraAngles[kRoll], 0);
  Block(3.5f);
  EXPECT_NEAR(Yaw(), kQuarterTurn / 2, 1e-3);
  Block(4.5f);
  EXPECT_TRUE(lists.view.Empty());
  Block(5);
  ExpectPoint(director.lookAtPoint, {0, 10, 0});

  Script("2 pan 10 0 0\n4 end pan\n");  // the first pan starts from the origin
  Block(3);
  ExpectPoint(director.lookAtPoint, {5, 0, 0});

  // "now" axes of pan targets take the look-at point's value.
  Script("0 view 10 20 30\n1 view 0 0 now\n2 pan 0 40 0\n4 end pan\n");
  Block(0);
  Block(1);
  Block(1.5f);
  Block(3);
  ExpectPoint(director.lookAtPoint, {0, 20, 15});
}

TEST_F(DirectorTest, TurnSweepsTheAnglesAndNoBlockShowsTheSourceAngles) {
  Script("0 view 10 0 7\n1 turn 0 10 0\n3 end turn\n");
  Block(0);  // the view is looked at from the next block on
  for (const float time : {0.5f, 1.0f, 1.5f, 2.0f, 2.5f, 3.0f, 3.5f, 4.0f}) {
    SCOPED_TRACE("demo time " + std::to_string(time));
    Block(time);
    EXPECT_NE(director.cameraAngles[kPitch], kSourceAngles[kPitch]);
    EXPECT_EQ(director.cameraAngles[kRoll], 0);
    const float expectedYaw = time <= 1 ? 0 : time >= 3 ? kQuarterTurn : (time - 1) / 2 * kQuarterTurn;
    EXPECT_NEAR(Yaw(), expectedYaw, 1e-3);
    if (time == 2) {
      // Halfway, the pitch too: from atan2(-7, 10) toward the end's 0.
      EXPECT_NEAR(director.cameraAngles[kPitch], -17.5049f, 1e-3);
      // While it runs, the look-at point's x and y hold the end angles.
      ExpectPoint(director.lookAtPoint, {0, kQuarterTurn, 7});
    }
  }
  EXPECT_TRUE(lists.view.Empty());
  ExpectPoint(director.lookAtPoint, {0, 10, 0});

  // Yaw is a plain number: across the seam the sweep goes the long way.
  Script("0 view -10 -1 0\n1 turn -10 1 0\n3 end turn\n");
  Block(0);
  Block(2);
  EXPECT_NEAR(Yaw(), 0, 1e-2);
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
    Script(c.script);
    Block(0);
    Block(c.demoTime);
    EXPECT_NEAR(Yaw(), kQuarterTurn, 1e-4);
  }

  Script("0 view 10 0 0\n5 pan 0 10 0\n5 end pan\n");
  Block(0);
  Block(5);
  ExpectPoint(director.lookAtPoint, {0, 10, 0});
  EXPECT_EQ(lists.view.Count(), 1);

  Script("10 roll 30\n10 end roll\n");
  Block(10);
  EXPECT_EQ(director.cameraAngles[kRoll], 30);
  EXPECT_EQ(lists.roll.Count(), 1);
}

TEST_F(DirectorTest, LeanIsImmediateAndRollIsGradual) {
  Script("1 lean 30\n2 lean 0\n10 roll 30\n12 end roll\n");
  Block(0);
  EXPECT_EQ(director.cameraAngles[kRoll], 0);  // whatever the source block carried
  Block(1);
  EXPECT_EQ(director.cameraAngles[kRoll], 30);
  Block(1.5f);
  EXPECT_EQ(director.cameraAngles[kRoll], 30);  // a lean holds for the blocks after it
  Block(2);
  EXPECT_EQ(director.cameraAngles[kRoll], 0);
  Block(11);
  EXPECT_EQ(director.cameraAngles[kRoll], 15);
  Block(12.5f);
  EXPECT_EQ(director.cameraAngles[kRoll], 30);
  EXPECT_EQ(director.currentRoll, 30);
  EXPECT_TRUE(lists.roll.Empty());
}

TEST_F(DirectorTest, EyesFreezeTheLookAtPointAndTakeTheEntitysAngles) {
  Script("0 view p\n");
  Player(0, 100, 0, 0);
  Block(0);
  Block(0.5f);
  SetEyes(director, 3);
  Player(0.8f, 500, 500, 500);
  Block(1);
  ExpectPoint(director.lookAtPoint, {100, 0, 0});  // not refreshed while eyes are in force
  EXPECT_NEAR(Yaw(), 0, 1e-4);                     // but still looked at

  const bool all[3] = {true, true, true};
  const bool noYaw[3] = {true, false, true};
  EyesAngles(director, 2, {1, 2, 3}, all);
  EXPECT_NEAR(Yaw(), 0, 1e-4);
  EyesAngles(director, 3, {1, 2, 3}, all);
  EXPECT_EQ(director.cameraAngles, (Vec3{1, 2, 3}));
  EyesAngles(director, 3, {4, 5, 6}, noYaw);
  EXPECT_EQ(director.cameraAngles, (Vec3{4, 2, 6}));  // the missing yaw keeps its value

  SetEyes(director, 0);  // no eyes: entity 0 must not take the camera over
  EyesAngles(director, 0, {7, 8, 9}, all);
  EXPECT_EQ(director.cameraAngles, (Vec3{4, 2, 6}));
}

TEST_F(DirectorTest, ResetKeepsOnlyTheAngles) {
  Script("0 stay 1 2 3\n0 view 4 5 6\n0 lean 9\n");
  Block(0);
  SetEyes(director, 4);
  const Vec3 angles = director.cameraAngles;
  ResetDirector(director);
  const DirectorState fresh;
  EXPECT_EQ(director.cameraAngles, angles);
  EXPECT_EQ(director.cameraOrigin, fresh.cameraOrigin);
  EXPECT_EQ(director.cameraPlace, fresh.cameraPlace);
  EXPECT_EQ(director.viewTarget, fresh.viewTarget);
  EXPECT_EQ(director.currentRoll, 0);
  EXPECT_EQ(director.eyesEntity, 0);
}

}  // namespace
}  // namespace cw
