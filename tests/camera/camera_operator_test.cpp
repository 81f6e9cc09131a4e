// The camera operator's words as a viewer sees them: where the camera is at
// each time, how smoothly it gets there, how far it keeps from whom it
// follows, and how far it turns between moments.

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "base/entity_table.h"
#include "camera/command.h"
#include "camera/coord.h"
#include "camera/director.h"
#include "camera/script_check.h"
#include "script_reading.h"

namespace cw {
namespace {

constexpr float kBlock = 0.05f;

float Distance(const Vec3& a, const Vec3& b) { return std::hypot(a[0] - b[0], a[1] - b[1], a[2] - b[2]); }

float AngleStep(float from, float to) {
  const float step = std::fmod(std::fabs(to - from), 360.0f);
  return step > 180 ? 360 - step : step;
}

class OperatorTest : public ::testing::Test {
 protected:
  void Script(const std::string& text) {
    lists.RemoveAll();
    ResetDirector(director);
    test::ReadScript(text, lists, *entities);
  }
  // Blocks every 50 ms from `from` to `to`; the camera's place at each.
  std::vector<Vec3> Film(float from, float to) {
    std::vector<Vec3> places;
    for (float block = 0; from + block * kBlock <= to + 1e-4f; ++block) {
      CameraStep(director, lists, *entities, from + block * kBlock);
      places.push_back(director.cameraOrigin);
    }
    return places;
  }
  // The player runs from `from` to `to` between the two times, a point a block.
  void Run(float start, float end, const Vec3& from, const Vec3& to) {
    for (float time = start; time <= end + 1e-4f; time += kBlock) {
      const float f = (time - start) / (end - start);
      entities->AddTrackPoint(1, time, from[0] + (to[0] - from[0]) * f, from[1] + (to[1] - from[1]) * f,
                              from[2] + (to[2] - from[2]) * f);
    }
  }
  Vec3 PlayerAt(float time) const {
    const TrackPoint* point = entities->Track(1)->At(time);
    return {point->x, point->y, point->z};
  }

  DirectorState director;
  CommandLists lists;
  std::unique_ptr<EntityTable> entities = std::make_unique<EntityTable>();
};

// The velocity over each 0.1 s window, from places a block apart.
std::vector<Vec3> WindowVelocities(const std::vector<Vec3>& places) {
  std::vector<Vec3> velocities;
  for (std::size_t i = 2; i < places.size(); i += 2) {
    Vec3 velocity{};
    for (std::size_t axis = 0; axis < 3; ++axis) velocity[axis] = (places[i][axis] - places[i - 2][axis]) / 0.1f;
    velocities.push_back(velocity);
  }
  return velocities;
}

TEST_F(OperatorTest, AGlidePassesItsKeyframesOnASmoothPathFromRestToRest) {
  Script("0 stay 5 5 5\n2 glide 0 0 0\n4 glide 400 0 0\n6 glide 400 400 100\n8 glide 0 400 0\n12 stay 1 1 1\n");
  const std::vector<Vec3> places = Film(0, 12);
  auto at = [&](float time) { return places[static_cast<std::size_t>(std::lround(time / kBlock))]; };
  EXPECT_LT(Distance(at(1.95f), {5, 5, 5}), 1e-3);  // the glide cuts in at its time
  const Vec3 keyframes[] = {{0, 0, 0}, {400, 0, 0}, {400, 400, 100}, {0, 400, 0}};
  for (int index = 0; index < 4; ++index)
    EXPECT_LT(Distance(at(2.0f + 2.0f * static_cast<float>(index)), keyframes[index]), 1) << index;
  EXPECT_LT(Distance(at(11.95f), {0, 400, 0}), 1e-3);  // it stays at the last until the next position
  EXPECT_LT(Distance(at(12), {1, 1, 1}), 1e-3);

  const std::vector<Vec3> path(places.begin() + 40, places.begin() + 161);  // 2 s to 8 s
  const std::vector<Vec3> velocities = WindowVelocities(path);
  float length = 0;
  for (std::size_t i = 1; i < path.size(); ++i) length += Distance(path[i - 1], path[i]);
  const float mean = length / 6;
  float worst = 0;
  for (std::size_t i = 1; i < velocities.size(); ++i)
    worst = std::max(worst, Distance(velocities[i - 1], velocities[i]));
  EXPECT_LT(worst, 0.3f * mean);
  EXPECT_LT(Distance(velocities.front(), {0, 0, 0}), 0.2f * mean);  // eased in and out
  EXPECT_LT(Distance(velocities.back(), {0, 0, 0}), 0.2f * mean);
}

TEST_F(OperatorTest, AGlideKeyframeAtAnEntityMeetsItWhereItIsThen) {
  Script("1 glide 0 300 200\n3 glide p+64 p p+48\n5 glide 0 -300 200\n");
  Run(0, 6, {0, 0, 0}, {600, 0, 0});
  const std::vector<Vec3> places = Film(1, 5);
  EXPECT_LT(Distance(places[40], {300 + 64, 0, 48}), 1);
}

TEST_F(OperatorTest, ASweepTurnsTheShortWayAcrossTheSeam) {
  // Behind the camera, 4 degrees either side of the seam at 180 and back.
  Script("0 stay 0 0 0\n0 view -500 20 0\n1 sweep -500 20 0\n3 sweep -500 -20 0\n5 sweep -500 20 0\n");
  float turned = 0;
  float previous = 0;
  for (float time = 1.05f; time <= 5.5f; time += kBlock) {
    CameraStep(director, lists, *entities, time);
    if (time > 1.1f) turned += AngleStep(previous, director.cameraAngles[kYaw]);
    previous = director.cameraAngles[kYaw];
  }
  EXPECT_NEAR(turned, 2 * 4.58f, 0.5f);  // not a turn of hundreds of degrees
  EXPECT_NEAR(AngleStep(director.cameraAngles[kYaw], LookAtYaw({-500, 20, 0}, {0, 0, 0})), 0, 1e-2);
}

// The player runs east, turns round, runs north, then stands.
TEST_F(OperatorTest, AFollowKeepsItsDistanceSwingsRoundAndStandsWhenThePlayerStands) {
  Script("0 follow p 120 40\n");
  Run(0, 3, {0, 0, 0}, {960, 0, 0});
  Run(3.05f, 5, {955, 0, 0}, {340, 0, 0});  // turned round
  Run(5.05f, 7, {340, 5, 0}, {340, 600, 0});
  Run(7.05f, 12, {340, 600, 0}, {340, 600, 0});
  const std::vector<Vec3> places = Film(0, 12);
  int moving = 0;
  int kept = 0;
  float previousYaw = 0;
  float worstYawStep = 0;
  for (std::size_t i = 0; i < places.size(); ++i) {
    const float time = static_cast<float>(i) * kBlock;
    const float ratio = Distance(places[i], PlayerAt(time)) / std::hypot(120.0f, 40.0f);
    if (time < 7) {
      ++moving;
      kept += ratio >= 0.5f && ratio <= 1.5f;
    }
    if (i % 2 == 0) {  // 0.1 s windows
      const float yaw = LookAtYaw(PlayerAt(time), places[i]);
      if (i > 0) worstYawStep = std::max(worstYawStep, AngleStep(previousYaw, yaw));
      previousYaw = yaw;
    }
  }
  EXPECT_GE(kept, moving * 95 / 100);
  EXPECT_LE(worstYawStep, 30);
  // Behind the player's way north: south of him.
  EXPECT_LT(places[140][1], 600 - 60);
  EXPECT_LT(Distance(places[200], places[240]), 1);  // standing: so does the camera
}

TEST_F(OperatorTest, AFollowNeverStandsNearlyAboveTheEntity) {
  Script("0 follow p 10 200\n");
  Run(0, 2, {0, 0, 0}, {0, 0, 0});
  const Vec3 place = Film(0, 2).back();
  EXPECT_GE(std::atan2(std::hypot(place[0], place[1]), place[2]) * 180 / 3.14159265f, 30 - 1e-3);
}

TEST_F(OperatorTest, AnOrbitKeepsItsRadiusAndRateEitherWayRound) {
  for (const float seconds : {4.0f, -4.0f}) {
    SCOPED_TRACE(seconds);
    std::ostringstream script;
    script << "0 stay 0 300 0\n1 orbit p 200 64 " << seconds << "\n";
    Script(script.str());
    Run(0, 10, {0, 0, 0}, {800, 0, 0});
    const std::vector<Vec3> places = Film(0, 10);
    double turned = 0;
    for (std::size_t i = 40; i + 1 < places.size(); ++i) {  // from 2 s, past the easing in
      const float time = static_cast<float>(i) * kBlock;
      const Vec3 player = PlayerAt(time);
      EXPECT_NEAR(std::hypot(places[i][0] - player[0], places[i][1] - player[1]), 200, 20) << time;
      EXPECT_NEAR(places[i][2] - player[2], 64, 1);
      const Vec3 next = PlayerAt(time + kBlock);
      const double from = std::atan2(places[i][1] - player[1], places[i][0] - player[0]);
      const double to = std::atan2(places[i + 1][1] - next[1], places[i + 1][0] - next[0]);
      turned += std::remainder(to - from, 2 * 3.14159265358979);
    }
    const double rate = turned * 180 / 3.14159265358979 / (10 - 2);
    EXPECT_NEAR(rate, 360 / seconds, 36 / std::fabs(seconds));
  }
}

TEST(OperatorCheck, TheNewWordsMistakes) {
  std::istringstream in(
      "1 glide 0 0 0\n2 stay p\n3 sweep p\n4 sweep 1 1 1\n3.5 sweep 2 2 2\n5 follow q 1 2\n6 orbit p 100 0 0\n"
      "7 follow p -5 2\n8 follow p 100\n9 orbit e2 100 10 4 x\n");
  const ScriptCheck check = CheckScript(in);
  std::string all;
  for (const ScriptFinding& finding : check.findings) all += std::to_string(finding.line) + ": " + finding.text + "\n";
  for (const char* expected : {"1: a glide alone is no curve", "5: the sweep at 3.5 is not after the sweep of line 4",
                               "6: the entity 'q' is neither p nor eN", "7: the seconds of a turn '0' is 0",
                               "8: the distance '-5' is not above 0", "9: 'follow' needs an entity",
                               "10: 'x' after the orbit's numbers is ignored"}) {
    EXPECT_NE(all.find(expected), std::string::npos) << expected << "\n" << all;
  }
  EXPECT_EQ(all.find("3: "), std::string::npos) << all;
}

}  // namespace
}  // namespace cw
