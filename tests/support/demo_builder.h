#pragma once
// Writes synthetic demos of protocols 15, 666 and 999 byte by byte. It knows
// the message layouts on its own and shares no code with the core's parser,
// so a demo it writes is an independent check of what the parser reads.

#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/vec3.h"

namespace cw::test {

// Protocol numbers, spelled out here rather than taken from the core so that a
// wrong number there shows up as a failing test instead of agreeing with itself.
namespace wire {
inline constexpr int kProtocol = 15;
inline constexpr int kMoreBits = 0x0001;
inline constexpr int kOrigin1 = 0x0002;
inline constexpr int kOrigin2 = 0x0004;
inline constexpr int kOrigin3 = 0x0008;
inline constexpr int kAngle2 = 0x0010;  // yaw
inline constexpr int kNoLerp = 0x0020;
inline constexpr int kFrame = 0x0040;
inline constexpr int kSignal = 0x0080;
inline constexpr int kAngle1 = 0x0100;  // pitch
inline constexpr int kAngle3 = 0x0200;  // roll
inline constexpr int kModel = 0x0400;
inline constexpr int kColormap = 0x0800;
inline constexpr int kSkin = 0x1000;
inline constexpr int kEffects = 0x2000;
inline constexpr int kLongEntity = 0x4000;
inline constexpr int kEntityUpdate = 0x80;
// Protocol 666 (FitzQuake) and 999 (RMQ): more entity bits, in more bytes.
inline constexpr int kFitzQuake = 666;
inline constexpr int kRmq = 999;
inline constexpr int kExtend1 = 1 << 15;
inline constexpr int kAlpha = 1 << 16;
inline constexpr int kFrame2 = 1 << 17;
inline constexpr int kModel2 = 1 << 18;
inline constexpr int kLerpFinish = 1 << 19;
inline constexpr int kScale = 1 << 20;
inline constexpr int kExtend2 = 1 << 23;
// Protocol 999's flags: the widths of angles and coordinates.
inline constexpr std::uint32_t kShortAngle = 1u << 1;
inline constexpr std::uint32_t kFloatAngle = 1u << 2;
inline constexpr std::uint32_t k24BitCoord = 1u << 3;
inline constexpr std::uint32_t kFloatCoord = 1u << 4;
inline constexpr std::uint32_t kInt32Coord = 1u << 7;
inline constexpr std::uint32_t kMoreFlags = 1u << 31;
}  // namespace wire

// The protocol the messages are written in, and protocol 999's flags.
struct Encoding {
  int protocol = wire::kProtocol;
  std::uint32_t flags = 0;

  bool Extended() const { return protocol == wire::kFitzQuake || protocol == wire::kRmq; }
};

// Every field of a client data message; a field that holds a value is sent and
// its flag bit set.
struct ClientData {
  std::optional<int> viewHeight;      // 0x0001
  std::optional<int> idealPitch;      // 0x0002
  std::optional<int> punch[3];        // 0x0004, 0x0008, 0x0010
  std::optional<int> velocity[3];     // 0x0020, 0x0040, 0x0080
  std::optional<std::int32_t> items;  // 0x0200
  std::optional<int> weaponFrame;     // 0x1000
  std::optional<int> armor;           // 0x2000
  std::optional<int> weapon;          // 0x4000
  // Protocols 666 and 999: the high bytes of the fields above, and the
  // weapon's alpha; each sets its bit and the bit of its flag byte.
  std::optional<int> weapon2;       // 1 << 16
  std::optional<int> armor2;        // 1 << 17
  std::optional<int> ammo2;         // 1 << 18
  std::optional<int> shells2;       // 1 << 19
  std::optional<int> nails2;        // 1 << 20
  std::optional<int> rockets2;      // 1 << 21
  std::optional<int> cells2;        // 1 << 22
  std::optional<int> weaponFrame2;  // 1 << 24
  std::optional<int> weaponAlpha;   // 1 << 25
  int health = 100;
  int currentAmmo = 25;
  int ammo[4] = {25, 0, 0, 0};  // shells, nails, rockets, cells
  int activeWeapon = 1;
  // When set, written as the flag short instead of the bits worked out from
  // the fields (a server that sends the items without their bit, for example).
  std::optional<int> flagsOverride;

  int Flags() const;
};

// One entity update; a field that holds a value is sent and its flag set.
struct EntityUpdate {
  int entity = 1;
  std::optional<int> model;
  std::optional<int> frame;
  std::optional<int> colormap;
  std::optional<int> skin;
  std::optional<int> effects;
  std::optional<float> origin[3];  // map units
  std::optional<float> angles[3];  // degrees: pitch, yaw, roll
  // Protocols 666 and 999.
  std::optional<int> alpha;
  std::optional<int> scale;
  std::optional<int> frame2;
  std::optional<int> model2;
  std::optional<int> lerpFinish;
  int extraFlags = 0;            // kNoLerp, kSignal: flags without a field
  bool forceLongEntity = false;  // entity as a short even when it fits a byte
  bool forceMoreBits = false;    // second flag byte even when it is zero

  int Flags() const;
};

struct ServerInfo {
  std::int32_t protocol = wire::kProtocol;
  int maxClients = 1;
  int gameType = 0;
  std::string levelName = "Test Level";
  std::vector<std::string> models;  // index 1 onwards; the empty end is added
  std::vector<std::string> sounds;
  std::uint32_t flags = 0;  // written for protocol 999 only
};

struct Baseline {
  int entity = 0;
  int model = 0;  // a second form's model and frame may pass 255
  int frame = 0;
  int colormap = 0;
  int skin = 0;
  Vec3 origin{0, 0, 0};
  Vec3 angles{0, 0, 0};
  std::optional<int> alpha = std::nullopt;  // second form only
  std::optional<int> scale = std::nullopt;  // second form only
};

struct Sound {
  int entity = 1;
  int channel = 0;
  int sound = 1;
  Vec3 origin{0, 0, 0};
  std::optional<int> volume;       // 0..255
  std::optional<int> attenuation;  // attenuation times 64
};

// Kinds 5, 6, 9 and 13 are beams (entity, start, end); 12 is an explosion
// with a colour range; every other kind up to 13 is a point.
struct TempEntity {
  int kind = 0;
  int entity = 0;
  Vec3 start{0, 0, 0};
  Vec3 end{0, 0, 0};
  int colorStart = 0;
  int colorLength = 0;
};

bool TempEntityIsBeam(int kind);

// The message bytes of one block, appended field by field or message by
// message, in the encoding given or that of the last server info written.
class MessageBytes {
 public:
  MessageBytes() = default;
  explicit MessageBytes(Encoding as) : encoding(as) {}

  // --- fields ---------------------------------------------------------
  MessageBytes& Byte(int value);
  MessageBytes& Short(int value);
  MessageBytes& Long(std::int32_t value);
  MessageBytes& Float(float value);
  MessageBytes& String(std::string_view text);  // with its zero terminator
  MessageBytes& Coord(float value);             // value times 8, truncated, as a short; or as 999's flags say
  MessageBytes& Angle(float degrees);           // 256 steps per turn, wrapped; or as 999's flags say
  MessageBytes& Raw(const std::vector<std::uint8_t>& bytes);
  MessageBytes& Append(const MessageBytes& other);

  // --- server messages, one per type ----------------------------------
  MessageBytes& Bad();                                                                         // 0
  MessageBytes& Nop();                                                                         // 1
  MessageBytes& Disconnect();                                                                  // 2
  MessageBytes& UpdateStat(int index, std::int32_t value);                                     // 3
  MessageBytes& Version(std::int32_t version);                                                 // 4
  MessageBytes& SetView(int entity);                                                           // 5
  MessageBytes& PlaySound(const Sound& sound);                                                 // 6
  MessageBytes& Time(float seconds);                                                           // 7
  MessageBytes& Print(std::string_view text);                                                  // 8
  MessageBytes& StuffText(std::string_view text);                                              // 9
  MessageBytes& SetAngle(const Vec3& angles);                                                  // 10
  MessageBytes& ServerInfoMessage(const ServerInfo& info);                                     // 11
  MessageBytes& LightStyle(int style, std::string_view map);                                   // 12
  MessageBytes& UpdateName(int player, std::string_view name);                                 // 13
  MessageBytes& UpdateFrags(int player, int frags);                                            // 14
  MessageBytes& ClientDataMessage(const ClientData& data);                                     // 15
  MessageBytes& StopSound(int entityChannel);                                                  // 16
  MessageBytes& UpdateColors(int player, int colors);                                          // 17
  MessageBytes& Particle(const Vec3& origin, const Vec3& direction, int count, int color);     // 18
  MessageBytes& Damage(int armor, int blood, const Vec3& from);                                // 19
  MessageBytes& SpawnStatic(const Baseline& what);                                             // 20 (entity unused)
  MessageBytes& SpawnBinary();                                                                 // 21
  MessageBytes& SpawnBaseline(const Baseline& baseline);                                       // 22
  MessageBytes& TempEntityMessage(const TempEntity& temp);                                     // 23
  MessageBytes& SetPause(int paused);                                                          // 24
  MessageBytes& SignonNum(int stage);                                                          // 25
  MessageBytes& CenterPrint(std::string_view text);                                            // 26
  MessageBytes& KilledMonster();                                                               // 27
  MessageBytes& FoundSecret();                                                                 // 28
  MessageBytes& SpawnStaticSound(const Vec3& origin, int sound, int volume, int attenuation);  // 29
  MessageBytes& Intermission();                                                                // 30
  MessageBytes& Finale(std::string_view text);                                                 // 31
  MessageBytes& CdTrack(int track, int loopTrack);                                             // 32
  MessageBytes& SellScreen();                                                                  // 33
  MessageBytes& Cutscene(std::string_view text);                                               // 34
  MessageBytes& EntityUpdateMessage(const EntityUpdate& update);                               // type byte 0x80 and up
  // Protocols 666 and 999.
  MessageBytes& Skybox(std::string_view name);                                                  // 37
  MessageBytes& Bf();                                                                           // 40
  MessageBytes& Fog(int density, int red, int green, int blue, int hundredths);                 // 41
  MessageBytes& SpawnBaseline2(const Baseline& baseline);                                       // 42
  MessageBytes& SpawnStatic2(const Baseline& what);                                             // 43 (entity unused)
  MessageBytes& SpawnStaticSound2(const Vec3& origin, int sound, int volume, int attenuation);  // 44
  MessageBytes& Achievement(std::string_view name);                                             // 52
  MessageBytes& LocalSound(int sound);                                                          // 56

  const std::vector<std::uint8_t>& Bytes() const { return bytes; }
  std::size_t Size() const { return bytes.size(); }
  bool Empty() const { return bytes.empty(); }
  void Clear() { bytes.clear(); }

 private:
  MessageBytes& BaselineBody(const Baseline& baseline, bool second);

  Encoding encoding;
  std::vector<std::uint8_t> bytes;
};

// One block as it stands in a file: length, three angles, message bytes.
std::string EncodeBlock(const Vec3& angles, const MessageBytes& messages);

// A whole demo file in memory: a first line and blocks.
class DemoBuilder {
 public:
  DemoBuilder& FirstLine(std::string line);  // written as given: include the line feed
  DemoBuilder& Block(const MessageBytes& messages, const Vec3& angles = {0, 0, 0});
  // A block header whose length need not match the bytes that follow (lying
  // or negative lengths, a file cut inside a block).
  DemoBuilder& RawBlock(std::int32_t length, const Vec3& angles, const std::vector<std::uint8_t>& bytes);
  DemoBuilder& RawBytes(std::string_view bytes);  // appended after the blocks so far

  int BlockCount() const { return blockCount; }
  std::string Build() const;
  std::vector<std::uint8_t> BuildBytes() const;
  bool WriteFile(const std::string& path) const;

 private:
  std::string firstLine = "-1\n";
  std::string body;
  int blockCount = 0;
};

}  // namespace cw::test
