// camwright-cli info --at: the player or an entity at one moment, checked
// against what the demo builder put in and against a real demo's updates.

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

#include "console/console_front.h"
#include "console/exit_status.h"
#include "demo_builder.h"
#include "inspect/demo_moment.h"
#include "shared_demos.h"
#include "stream_fixture.h"
#include "strict_json.h"
#include "subcommand_test.h"

namespace cw {
namespace {

using test::DemoBuilder;
using test::EntityUpdate;
using test::MessageBytes;
using test::StrictJsonFault;

constexpr int kShotgun = 1, kShells = 256, kAxe = 4096, kGreenArmour = 8192;

EntityUpdate Update(int entity, std::optional<float> x, std::optional<float> y, std::optional<float> z) {
  EntityUpdate update;
  update.entity = entity;
  update.origin[0] = x;
  update.origin[1] = y;
  update.origin[2] = z;
  return update;
}

test::ServerInfo Level(const std::string& map) {
  return {15, 1, 0, "Hall", {map, "progs/player.mdl", "progs/soldier.mdl", "progs/v_shot.mdl"}, {}};
}

// Two levels. In the first the player walks from 0 0 24 to 30 40 24 in the
// first second, turning from yaw 90 to 100; it is left out at 3 s, so no line
// is drawn from 2 s to 4 s. The soldier e7 moves along x, its y and z those
// of its baseline. The second level has one place at 10 and 11 s.
std::string Demo() {
  test::ClientData data;
  data.items = kShotgun | kShells | kAxe | kGreenArmour;
  data.armor = 50;
  data.weapon = 4;
  data.health = 75;
  data.currentAmmo = 20;
  data.ammo[0] = 20;
  data.velocity[0] = 10;  // sixteenths: 160 units/s
  DemoBuilder demo;
  demo.Block(MessageBytes()
                 .ServerInfoMessage(Level("maps/hall.bsp"))
                 .SpawnBaseline({1, 2, 0, 0, 0, {0, 0, 0}, {0, 0, 0}})
                 .SpawnBaseline({7, 3, 0, 0, 0, {100, 200, 8}, {0, 0, 0}}));
  demo.Block(MessageBytes()
                 .Time(1)
                 .ClientDataMessage(data)
                 .EntityUpdateMessage(Update(1, 0, 0, 24))
                 .EntityUpdateMessage(Update(7, 100, {}, {})),
             {10, 90, 0});
  demo.Block(
      MessageBytes().Time(2).EntityUpdateMessage(Update(1, 30, 40, 24)).EntityUpdateMessage(Update(7, 160, {}, {})),
      {10, 100, 0});
  demo.Block(MessageBytes().Time(3).EntityUpdateMessage(Update(7, 200, {}, {})), {10, 100, 0});
  demo.Block(MessageBytes().Time(4).EntityUpdateMessage(Update(1, 60, 80, 24)), {10, 100, 0});
  demo.Block(MessageBytes().ServerInfoMessage(Level("maps/yard.bsp")));
  demo.Block(MessageBytes().Time(10).EntityUpdateMessage(Update(1, -64, 8, 0)));
  demo.Block(MessageBytes().Time(11).EntityUpdateMessage(Update(1, -64, 8, 0)));
  demo.Block(MessageBytes().Disconnect());
  return demo.Build();
}

class InfoAt : public test::SubcommandTest {
 protected:
  InfoAt() : SubcommandTest("info") {}
  void SetUp() override { dir.Write("hall.dem", Demo()); }
};

TEST_F(InfoAt, ThePlayerBetweenItsUpdatesWithItsState) {
  ASSERT_EQ(Run({"--at", "1.5", dir.Path("hall.dem")}), kExitDone) << errors;
  for (const char* piece :
       {"position         15 20 24\n", "angles           pitch 10, yaw 95, roll 0 (the player's view)",
        "velocity         160 0 0 (160 units/s)", "health           75\n", "armour           50 (green armour)",
        "weapon           shotgun (progs/v_shot.mdl)", "ammunition       20 shells (shells 20, nails 0",
        "items            shotgun, axe, green armour", "script           1.5 stay 15 20 24\n",
        "between its updates at 1.00 and 2.00 s"}) {
    ExpectHas(piece);
  }
  // Left out at 3 s: the place at 2 s stands until 4 s.
  ASSERT_EQ(Run({"--at=3.5", dir.Path("hall.dem")}), kExitDone);
  ExpectHas("position         30 40 24\n");
  ExpectHas("its update at 2.00 s (none in the frame after)");

  ASSERT_EQ(Run({"--json", "--at", "1.5", dir.Path("hall.dem")}), kExitDone);
  EXPECT_EQ(StrictJsonFault(output), "");
  ExpectHas("\"origin\":[15,20,24],\"angles\":[10,95,0],\"velocity\":[160,0,0],\"health\":75,\"armor\":50");
  ExpectHas("\"script\":\"1.5 stay 15 20 24\"");
}

TEST_F(InfoAt, AnEntityAndALevelAndTheEdgesOfTheClock) {
  ASSERT_EQ(Run({"--at", "1.5", "--entity", "e7", dir.Path("hall.dem")}), kExitDone) << errors;
  ExpectHas("position         130 200 8\n");  // y and z from the baseline
  ExpectHas("velocity         60 0 0 (60 units/s, from its updates)");
  EXPECT_EQ(output.find("health"), std::string::npos);
  ASSERT_EQ(Run({"--at", "10.5", "--level", "2", dir.Path("hall.dem")}), kExitDone) << errors;
  ExpectHas("level            2 of 2, maps/yard.bsp, 10.00 to 11.00 s");
  ExpectHas("10.5 stay -64 8 0");

  // Each end of the level's clock is in it; a hair outside is not.
  for (const char* time : {"1", "4"}) EXPECT_EQ(Run({"--at", time, dir.Path("hall.dem")}), kExitDone) << time;
  for (const char* time : {"0.99", "4.01"}) {
    EXPECT_EQ(Run({"--at", time, dir.Path("hall.dem")}), kExitRefused) << time;
    EXPECT_NE(errors.find("the level runs from 1.00 to 4.00 s"), std::string::npos) << errors;
  }
  EXPECT_EQ(Run({"--at", "10.5", "--level", "3", dir.Path("hall.dem")}), kExitRefused);
  EXPECT_NE(errors.find("the demo has 2 levels: there is no level 3"), std::string::npos) << errors;
  EXPECT_EQ(Run({"--at", "2", "--entity", "9", dir.Path("hall.dem")}), kExitRefused);
  EXPECT_NE(errors.find("e9 has no update in level 1"), std::string::npos) << errors;
  EXPECT_EQ(Run({"--json", "--at", "2", "--entity", "9", dir.Path("hall.dem")}), kExitRefused);
  EXPECT_EQ(StrictJsonFault(output), "");
  ExpectHas("\"error\":\"e9 has no update in level 1\"");
}

TEST_F(InfoAt, MistakesInTheWordsAreRefused) {
  const std::pair<std::vector<std::string>, const char*> mistakes[] = {
      {{"--at", "x"}, "option '--at' needs a time in seconds, not 'x'"},
      {{"--at", "1", "--timeline"}, "ask one question at a time"},
      {{"--at", "1", "--entities"}, "ask one question at a time"},
      {{"--level", "1"}, "option '--level' goes with '--at' or '--timeline'"},
      {{"--at", "1", "--level", "0"}, "needs a level number from 1, not '0'"},
      {{"--at", "1", "--level", "1.5"}, "needs a level number from 1, not '1.5'"},
      {{"--timeline", "--entity", "1"}, "option '--entity' goes with '--at'"},
      {{"--at", "1", "--entity", "0"}, "needs an entity number from 1 to"},
      {{"--at", "1", "--entity", "e"}, "needs an entity number from 1 to"},
      {{"--at", "1", "--entity", "e32768"}, "needs an entity number from 1 to"},
  };
  for (const auto& [words, mistake] : mistakes) {
    std::vector<std::string> line = words;
    line.push_back(dir.Path("hall.dem"));
    EXPECT_EQ(Run(line), kExitRefused) << words[0];
    EXPECT_NE(errors.find(mistake), std::string::npos) << errors;
    EXPECT_EQ(output, "");
  }
  EXPECT_EQ(Run({"--at", "1", dir.Path("none.dem")}), kExitRefused);
  EXPECT_NE(errors.find("doesn't exist"), std::string::npos) << errors;
}

// Coordinates that are no number, and a map name with a terminal's escape:
// null in JSON, "?" and no script line in text, the escape shown as \x1b.
TEST_F(InfoAt, AHostileDemoGivesNoNumberAndNoEscape) {
  const test::Encoding floats{test::wire::kRmq, test::wire::kFloatCoord};
  test::ServerInfo info{test::wire::kRmq, 1, 0, "Hall", {"maps/\x1b[2J.bsp"}, {}};
  info.flags = test::wire::kFloatCoord;
  DemoBuilder demo;
  demo.Block(MessageBytes(floats).ServerInfoMessage(info));
  demo.Block(MessageBytes(floats).Time(1).EntityUpdateMessage(Update(1, NAN, 0, INFINITY)));
  dir.Write("nan.dem", demo.Build());
  ASSERT_EQ(Run({"--at", "1", dir.Path("nan.dem")}), kExitDone) << errors;
  ExpectHas("maps/\\x1b[2J.bsp");
  ExpectHas("position         ? 0 ?\n");
  ExpectHas("script           none: a coordinate is no number");
  EXPECT_EQ(output.find('\x1b'), std::string::npos);
  ASSERT_EQ(Run({"--json", "--at", "1", dir.Path("nan.dem")}), kExitDone);
  EXPECT_EQ(StrictJsonFault(output), "");
  ExpectHas("\"origin\":[null,0,null]");
  ExpectHas("\"script\":null");
}

// The player's updates in a real demo, read here on their own: each place
// at its update's time, and the middle of two updates of frames in a row.
struct PlayerUpdates : PassHandler {
  struct Place {
    float time;
    int frame;
    Vec3 at;
  };
  void Time(int start, float seconds) {
    PassHandler::Time(start, seconds);
    now = seconds;
    ++frame;
  }
  void SpawnBaseline(int start, const BaselineFields& baseline) {
    PassHandler::SpawnBaseline(start, baseline);
    if (baseline.entity == 1) base = baseline.origin;
  }
  void EntityUpdate(int start, const EntityUpdateFields& update) {
    PassHandler::EntityUpdate(start, update);
    if (update.entity != 1 || frame == 0) return;
    Vec3 at = base;
    for (std::size_t axis = 0; axis < 3; ++axis) {
      if (update.originPresent[axis]) at[axis] = update.origin[axis];
    }
    places.push_back({now, frame, at});
  }
  float now = 0;
  int frame = 0;
  Vec3 base{0, 0, 0};
  std::vector<Place> places;
};

TEST(InfoAtRealDemo, MatchesThePlayersUpdatesWithinOneUnit) {
  CW_REQUIRE_SHARED_DEMOS();
  const std::string path = test::SharedDemoDir() + "/qfm_e1m3.dem";
  PlayerUpdates updates;
  const PassOutcome outcome = PassDemo(path, updates);
  ASSERT_TRUE(outcome.openError.empty());
  const auto& places = updates.places;
  ASSERT_GT(places.size(), 100u);
  int checked = 0;
  for (std::size_t i = places.size() / 10; i + 1 < places.size(); i += places.size() / 7) {
    const auto& [time, frame, at] = places[i];
    const auto& next = places[i + 1];
    SCOPED_TRACE(time);
    const Moment atUpdate = ReadMoment(path, {time, 1, 0});
    ASSERT_EQ(atUpdate.problem, "");
    for (std::size_t axis = 0; axis < 3; ++axis) EXPECT_NEAR(atUpdate.origin[axis], at[axis], 1.0f);
    if (next.frame != frame + 1) continue;
    const Moment between = ReadMoment(path, {(time + next.time) / 2, 1, 0});
    for (std::size_t axis = 0; axis < 3; ++axis) {
      EXPECT_NEAR(between.origin[axis], (at[axis] + next.at[axis]) / 2, 1.0f);
    }
    ++checked;
  }
  EXPECT_GE(checked, 4);
}

}  // namespace
}  // namespace cw
