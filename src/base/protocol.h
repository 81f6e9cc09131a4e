#pragma once
// The numbers of the demo format and of Quake's network protocols 15, 666
// (FitzQuake) and 999 (RMQ), named once.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace cw {

// Demo blocks.
inline constexpr int kBlockHeaderSize = 16;    // length + three angle floats
inline constexpr int kMaxInputBlock = 65536;   // largest block a current engine records
inline constexpr int kPlayableBlock = 8000;    // largest block the original client reads
inline constexpr int kMaxResultBlock = 64000;  // largest block any engine plays
inline constexpr int kTextBufferSize = 2048;
inline constexpr int kMaxSoundName = 63;  // the game keeps 64 bytes, terminator included

// Entities.
inline constexpr int kCameraEntity = 449;
inline constexpr int kPlayerEntity = 1;
inline constexpr int kClientEntityLimit = 600;    // protocol-15 clients keep 600 entities
inline constexpr int kEntityNumberSpace = 65536;  // an entity number travels as a short
inline constexpr int kHighestEntity = 32767;      // and the game reads that short with its sign

inline constexpr int kProtocolVersion = 15;
inline constexpr int kProtocolFitzQuake = 666;
inline constexpr int kProtocolRmq = 999;

// The flags a protocol-999 server sends after the protocol number: the
// widths of coordinates and angles.
inline constexpr std::uint32_t PRFL_SHORTANGLE = 1u << 1;
inline constexpr std::uint32_t PRFL_FLOATANGLE = 1u << 2;
inline constexpr std::uint32_t PRFL_24BITCOORD = 1u << 3;
inline constexpr std::uint32_t PRFL_FLOATCOORD = 1u << 4;
inline constexpr std::uint32_t PRFL_EDICTSCALE = 1u << 5;
inline constexpr std::uint32_t PRFL_INT32COORD = 1u << 7;
// More flags would follow in a second long, which no engine we play in
// reads: a demo with this flag cannot be read.
inline constexpr std::uint32_t PRFL_MOREFLAGS = 1u << 31;

// A sound's entity shares a short with its channel in protocol 15.
inline constexpr int kSmallSoundEntityLimit = 8192;
// The sound list's size in the engines of FitzQuake's family.
inline constexpr int kLargeSoundListSize = 2048;

// Server message types: every number up to the last one the engines of
// FitzQuake's family know, whether or not a stream of ours carries it.
enum Svc : std::uint8_t {
  svc_bad = 0,
  svc_nop = 1,
  svc_disconnect = 2,
  svc_updatestat = 3,
  svc_version = 4,
  svc_setview = 5,
  svc_sound = 6,
  svc_time = 7,
  svc_print = 8,
  svc_stufftext = 9,
  svc_setangle = 10,
  svc_serverinfo = 11,
  svc_lightstyle = 12,
  svc_updatename = 13,
  svc_updatefrags = 14,
  svc_clientdata = 15,
  svc_stopsound = 16,
  svc_updatecolors = 17,
  svc_particle = 18,
  svc_damage = 19,
  svc_spawnstatic = 20,
  svc_spawnbinary = 21,
  svc_spawnbaseline = 22,
  svc_temp_entity = 23,
  svc_setpause = 24,
  svc_signonnum = 25,
  svc_centerprint = 26,
  svc_killedmonster = 27,
  svc_foundsecret = 28,
  svc_spawnstaticsound = 29,
  svc_intermission = 30,
  svc_finale = 31,
  svc_cdtrack = 32,
  svc_sellscreen = 33,
  svc_cutscene = 34,
  svc_showlmp = 35,
  svc_hidelmp = 36,
  svc_skybox = 37,
  svc_botchat = 38,
  svc_bf = 40,
  svc_fog = 41,
  svc_spawnbaseline2 = 42,
  svc_spawnstatic2 = 43,
  svc_spawnstaticsound2 = 44,
  svc_setviews = 45,
  svc_updateping = 46,
  svc_updatesocial = 47,
  svc_updateplinfo = 48,
  svc_rawprint = 49,
  svc_servervars = 50,
  svc_seq = 51,
  svc_achievement = 52,
  svc_chat = 53,
  svc_levelcompleted = 54,
  svc_backtolobby = 55,
  svc_localsound = 56,
};

// The protocols whose streams carry a message type, as bits.
enum MessageProtocols : unsigned {
  kInNoProtocol = 0,
  kInProtocol15 = 1u << 0,
  kInProtocol666 = 1u << 1,
  kInProtocol999 = 1u << 2,
  kInExtendedProtocols = kInProtocol666 | kInProtocol999,
  kInEveryProtocol = kInProtocol15 | kInExtendedProtocols,
};

struct MessageType {
  int type = 0;
  std::string_view name;  // empty for a number no engine names
  unsigned protocols = kInNoProtocol;
};

// One row per type, in type order; the reports call each type by its row's
// name. The types of other engines of the family (Nehahra's pictures, the
// 2021 release's) are named too, though no stream of ours carries them: the
// reader takes them for damage.
inline constexpr std::array<MessageType, 57> kMessageTypes = {{
    {svc_bad, "svc_bad", kInEveryProtocol},
    {svc_nop, "svc_nop", kInEveryProtocol},
    {svc_disconnect, "svc_disconnect", kInEveryProtocol},
    {svc_updatestat, "svc_updatestat", kInEveryProtocol},
    {svc_version, "svc_version", kInEveryProtocol},
    {svc_setview, "svc_setview", kInEveryProtocol},
    {svc_sound, "svc_sound", kInEveryProtocol},
    {svc_time, "svc_time", kInEveryProtocol},
    {svc_print, "svc_print", kInEveryProtocol},
    {svc_stufftext, "svc_stufftext", kInEveryProtocol},
    {svc_setangle, "svc_setangle", kInEveryProtocol},
    {svc_serverinfo, "svc_serverinfo", kInEveryProtocol},
    {svc_lightstyle, "svc_lightstyle", kInEveryProtocol},
    {svc_updatename, "svc_updatename", kInEveryProtocol},
    {svc_updatefrags, "svc_updatefrags", kInEveryProtocol},
    {svc_clientdata, "svc_clientdata", kInEveryProtocol},
    {svc_stopsound, "svc_stopsound", kInEveryProtocol},
    {svc_updatecolors, "svc_updatecolors", kInEveryProtocol},
    {svc_particle, "svc_particle", kInEveryProtocol},
    {svc_damage, "svc_damage", kInEveryProtocol},
    {svc_spawnstatic, "svc_spawnstatic", kInEveryProtocol},
    {svc_spawnbinary, "svc_spawnbinary", kInProtocol15},
    {svc_spawnbaseline, "svc_spawnbaseline", kInEveryProtocol},
    {svc_temp_entity, "svc_temp_entity", kInEveryProtocol},
    {svc_setpause, "svc_setpause", kInEveryProtocol},
    {svc_signonnum, "svc_signonnum", kInEveryProtocol},
    {svc_centerprint, "svc_centerprint", kInEveryProtocol},
    {svc_killedmonster, "svc_killedmonster", kInEveryProtocol},
    {svc_foundsecret, "svc_foundsecret", kInEveryProtocol},
    {svc_spawnstaticsound, "svc_spawnstaticsound", kInEveryProtocol},
    {svc_intermission, "svc_intermission", kInEveryProtocol},
    {svc_finale, "svc_finale", kInEveryProtocol},
    {svc_cdtrack, "svc_cdtrack", kInEveryProtocol},
    {svc_sellscreen, "svc_sellscreen", kInEveryProtocol},
    {svc_cutscene, "svc_cutscene", kInEveryProtocol},
    {svc_showlmp, "svc_showlmp", kInNoProtocol},
    {svc_hidelmp, "svc_hidelmp", kInNoProtocol},
    {svc_skybox, "svc_skybox", kInExtendedProtocols},
    {svc_botchat, "svc_botchat", kInNoProtocol},
    {39, "", kInNoProtocol},
    {svc_bf, "svc_bf", kInExtendedProtocols},
    {svc_fog, "svc_fog", kInExtendedProtocols},
    {svc_spawnbaseline2, "svc_spawnbaseline2", kInExtendedProtocols},
    {svc_spawnstatic2, "svc_spawnstatic2", kInExtendedProtocols},
    {svc_spawnstaticsound2, "svc_spawnstaticsound2", kInExtendedProtocols},
    {svc_setviews, "svc_setviews", kInNoProtocol},
    {svc_updateping, "svc_updateping", kInNoProtocol},
    {svc_updatesocial, "svc_updatesocial", kInNoProtocol},
    {svc_updateplinfo, "svc_updateplinfo", kInNoProtocol},
    {svc_rawprint, "svc_rawprint", kInNoProtocol},
    {svc_servervars, "svc_servervars", kInNoProtocol},
    {svc_seq, "svc_seq", kInNoProtocol},
    {svc_achievement, "svc_achievement", kInExtendedProtocols},
    {svc_chat, "svc_chat", kInNoProtocol},
    {svc_levelcompleted, "svc_levelcompleted", kInNoProtocol},
    {svc_backtolobby, "svc_backtolobby", kInNoProtocol},
    {svc_localsound, "svc_localsound", kInExtendedProtocols},
}};

constexpr bool MessageTypesInOrder() {
  for (std::size_t i = 0; i < kMessageTypes.size(); ++i) {
    if (kMessageTypes[i].type != static_cast<int>(i)) return false;
  }
  return true;
}
static_assert(MessageTypesInOrder(), "a row of kMessageTypes stands at the wrong number");

// The row of a message type; nullptr past the table (entity updates among them).
constexpr const MessageType* FindMessageType(int type) {
  if (type < 0 || static_cast<std::size_t>(type) >= kMessageTypes.size()) return nullptr;
  return &kMessageTypes[static_cast<std::size_t>(type)];
}

// Whether a stream of `protocol` carries message `type`.
constexpr bool CarriedIn(int type, int protocol) {
  const MessageType* row = FindMessageType(type);
  if (row == nullptr) return false;
  const unsigned bit = protocol == kProtocolVersion     ? kInProtocol15
                       : protocol == kProtocolFitzQuake ? kInProtocol666
                       : protocol == kProtocolRmq       ? kInProtocol999
                                                        : kInNoProtocol;
  return (row->protocols & bit) != 0;
}

inline constexpr int kEntityUpdateBit = 0x80;

// Temp-entity kinds whose layouts differ from the plain three coordinates.
inline constexpr int kTempEntityBeamFirst = 5;  // 5, 6, 9: short entity + 6 coords
inline constexpr int kTempEntityLastKind = 13;

// Client data flag bits.
enum ClientDataBit : int {
  SU_VIEWHEIGHT = 0x0001,
  SU_IDEALPITCH = 0x0002,
  SU_PUNCH1 = 0x0004,
  SU_PUNCH2 = 0x0008,
  SU_PUNCH3 = 0x0010,
  SU_VELOCITY1 = 0x0020,
  SU_VELOCITY2 = 0x0040,
  SU_VELOCITY3 = 0x0080,
  SU_ITEMS = 0x0200,
  SU_WEAPONFRAME = 0x1000,
  SU_ARMOR = 0x2000,
  SU_WEAPON = 0x4000,
  // Protocols 666 and 999: more flag bytes, and one byte per bit of those.
  SU_EXTEND1 = 0x8000,
  SU_WEAPON2 = 1 << 16,
  SU_ARMOR2 = 1 << 17,
  SU_AMMO2 = 1 << 18,
  SU_SHELLS2 = 1 << 19,
  SU_NAILS2 = 1 << 20,
  SU_ROCKETS2 = 1 << 21,
  SU_CELLS2 = 1 << 22,
  SU_EXTEND2 = 1 << 23,
  SU_WEAPONFRAME2 = 1 << 24,
  SU_WEAPONALPHA = 1 << 25,
  // SU_EXTEND3 (bit 31) is named by the protocol, but the engine reads no
  // byte for it: neither does the reader.
};

// Entity update flag bits (the type byte without its top bit, plus a second byte).
enum EntityUpdateBit : int {
  U_MOREBITS = 0x0001,
  U_ORIGIN1 = 0x0002,
  U_ORIGIN2 = 0x0004,
  U_ORIGIN3 = 0x0008,
  U_ANGLE2 = 0x0010,
  U_NOLERP = 0x0020,
  U_FRAME = 0x0040,
  U_SIGNAL = 0x0080,
  U_ANGLE1 = 0x0100,
  U_ANGLE3 = 0x0200,
  U_MODEL = 0x0400,
  U_COLORMAP = 0x0800,
  U_SKIN = 0x1000,
  U_EFFECTS = 0x2000,
  U_LONGENTITY = 0x4000,
  // Protocols 666 and 999: more flag bytes, and one byte per bit of those.
  U_EXTEND1 = 0x8000,
  U_ALPHA = 1 << 16,
  U_FRAME2 = 1 << 17,
  U_MODEL2 = 1 << 18,
  U_LERPFINISH = 1 << 19,
  U_SCALE = 1 << 20,
  U_EXTEND2 = 1 << 23,
};

// Baseline flag bits of svc_spawnbaseline2 and svc_spawnstatic2.
enum BaselineBit : int {
  B_LARGEMODEL = 1 << 0,
  B_LARGEFRAME = 1 << 1,
  B_ALPHA = 1 << 2,
  B_SCALE = 1 << 3,
};

// Sound message flag bits.
inline constexpr int SND_VOLUME = 1;
inline constexpr int SND_ATTENUATION = 2;
inline constexpr int SND_LARGEENTITY = 8;  // 666 and 999: entity short and channel byte
inline constexpr int SND_LARGESOUND = 16;  // 666 and 999: sound number as a short
inline constexpr float kDefaultSoundVolume = 1.0f;
inline constexpr float kDefaultSoundAttenuation = 2.0f;

// Encodings of protocols 15 and 666 (and 999 without width flags). A
// coordinate travels as map units times 8 in a short, an angle as one byte of
// 256 steps per turn.
inline constexpr float kCoordScale = 8.0f;
inline constexpr float kCoordUnit = 0.125f;
inline constexpr float kAngleToByte = 0.7111111f;  // 256 / 360
inline constexpr float kByteToAngle = 1.40625f;    // 360 / 256
// The camera's angles are worked out with 180 / 3.14, not 180 / pi; results
// made with this factor are what users' scripts were tuned against.
inline constexpr float kRadiansToDegrees = 57.324840764331206f;
inline constexpr float kSecondsToMinutes = 0.016666668f;

}  // namespace cw
