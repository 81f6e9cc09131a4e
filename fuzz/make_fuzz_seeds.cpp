// make-fuzz-seeds DIR: writes starting inputs for the fuzz targets, one
// folder per target: DIR/block (message bytes of one block), DIR/run and
// DIR/info (whole demo files), DIR/script (camera scripts), DIR/inspect (BSP
// files) and DIR/preview (a demo and a BSP file).

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "busy_run.h"
#include "demo_builder.h"
#include "game_files.h"
#include "synthetic_demo.h"

namespace {

namespace fs = std::filesystem;
using cw::test::MessageBytes;

void Write(const fs::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string AsString(const MessageBytes& m) { return {m.Bytes().begin(), m.Bytes().end()}; }

using cw::test::Encoding;
namespace wire = cw::test::wire;

// Protocol 666, and 999 in each width of its coordinates and angles.
const Encoding kModernLevels[] = {
    {wire::kFitzQuake, 0},
    {wire::kRmq, 0},
    {wire::kRmq, wire::k24BitCoord | wire::kShortAngle},
    {wire::kRmq, wire::kFloatCoord | wire::kFloatAngle},
    {wire::kRmq, wire::kInt32Coord | wire::kShortAngle},
};

// A level's server info and signon, with every message its protocol adds.
MessageBytes ModernSignon(const Encoding& level) {
  MessageBytes m;
  cw::test::ServerInfo info{level.protocol, 1, 0, "Modern", {"maps/seed.bsp", "progs/player.mdl"}, {"misc/talk.wav"}};
  info.flags = level.flags;
  m.ServerInfoMessage(info).SignonNum(1).Skybox("sky").Fog(50, 10, 20, 30, 100).Bf();
  m.SpawnBaseline2({1, 300, 400, 0, 0, {1, 2, 3}, {0, 90, 0}, 128, 16}).SpawnBaseline({838, 2, 0, 0, 0, {4, 5, 6}, {}});
  m.SpawnStatic2({0, 2, 1, 0, 0, {7, 8, 9}, {}, 64, std::nullopt}).SpawnStaticSound2({1, 2, 3}, 300, 255, 64);
  return m.SetView(1).SignonNum(2);
}

// A frame of that level: time, client data with high bytes, updates with
// every extension, a far entity's sound, effects.
MessageBytes ModernFrame(const Encoding& level, int frame) {
  MessageBytes m(level);
  cw::test::ClientData data;
  data.health = 50;
  data.weapon2 = 1;
  data.weaponAlpha = 128;
  m.Time(static_cast<float>(frame) * 0.05f).ClientDataMessage(data);
  cw::test::EntityUpdate player;
  player.origin[0] = -5000.5f + static_cast<float>(frame);
  player.origin[1] = 20.25f;
  player.angles[1] = 200.0f;
  player.alpha = 200;
  player.lerpFinish = 25;
  m.EntityUpdateMessage(player);
  cw::test::EntityUpdate far;
  far.entity = 9000;
  far.origin[2] = 64.0f;
  far.scale = 32;
  far.frame2 = 1;
  far.model2 = 1;
  m.EntityUpdateMessage(far).PlaySound({9000, 9, 300, {1, 2, 3}, 200, 64});
  m.TempEntityMessage({5, 1, {0, 0, 0}, {8, 8, 8}, 0, 0}).Particle({1, 2, 3}, {0, 0, 1}, 20, 73);
  return m.Damage(1, 2, {4, 5, 6}).SetAngle({0, 90, 0}).Achievement("A").LocalSound(300);
}

void WriteBlockSeeds(const fs::path& dir) {
  const MessageBytes messages[] = {
      MessageBytes().Nop(),
      MessageBytes().Disconnect(),
      MessageBytes().UpdateStat(14, 1).Version(15).SetView(1),
      MessageBytes().PlaySound({1, 2, 3, {1, 2, 3}, 200, 64}).PlaySound({2, 0, 1, {0, 0, 0}, {}, {}}),
      MessageBytes().Time(2.5f).Print("VERSION 1.07 SERVER\n").StuffText("bf\n").SetAngle({0, 90, 0}),
      MessageBytes().ServerInfoMessage({15, 1, 0, "Seed", {"maps/seed.bsp", "progs/player.mdl"}, {"misc/talk.wav"}}),
      MessageBytes().LightStyle(0, "m").UpdateName(0, "p").UpdateFrags(0, 3).StopSound(9).UpdateColors(0, 0x4D),
      MessageBytes().Time(3.0f).ClientDataMessage({}).Particle({0, 0, 0}, {0, 0, 1}, 20, 73).Damage(1, 2, {0, 0, 0}),
      MessageBytes().SpawnStatic({}).SpawnBinary().SpawnBaseline({1, 2, 0, 0, 0, {1, 2, 3}, {0, 90, 0}}),
      MessageBytes().TempEntityMessage({9, 1, {0, 0, 0}, {8, 8, 8}, 0, 0}).TempEntityMessage({12, 0, {}, {}, 1, 2}),
      MessageBytes().SetPause(0).SignonNum(2).CenterPrint("Hi\n").KilledMonster().FoundSecret(),
      MessageBytes().SpawnStaticSound({0, 0, 0}, 1, 255, 64).CdTrack(2, 2).SellScreen().Cutscene("c"),
      MessageBytes().Time(4.0f).Intermission().Time(6.0f).Finale("The end\n"),
  };
  int n = 0;
  for (const MessageBytes& m : messages) Write(dir / ("messages-" + std::to_string(n++)), AsString(m));
  for (const Encoding& level : kModernLevels) {
    Write(dir / ("modern-signon-" + std::to_string(n)), AsString(ModernSignon(level)));
    Write(dir / ("modern-frame-" + std::to_string(n++)), AsString(ModernFrame(level, 3)));
  }
  cw::test::SyntheticDemoOptions options;
  for (int frame : {0, 25, 35, 80, 100}) {
    Write(dir / ("frame-" + std::to_string(frame)), AsString(cw::test::SyntheticFrame(options, frame)));
  }
}

void WriteRunSeeds(const fs::path& dir) {
  cw::test::SyntheticDemoOptions options;
  options.seconds = 2.0f;
  options.intermissionAtEnd = true;
  const std::string demo = cw::test::MakeSyntheticDemo(options);
  Write(dir / "synthetic-2s", demo);
  Write(dir / "cut-inside-a-block", demo.substr(0, demo.size() / 2 + 7));
  Write(dir / "first-line-only", "-1\n");
  Write(dir / "empty", "");
  // Every modern level in turn, each with an intermission: a demo that
  // changes protocol at each level.
  cw::test::DemoBuilder modern;
  for (const Encoding& level : kModernLevels) {
    modern.Block(ModernSignon(level));
    for (int frame = 1; frame <= 20; ++frame) {
      MessageBytes m = ModernFrame(level, frame);
      if (frame == 15) m.Intermission();
      modern.Block(m);
    }
  }
  modern.Block(MessageBytes().Disconnect());
  Write(dir / "modern-levels", modern.Build());
  cw::test::DemoBuilder lying;
  lying.FirstLine("2\n").Block(MessageBytes().Time(1.0f).Nop()).RawBlock(70000, {0, 0, 0}, {7, 0, 0, 0, 0});
  Write(dir / "lying-length", lying.Build());
}

// The preview's input: a demo's length in four bytes, the demo, a BSP file.
void WritePreviewSeeds(const fs::path& dir) {
  cw::test::SyntheticDemoOptions options;
  options.seconds = 2.0f;
  const std::string demo = cw::test::MakeSyntheticDemo(options);
  std::string length(4, '\0');
  for (std::size_t i = 0; i < 4; ++i) length[i] = static_cast<char>(demo.size() >> (8 * i));
  Write(dir / "demo-and-bsp29", length + demo + cw::test::MakeBsp(false));
  Write(dir / "demo-and-bsp2", length + demo + cw::test::MakeBsp(true));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "Usage: make-fuzz-seeds DIR\n");
    return 2;
  }
  const fs::path root = argv[1];
  for (const char* target : {"block", "run", "script", "inspect", "info", "preview"}) {
    fs::create_directories(root / target);
  }
  WriteBlockSeeds(root / "block");
  WriteRunSeeds(root / "run");
  WriteRunSeeds(root / "info");
  WritePreviewSeeds(root / "preview");
  Write(root / "script" / "busy.cam", cw::test::BusyScript(20.0f, 10));
  Write(root / "inspect" / "bsp29", cw::test::MakeBsp(false));
  Write(root / "inspect" / "bsp2", cw::test::MakeBsp(true));
  for (const cw::test::BspKind kind : cw::test::kEveryBspKind) {
    Write(root / "inspect" / ("room " + std::string(cw::test::BspKindName(kind))), cw::test::MakeRoomBsp(kind));
  }
  return 0;
}
