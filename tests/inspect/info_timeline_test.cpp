// camwright-cli info --timeline: a demo's events at their times, checked
// against what the demo builder put in and against the messages of the
// real demos.

#include <gtest/gtest.h>

#include <sstream>

#include "console/console_front.h"
#include "console/exit_status.h"
#include "demo_builder.h"
#include "shared_demos.h"
#include "stream_fixture.h"
#include "strict_json.h"
#include "subcommand_test.h"

namespace cw {
namespace {

using test::DemoBuilder;
using test::MessageBytes;
using test::StrictJsonFault;

constexpr int kShotgun = 1, kRocketLauncher = 32, kAxe = 4096, kQuad = 1 << 22;

test::ClientData Player(int health, std::int32_t items, int rockets = 0) {
  test::ClientData data;
  data.health = health;
  data.items = items;
  data.ammo[2] = rockets;
  return data;
}

// Level 1: two monsters and a secret to find; the player picks up a rocket
// launcher with 5 rockets and a bonus flash, takes 13 damage, reads a
// centerprint sent twice within its 2 s on screen, finds the secret, loses
// the quad, kills twice and dies; then the intermission. Level 2: one kill.
std::string Demo() {
  const std::int32_t start = kShotgun | kAxe | kQuad;
  DemoBuilder demo;
  demo.Block(MessageBytes()
                 .ServerInfoMessage({15, 1, 0, "The Hall", {"maps/hall.bsp"}, {}})
                 .UpdateStat(12, 2)
                 .UpdateStat(11, 1));
  demo.Block(MessageBytes().Time(1).ClientDataMessage(Player(100, start)));
  demo.Block(MessageBytes().Time(2).StuffText("bf\n").ClientDataMessage(Player(100, start | kRocketLauncher, 5)));
  demo.Block(MessageBytes()
                 .Time(3)
                 .Damage(3, 10, {0, 0, 0})
                 .CenterPrint("A \x1b[2J secret")
                 .ClientDataMessage(Player(90, start | kRocketLauncher, 5)));
  demo.Block(MessageBytes()
                 .Time(3.5f)
                 .CenterPrint("A \x1b[2J secret")
                 .FoundSecret()
                 .ClientDataMessage(Player(90, kShotgun | kAxe | kRocketLauncher, 5)));
  demo.Block(MessageBytes().Time(4).KilledMonster().KilledMonster().ClientDataMessage(
      Player(0, kShotgun | kAxe | kRocketLauncher, 5)));
  demo.Block(MessageBytes().Time(5).Intermission().Finale("Done."));
  demo.Block(MessageBytes().ServerInfoMessage({15, 1, 0, "The Yard", {"maps/yard.bsp"}, {}}));
  demo.Block(MessageBytes().Time(10).KilledMonster());
  demo.Block(MessageBytes().Time(11).Disconnect());
  return demo.Build();
}

class InfoTimeline : public test::SubcommandTest {
 protected:
  InfoTimeline() : SubcommandTest("info") {}
  void SetUp() override { dir.Write("hall.dem", Demo()); }
};

TEST_F(InfoTimeline, EveryEventAtItsTimeInBothForms) {
  ASSERT_EQ(Run({"--timeline", dir.Path("hall.dem")}), kExitDone) << errors;
  const std::string expected = dir.Path("hall.dem") +
                               "\n"
                               "  level      time  event\n"
                               "      1      1.00  level maps/hall.bsp \"The Hall\"\n"
                               "      1      2.00  pickup rocket launcher, +5 rockets (bonus flash)\n"
                               "      1      3.00  damage 13 (armour 3, blood 10)\n"
                               "      1      3.00  centerprint \"A \\x1b[2J secret\"\n"
                               "      1      3.50  secret 1 of 1\n"
                               "      1      3.50  loss quad damage\n"
                               "      1      4.00  kill 1 of 2\n"
                               "      1      4.00  kill 2 of 2\n"
                               "      1      4.00  death health 0\n"
                               "      1      5.00  intermission exit time 5.00000\n"
                               "      1      5.00  finale \"Done.\"\n"
                               "      1      5.00  end of the level\n"
                               "      2     10.00  level maps/yard.bsp \"The Yard\"\n"
                               "      2     10.00  kill 1\n"
                               "      2     11.00  end of the level\n";
  EXPECT_EQ(output, expected);

  ASSERT_EQ(Run({"--json", "-t", dir.Path("hall.dem")}), kExitDone);
  EXPECT_EQ(StrictJsonFault(output), "");
  for (const char* piece :
       {"\"levelCount\":2,\"events\":[{\"level\":1,\"time\":1,\"kind\":\"level\",\"map\":\"maps/hall.bsp\"",
        "{\"level\":1,\"time\":2,\"kind\":\"pickup\",\"items\":[\"rocket launcher\"],\"gains\":{\"rockets\":5},"
        "\"flash\":true}",
        "{\"level\":1,\"time\":3,\"kind\":\"damage\",\"amount\":13,\"armor\":3,\"blood\":10}",
        "\"text\":\"A \\u001b[2J secret\"", "{\"level\":2,\"time\":10,\"kind\":\"kill\",\"count\":1,\"total\":null}"}) {
    EXPECT_NE(output.find(piece), std::string::npos) << piece;
  }
}

TEST_F(InfoTimeline, ALevelPickedAndOneThatIsNot) {
  ASSERT_EQ(Run({"--timeline", "--level", "2", "--json", dir.Path("hall.dem")}), kExitDone) << errors;
  EXPECT_EQ(output.find("\"level\":1"), std::string::npos);
  EXPECT_NE(output.find("\"level\":2,\"time\":10,\"kind\":\"kill\""), std::string::npos) << output;
  EXPECT_EQ(Run({"--timeline", "--level", "3", dir.Path("hall.dem")}), kExitRefused);
  EXPECT_NE(errors.find("the demo has 2 levels: there is no level 3"), std::string::npos) << errors;
  EXPECT_EQ(output, "");
}

// As many kills and secrets as the demo has svc_killedmonster and
// svc_foundsecret messages, by info's own count, in every shared demo.
TEST_F(InfoTimeline, EverySharedDemoCountsItsKillsAndSecrets) {
  CW_REQUIRE_SHARED_DEMOS();
  std::vector<std::string> all = test::Protocol15Demos();
  const std::vector<std::string> others = test::OtherProtocolDemos();
  all.insert(all.end(), others.begin(), others.end());
  int kills = 0;
  for (const std::string& demo : all) {
    SCOPED_TRACE(demo);
    const int status = Run({"--json", demo});
    const auto count = [this](const std::string& piece) {
      int found = 0;
      for (std::size_t at = output.find(piece); at != std::string::npos; at = output.find(piece, at + 1)) ++found;
      return found;
    };
    const auto messages = [this](const std::string& name) {
      const std::size_t at = output.find("\"" + name + "\":");
      return at == std::string::npos ? 0 : std::stoi(output.substr(at + name.size() + 3));
    };
    const int killed = messages("svc_killedmonster"), secrets = messages("svc_foundsecret");
    EXPECT_EQ(Run({"--json", "--timeline", demo}), status);
    EXPECT_EQ(StrictJsonFault(output), "");
    EXPECT_EQ(count("\"kind\":\"kill\""), killed);
    EXPECT_EQ(count("\"kind\":\"secret\""), secrets);
    kills += killed;
  }
  EXPECT_GT(kills, 0);
}

}  // namespace
}  // namespace cw
