#include "camera/coord.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "base/entity_table.h"

namespace cw {
namespace {

struct Axis {
  float lag;
  int entity;
  float offset;
};

void ExpectAxis(const CCoord& coord, std::size_t i, const Axis& expected) {
  SCOPED_TRACE("axis " + std::to_string(i));
  EXPECT_FLOAT_EQ(coord.lag[i], expected.lag);
  EXPECT_EQ(coord.entity[i], expected.entity);
  EXPECT_FLOAT_EQ(coord.offset[i], expected.offset);
}

TEST(ParseCoord, OneTokenStandsForAllThreeAxes) {
  struct Case {
    std::string text;
    Axis axis;
  };
  const Case cases[] = {
      {"150", {0, 0, 150}},
      {"-200", {0, 0, -200}},
      {"now", {0, kAxisNow, 0}},
      {"p", {0, 1, 0}},
      {"e1", {0, 1, 0}},
      {"e7", {0, 7, 0}},
      {"e449", {0, 449, 0}},
      {"e838", {0, 838, 0}},
      {"e32767", {0, 32767, 0}},
      {"p~0.3", {0.3f, 1, 0}},
      {"p+30", {0, 1, 30}},
      {"e7-64", {0, 7, -64}},
      {"now+50", {0, kAxisNow, 50}},
      {"nearly+50", {0, kAxisNow, 50}},  // a head beginning with n is "now"
      {"e12~2", {2, 12, 0}},
      {"p~0.3+30", {0.3f, 1, 0}},  // one modifier: the +30 is not read
      {"+30", {0, 0, 30}},         // no head: a fixed coordinate
      {"~2", {2, 0, 0}},
      {"1e3", {0, 0, 1000}},
      {"0x10", {0, 0, 0}},  // decimal only: reads the 0
      {"inf", {0, 0, 0}},
      {"nan", {0, 0, 0}},
      {"abc", {0, 0, 0}},
      {"e", {0, 0, 0}},
      {"Now", {0, 0, 0}},  // words are case-sensitive
      {"", {0, 0, 0}},
      // Entity numbers no entity message can carry name no entity.
      {"e32768", {0, 0, 0}},
      {"e99999999999", {0, 0, 0}},
      {"e32768+5", {0, 0, 5}},
      {"e40000~1", {1, 0, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("text \"" + c.text + "\"");
    auto entities = std::make_unique<EntityTable>();
    const CCoord coord = ParseCoord(c.text, *entities);
    for (std::size_t i = 0; i < 3; ++i) ExpectAxis(coord, i, c.axis);
  }
}

TEST(ParseCoord, TokensAreXYZ) {
  struct Case {
    std::string text;
    Axis x, y, z;
  };
  const Case cases[] = {
      {"100 -200 now", {0, 0, 100}, {0, 0, -200}, {0, kAxisNow, 0}},
      {"p~0.3 p~0.3 p+30", {0.3f, 1, 0}, {0.3f, 1, 0}, {0, 1, 30}},
      {"10 20", {0, 0, 10}, {0, 0, 20}, {0, 0, 0}},   // the missing z is the fixed 0
      {"10  30", {0, 0, 10}, {0, 0, 0}, {0, 0, 30}},  // an empty token is the fixed 0
      {" 10 20", {0, 0, 0}, {0, 0, 10}, {0, 0, 20}},
      {"1 2 3 4 5", {0, 0, 1}, {0, 0, 2}, {0, 0, 3}},  // text after z is ignored
      {"p ", {0, 1, 0}, {0, 0, 0}, {0, 0, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("text \"" + c.text + "\"");
    auto entities = std::make_unique<EntityTable>();
    const CCoord coord = ParseCoord(c.text, *entities);
    ExpectAxis(coord, 0, c.x);
    ExpectAxis(coord, 1, c.y);
    ExpectAxis(coord, 2, c.z);
  }
}

TEST(ParseCoord, MarksTheEntitiesItNamesForTracking) {
  auto entities = std::make_unique<EntityTable>();
  ParseCoord("e7-64 p now", *entities);
  EXPECT_TRUE(entities->IsReferenced(7));
  EXPECT_TRUE(entities->IsReferenced(1));
  EXPECT_EQ(entities->ReferencedCount(), 2);

  auto untouched = std::make_unique<EntityTable>();
  ParseCoord("e0 e32768 now+5", *untouched);
  EXPECT_EQ(untouched->ReferencedCount(), 0);
}

class EvaluateTest : public ::testing::Test {
 protected:
  void AddPoint(int entity, float time, float x, float y, float z) {
    entities->Reference(entity);
    entities->AddTrackPoint(entity, time, x, y, z);
  }
  Vec3 At(const std::string& text, float demoTime, Vec3 point = {-1, -2, -3}) {
    Evaluate(ParseCoord(text, *entities), point, *entities, demoTime);
    return point;
  }
  std::unique_ptr<EntityTable> entities = std::make_unique<EntityTable>();
};

TEST_F(EvaluateTest, LagPicksTheNewestSampleNotLaterThanTheTimeLookedAt) {
  AddPoint(1, 9.6f, 1, 2, 3);
  AddPoint(1, 9.9f, 4, 5, 6);
  AddPoint(1, 10, 7, 8, 9);
  const Vec3 point = At("p~0.3 p~0.3 p+30", 10);
  EXPECT_FLOAT_EQ(point[0], 1);  // x and y from the sample of 9.6
  EXPECT_FLOAT_EQ(point[1], 2);
  EXPECT_FLOAT_EQ(point[2], 39);  // z from the sample of 10, plus 30
}

TEST_F(EvaluateTest, NoSampleLeavesTheOffsetAlone) {
  AddPoint(1, 1, 50, 50, 50);
  AddPoint(1, 5, 60, 60, 60);
  EXPECT_EQ(At("p~20", 5), (Vec3{0, 0, 0}));          // reaches back before the first sample
  EXPECT_EQ(At("e7+100", 5), (Vec3{100, 100, 100}));  // an empty trajectory
  EXPECT_EQ(At("p", 0.5f), (Vec3{0, 0, 0}));          // every sample is later
}

TEST_F(EvaluateTest, NowAxisKeepsTheCallersValue) {
  AddPoint(1, 0, 7, 8, 9);
  EXPECT_EQ(At("now p+1 now+50", 1, {10, 20, 30}), (Vec3{10, 9, 30}));
}

TEST_F(EvaluateTest, TracksOnlyReferencedEntities) {
  entities->AddTrackPoint(3, 0, 7, 8, 9);  // no coordinate named entity 3
  CCoord coord;
  coord.entity = {3, 3, 3};
  Vec3 point{};
  Evaluate(coord, point, *entities, 1);
  EXPECT_EQ(point, (Vec3{0, 0, 0}));
}

TEST_F(EvaluateTest, EntitiesWithoutATrajectoryAreFixed) {
  CCoord coord;
  coord.entity = {600, -7, 40000};
  coord.offset = {1, 2, 3};
  Vec3 point{};
  Evaluate(coord, point, *entities, 1);
  EXPECT_EQ(point, (Vec3{1, 2, 3}));
}

TEST(LookAt, AnglesUseTheFactorOf180Over314) {
  struct Case {
    std::string name;
    Vec3 towardTarget;
    float pitch, yaw;
  };
  const Case cases[] = {
      {"along +x", {10, 0, 0}, 0, 0},
      {"along +y", {0, 10, 0}, 0, 90.0456f},
      {"along -y", {0, -10, 0}, 0, -90.0456f},
      {"along -x", {-10, 0, 0}, 0, -180.0913f},
      {"below", {0, 0, -10}, 90.0456f, -180.0913f},
      {"above", {0, 0, 10}, -90.0456f, -180.0913f},
      {"same point", {0, 0, 0}, 0, -180.0913f},
  };
  const Vec3 camera{100, -200, 50};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Vec3 target{camera[0] + c.towardTarget[0], camera[1] + c.towardTarget[1], camera[2] + c.towardTarget[2]};
    Vec3 angles{5, 5, 7};
    LookAt(target, camera, angles);
    EXPECT_NEAR(angles[kPitch], c.pitch, 1e-4);
    EXPECT_NEAR(angles[kYaw], c.yaw, 1e-4);
    EXPECT_EQ(angles[kRoll], 7);  // the roll is not written
  }
}

}  // namespace
}  // namespace cw
