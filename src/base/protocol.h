#pragma once
// The numbers of the demo format and of Quake's network protocols 15, 666
// (FitzQuake) and 999 (RMQ), named once.

#include <cstdint>

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

// Server message types.
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
  // Protocols 666 and 999 only.
  svc_skybox = 37,
  svc_bf = 40,
  svc_fog = 41,
  svc_spawnbaseline2 = 42,
  svc_spawnstatic2 = 43,
  svc_spawnstaticsound2 = 44,
  svc_achievement = 52,
  svc_localsound = 56,
};
inline constexpr int kLastMessageType = svc_cutscene;
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
