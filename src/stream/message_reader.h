#pragma once
// Reads the server messages of a block one by one and hands each, whole and
// decoded, to a handler. A message is handed over only once all of its bytes
// were read, so a handler never sees a message cut by its block's end: such a
// message, and the rest of its block, go to the handler as damaged.
//
// The handler is a template parameter, so that the calls of a block of small
// messages are direct. What it must offer:
//   EntityUpdate(int start, const EntityUpdateFields&)
//       or, for a handler that asks only which entity an update moves (its
//       fields are then passed over, not decoded):
//   EntitySeen(int start, int entity)
//   ClientData(int start, const ClientDataFields&)
//   ServerInfo(int start, const ServerInfoFields&)   the stream state already follows it
//   SpawnBaseline(int start, const BaselineFields&)  svc_spawnbaseline and svc_spawnbaseline2
//   Time(int start, float seconds)
//   Text(int start, std::uint8_t type, std::string_view text)
//   SetView(int start, int entity)
//   UpdateColors(int start, int player, int colors)
//   SignonNum(int start, int stage)
//   Intermission(int start)
//   Other(int start, std::uint8_t type)   any other message, as it stands
//   Damaged(int start)                     bytes from `start` to the block's end
// `start` is where the message's type byte stands; when a call is made, the
// block's read position is the message's end.

#include <array>
#include <cstdint>
#include <string_view>

#include "base/protocol.h"
#include "base/vec3.h"
#include "stream/block.h"

namespace cw {

// What reading a demo's messages depends on, as its own messages set it.
// Every svc_serverinfo names the protocol of its level, and a protocol-999
// level the widths of its coordinates and angles: the layout of every later
// message follows them.
struct StreamState {
  // A 1.07 server sends the items in every client data, whatever its bits say.
  bool serverVersion107 = false;
  int protocol = kProtocolVersion;
  // The protocol-999 flags; 0 in the other protocols.
  std::uint32_t protocolFlags = 0;

  // Protocols 666 and 999 share the extended layouts of FitzQuake.
  bool Extended() const { return protocol == kProtocolFitzQuake || protocol == kProtocolRmq; }
  // Bytes of one coordinate and of one angle.
  int CoordSize() const {
    if (protocolFlags & (PRFL_FLOATCOORD | PRFL_INT32COORD)) return 4;
    return (protocolFlags & PRFL_24BITCOORD) ? 3 : 2;
  }
  int AngleSize() const {
    if (protocolFlags & PRFL_FLOATANGLE) return 4;
    return (protocolFlags & PRFL_SHORTANGLE) ? 2 : 1;
  }
  // Back to a protocol-15 stream, as before any svc_serverinfo.
  void ResetProtocol() {
    protocol = kProtocolVersion;
    protocolFlags = 0;
  }
};

struct EntityUpdateFields {
  int bits = 0;  // U_* flags, the extension bytes' included
  int entity = 0;
  int model = -1;  // an index into the model list; -1 when the update leaves it out
  // In map units and degrees; an axis the update leaves out is 0.
  Vec3 origin{0, 0, 0};
  Vec3 angles{0, 0, 0};
  bool originPresent[3] = {false, false, false};
  bool anglePresent[3] = {false, false, false};
};

// The optional one-byte fields of a client data message, in stream order.
enum ClientDataByteField {
  kViewHeight,
  kIdealPitch,
  kPunchPitch,
  kVelocityX,
  kPunchYaw,
  kVelocityY,
  kPunchRoll,
  kVelocityZ,
  kClientDataByteFields
};

struct ClientDataFields {
  int bits = 0;  // SU_* flags, the extension bytes' included
  // Where each optional byte field stands, counted from the message's
  // start; -1 when the message leaves it out.
  std::array<int, kClientDataByteFields> byteOffset{};
  // The player's state. A field the message leaves out is 0, as the game
  // takes it, but for the items: a protocol-15 message without them keeps
  // those the game had.
  bool itemsPresent = false;
  std::int32_t items = 0;  // IT_* bits
  int armor = 0;
  int weapon = 0;  // the model index of the weapon in view
  int health = 0;
  int ammo = 0;                     // of the weapon in hand
  std::array<int, 4> ammoCounts{};  // shells, nails, rockets, cells
  int activeWeapon = 0;             // as the server sends it: the weapon's item bit, cut to a byte
};

// The names of a server info's model or sound list, up to the empty name
// that ends it.
class NameList {
 public:
  NameList() = default;
  NameList(const std::uint8_t* begin, const std::uint8_t* end) : begin_(begin), end_(end) {}
  template <typename Visit>
  void ForEach(Visit visit) const {
    for (const std::uint8_t* name = begin_; name < end_;) {
      const std::string_view text(reinterpret_cast<const char*>(name));
      visit(text);
      name += text.size() + 1;
    }
  }

 private:
  const std::uint8_t* begin_ = nullptr;
  const std::uint8_t* end_ = nullptr;  // at the empty name
};

struct ServerInfoFields {
  std::int32_t protocol = 0;
  std::uint32_t protocolFlags = 0;  // protocol 999 only
  int maxClients = 0;               // entities 1 to maxClients are the players
  std::string_view levelName;
  NameList models;
  NameList sounds;
};

// svc_spawnbaseline, and svc_spawnbaseline2 of protocols 666 and 999.
struct BaselineFields {
  int entity = 0;  // as the stream carries it: a signed short
  int bits = 0;    // B_* flags; 0 for svc_spawnbaseline
  int model = 0;   // an index into the model list
  Vec3 origin{0, 0, 0};
  Vec3 angles{0, 0, 0};  // degrees
};

// A base for a handler that wants only some messages: each call does
// nothing, and the handler declares again those it wants, which hide these.
struct IgnoredMessages {
  void EntityUpdate(int, const EntityUpdateFields&) {}
  void ClientData(int, const ClientDataFields&) {}
  void ServerInfo(int, const ServerInfoFields&) {}
  void SpawnBaseline(int, const BaselineFields&) {}
  void Time(int, float) {}
  void Text(int, std::uint8_t, std::string_view) {}
  void SetView(int, int) {}
  void UpdateColors(int, int, int) {}
  void SignonNum(int, int) {}
  void Intermission(int) {}
  void Other(int, std::uint8_t) {}
  void Damaged(int) {}
};

namespace reading {

// Bytes after the type byte of the messages whose size depends on nothing
// but the stream's widths; -1 for the types that are no message of the
// level's protocol.
inline int PlainSize(int type, const StreamState& stream) {
  const int coord = stream.CoordSize();
  const int angle = stream.AngleSize();
  switch (type) {
    case svc_bad:
    case svc_nop:
    case svc_disconnect:
    case svc_killedmonster:
    case svc_foundsecret:
    case svc_sellscreen:
      return 0;
    case svc_spawnbinary:  // a message of the original protocol only
      return stream.Extended() ? -1 : 0;
    case svc_updatestat:
      return 5;
    case svc_setangle:
      return 3 * angle;
    case svc_updatefrags:
      return 3;
    case svc_stopsound:
      return 2;
    case svc_particle:
      return 3 * coord + 5;  // origin, direction, count, colour
    case svc_damage:
      return 2 + 3 * coord;  // armour, blood, origin
    case svc_spawnstatic:
      return 4 + 3 * (coord + angle);
    case svc_setpause:
      return 1;
    case svc_spawnstaticsound:
      return 3 * coord + 3;
    case svc_cdtrack:
      return 2;
    default:
      break;
  }
  if (!stream.Extended()) return -1;
  switch (type) {
    case svc_bf:
      return 0;
    case svc_fog:
      return 6;  // density, red, green, blue; the time is a short, whatever its comment says
    case svc_spawnstaticsound2:
      return 3 * coord + 4;  // origin, sound short, volume, attenuation
    default:
      return -1;
  }
}

inline float Coord(CBlock& in, const StreamState& stream) {
  const std::uint32_t flags = stream.protocolFlags;
  if (flags & PRFL_FLOATCOORD) return in.ReadFloat();
  if (flags & PRFL_INT32COORD) return static_cast<float>(in.ReadLong() * (1.0 / 16.0));
  if (flags & PRFL_24BITCOORD) {
    const int whole = in.ReadShort();
    const int fraction = in.ReadByte();
    return static_cast<float>(whole + fraction * (1.0 / 255.0));
  }
  return static_cast<float>(in.ReadShort()) * kCoordUnit;
}

// A byte angle is read without its sign, as it always was here; it names the
// same direction as the engine's signed reading.
inline float Angle(CBlock& in, const StreamState& stream) {
  const std::uint32_t flags = stream.protocolFlags;
  if (flags & PRFL_FLOATANGLE) return in.ReadFloat();
  if (flags & PRFL_SHORTANGLE) return static_cast<float>(in.ReadShort() * (360.0 / 65536.0));
  return static_cast<float>(in.ReadByte()) * kByteToAngle;
}

// The names up to the empty one, which is read too.
inline NameList Names(CBlock& in) {
  const std::uint8_t* begin = in.Data() + in.Position();
  while (!in.ReadString().empty()) {
  }
  return NameList(begin, in.Data() + in.Position() - 1);
}

// One flag byte more, shifted into place.
inline int MoreBits(CBlock& in, int shift) {
  return static_cast<int>(static_cast<std::uint32_t>(in.ReadByte()) << shift);
}

// How the fields of an update after its entity number add up, for each
// value of one flag byte: one-byte fields, coordinates and angles, packed in
// four bits each. A reader that only passes over the fields sums two of
// these instead of testing every bit.
struct EntityFieldCounts {
  std::array<std::uint16_t, 256> low{};      // the type byte's bits
  std::array<std::uint16_t, 256> high{};     // the second flag byte's
  std::array<std::uint8_t, 32> extension{};  // bits 16 to 20: one byte each
};

constexpr EntityFieldCounts MakeEntityFieldCounts() {
  constexpr int kOne = 1;
  constexpr int kCoord = 1 << 4;
  constexpr int kAngle = 1 << 8;
  EntityFieldCounts counts;
  for (int value = 0; value < 256; ++value) {
    const int high = value << 8;
    int low = 0;
    int upper = 0;
    for (const int bit : {U_ORIGIN1, U_ORIGIN2, U_ORIGIN3}) low += (value & bit) ? kCoord : 0;
    low += (value & U_ANGLE2) ? kAngle : 0;
    low += (value & U_FRAME) ? kOne : 0;
    for (const int bit : {U_ANGLE1, U_ANGLE3}) upper += (high & bit) ? kAngle : 0;
    for (const int bit : {U_MODEL, U_COLORMAP, U_SKIN, U_EFFECTS}) upper += (high & bit) ? kOne : 0;
    counts.low[static_cast<std::size_t>(value)] = static_cast<std::uint16_t>(low);
    counts.high[static_cast<std::size_t>(value)] = static_cast<std::uint16_t>(upper);
  }
  for (int value = 0; value < 32; ++value) {
    int ones = 0;
    for (int bit = 0; bit < 5; ++bit) ones += (value >> bit) & 1;
    counts.extension[static_cast<std::size_t>(value)] = static_cast<std::uint8_t>(ones);
  }
  return counts;
}

inline constexpr EntityFieldCounts kEntityFieldCounts = MakeEntityFieldCounts();

// The bytes of an update after its entity number, as its bits tell them.
inline int EntityFieldBytes(int bits, const StreamState& stream) {
  const auto flags = static_cast<std::uint32_t>(bits);
  const int packed = kEntityFieldCounts.low[flags & 0xFFu] + kEntityFieldCounts.high[(flags >> 8) & 0xFFu];
  int bytes = (packed & 0xF) + ((packed >> 4) & 0xF) * stream.CoordSize() + ((packed >> 8) & 0xF) * stream.AngleSize();
  if (stream.Extended()) bytes += kEntityFieldCounts.extension[(flags >> 16) & 0x1Fu];
  return bytes;
}

// An update's flags: its type byte's, and those of the bytes they call for.
inline int EntityUpdateBits(CBlock& in, std::uint8_t type, const StreamState& stream) {
  int bits = type & ~kEntityUpdateBit;
  if (bits & U_MOREBITS) bits |= MoreBits(in, 8);
  if (stream.Extended()) {
    if (bits & U_EXTEND1) bits |= MoreBits(in, 16);
    if (bits & U_EXTEND2) bits |= MoreBits(in, 24);
  }
  return bits;
}

inline int EntityNumber(CBlock& in, int bits) { return (bits & U_LONGENTITY) ? in.ReadShort() : in.ReadByte(); }

inline EntityUpdateFields EntityUpdate(CBlock& in, std::uint8_t type, const StreamState& stream) {
  EntityUpdateFields update;
  const int bits = EntityUpdateBits(in, type, stream);
  const bool extended = stream.Extended();
  update.bits = bits;
  update.entity = EntityNumber(in, bits);
  if (bits & U_MODEL) update.model = in.ReadByte();
  if (bits & U_FRAME) in.Skip(1);
  if (bits & U_COLORMAP) in.Skip(1);
  if (bits & U_SKIN) in.Skip(1);
  if (bits & U_EFFECTS) in.Skip(1);
  constexpr int kOriginBits[3] = {U_ORIGIN1, U_ORIGIN2, U_ORIGIN3};
  constexpr int kAngleBits[3] = {U_ANGLE1, U_ANGLE2, U_ANGLE3};
  for (std::size_t axis = 0; axis < 3; ++axis) {
    if (bits & kOriginBits[axis]) {
      update.origin[axis] = Coord(in, stream);
      update.originPresent[axis] = true;
    }
    if (bits & kAngleBits[axis]) {
      update.angles[axis] = Angle(in, stream);
      update.anglePresent[axis] = true;
    }
  }
  if (extended) {
    // In the order the engine reads them, which is not the bits' order.
    constexpr int kExtensionBytes[] = {U_ALPHA, U_SCALE, U_FRAME2, U_MODEL2, U_LERPFINISH};
    for (const int bit : kExtensionBytes) {
      if (bits & bit) in.Skip(1);
    }
  }
  return update;
}

inline ClientDataFields ClientData(CBlock& in, int start, const StreamState& stream) {
  static constexpr int kByteFieldBits[kClientDataByteFields] = {SU_VIEWHEIGHT, SU_IDEALPITCH, SU_PUNCH1, SU_VELOCITY1,
                                                                SU_PUNCH2,     SU_VELOCITY2,  SU_PUNCH3, SU_VELOCITY3};
  ClientDataFields data;
  data.bits = static_cast<std::uint16_t>(in.ReadShort());
  const bool extended = stream.Extended();
  if (extended) {
    if (data.bits & SU_EXTEND1) data.bits |= MoreBits(in, 16);
    if (data.bits & SU_EXTEND2) data.bits |= MoreBits(in, 24);
  }
  for (std::size_t field = 0; field < kClientDataByteFields; ++field) {
    data.byteOffset[field] = -1;
    if (!(data.bits & kByteFieldBits[field])) continue;
    data.byteOffset[field] = in.Position() - start;
    in.Skip(1);
  }
  // The engines of FitzQuake's family read the items whatever the bits say.
  if ((data.bits & SU_ITEMS) || stream.serverVersion107 || extended) {
    data.itemsPresent = true;
    data.items = in.ReadLong();
  }
  if (data.bits & SU_WEAPONFRAME) in.Skip(1);
  if (data.bits & SU_ARMOR) data.armor = in.ReadByte();
  if (data.bits & SU_WEAPON) data.weapon = in.ReadByte();
  data.health = in.ReadShort();
  data.ammo = in.ReadByte();
  for (int& count : data.ammoCounts) count = in.ReadByte();
  data.activeWeapon = in.ReadByte();
  if (extended) {
    // The high bytes of the counts above, then two of the weapon's own.
    int* const kHighBytes[] = {&data.weapon,        &data.armor,         &data.ammo,         &data.ammoCounts[0],
                               &data.ammoCounts[1], &data.ammoCounts[2], &data.ammoCounts[3]};
    constexpr int kHighBits[] = {SU_WEAPON2, SU_ARMOR2, SU_AMMO2, SU_SHELLS2, SU_NAILS2, SU_ROCKETS2, SU_CELLS2};
    for (std::size_t field = 0; field < std::size(kHighBits); ++field) {
      if (data.bits & kHighBits[field]) *kHighBytes[field] |= in.ReadByte() << 8;
    }
    if (data.bits & SU_WEAPONFRAME2) in.Skip(1);
    if (data.bits & SU_WEAPONALPHA) in.Skip(1);
  }
  return data;
}

inline ServerInfoFields ServerInfo(CBlock& in) {
  ServerInfoFields info;
  info.protocol = in.ReadLong();
  if (info.protocol == kProtocolRmq) info.protocolFlags = static_cast<std::uint32_t>(in.ReadLong());
  info.maxClients = in.ReadByte();
  in.Skip(1);  // game type
  info.levelName = in.ReadString();
  info.models = Names(in);
  info.sounds = Names(in);
  return info;
}

// The part of a baseline after its entity number; `bits` are those of the
// second form, 0 for the first.
inline void BaselineBody(CBlock& in, const StreamState& stream, int bits, BaselineFields& baseline) {
  baseline.bits = bits;
  baseline.model = (bits & B_LARGEMODEL) ? static_cast<std::uint16_t>(in.ReadShort()) : in.ReadByte();
  in.Skip((bits & B_LARGEFRAME) ? 2 : 1);
  in.Skip(2);  // colour map, skin
  for (std::size_t axis = 0; axis < 3; ++axis) {
    baseline.origin[axis] = Coord(in, stream);
    baseline.angles[axis] = Angle(in, stream);
  }
  if (bits & B_ALPHA) in.Skip(1);
  if (bits & B_SCALE) in.Skip(1);
}

inline BaselineFields Baseline(CBlock& in, const StreamState& stream, bool second) {
  BaselineFields baseline;
  baseline.entity = in.ReadShort();
  BaselineBody(in, stream, second ? in.ReadByte() : 0, baseline);
  return baseline;
}

inline void TempEntity(CBlock& in, const StreamState& stream) {
  const std::uint8_t kind = in.ReadByte();
  const int coord = stream.CoordSize();
  switch (kind) {
    case 5:
    case 6:
    case 9:
    case 13:  // beams: entity and two ends
      in.Skip(2 + 6 * coord);
      return;
    case 12:  // coloured explosion: origin, first colour, colour count
      in.Skip(3 * coord + 2);
      return;
    default:
      if (kind > kTempEntityLastKind) throw BadMessage{};
      in.Skip(3 * coord);
      return;
  }
}

inline void Sound(CBlock& in, const StreamState& stream) {
  const std::uint8_t mask = in.ReadByte();
  const bool extended = stream.Extended();
  if (mask & SND_VOLUME) in.Skip(1);
  if (mask & SND_ATTENUATION) in.Skip(1);
  in.Skip(extended && (mask & SND_LARGEENTITY) ? 3 : 2);  // entity and channel
  in.Skip(extended && (mask & SND_LARGESOUND) ? 2 : 1);   // sound number
  in.Skip(3 * stream.CoordSize());
}

// The messages that protocols 666 and 999 add and whose size varies.
inline bool ExtendedMessage(CBlock& in, const StreamState& stream, std::uint8_t type) {
  switch (type) {
    case svc_skybox:
    case svc_achievement:
      in.ReadString();
      return true;
    case svc_spawnstatic2: {
      BaselineFields ignored;
      BaselineBody(in, stream, in.ReadByte(), ignored);
      return true;
    }
    case svc_localsound:
      in.Skip((in.ReadByte() & SND_LARGESOUND) ? 2 : 1);
      return true;
    default:
      return false;
  }
}

inline bool ReadableProtocol(std::int32_t protocol) {
  return protocol == kProtocolVersion || protocol == kProtocolFitzQuake || protocol == kProtocolRmq;
}

// Whether the messages of the level a server info begins can be read:
// protocols 15 and 666, and 999 unless more flags follow its flags.
inline bool ReadableLevel(const ServerInfoFields& info) {
  if (info.protocol == kProtocolRmq) return !(info.protocolFlags & PRFL_MOREFLAGS);
  return ReadableProtocol(info.protocol);
}

template <typename Handler>
void Message(CBlock& in, StreamState& stream, Handler& handler, int start) {
  const std::uint8_t type = in.ReadByte();
  if (type >= kEntityUpdateBit) {
    if constexpr (requires { handler.EntitySeen(start, 0); }) {
      const int bits = EntityUpdateBits(in, type, stream);
      const int entity = EntityNumber(in, bits);
      in.Skip(EntityFieldBytes(bits, stream));
      handler.EntitySeen(start, entity);
    } else {
      handler.EntityUpdate(start, EntityUpdate(in, type, stream));
    }
    return;
  }
  switch (type) {
    case svc_time: {
      const float seconds = in.ReadFloat();
      handler.Time(start, seconds);
      return;
    }
    case svc_clientdata: {
      const ClientDataFields data = ClientData(in, start, stream);
      handler.ClientData(start, data);
      return;
    }
    case svc_setview: {
      const int entity = in.ReadShort();
      handler.SetView(start, entity);
      return;
    }
    case svc_print:
    case svc_stufftext:
    case svc_centerprint:
    case svc_lightstyle:
    case svc_updatename:
    case svc_finale:
    case svc_cutscene: {
      if (type == svc_lightstyle || type == svc_updatename) in.Skip(1);
      const std::string_view text = in.ReadString();
      if (type == svc_print && text.find("VERSION 1.07 SERVER") != std::string_view::npos) {
        stream.serverVersion107 = true;
      }
      handler.Text(start, type, text);
      return;
    }
    case svc_serverinfo: {
      const ServerInfoFields info = ServerInfo(in);
      // Every later message is read as this level's protocol lays it out.
      stream.protocol = info.protocol;
      stream.protocolFlags = info.protocolFlags;
      handler.ServerInfo(start, info);
      return;
    }
    case svc_spawnbaseline:
    case svc_spawnbaseline2: {
      if (type == svc_spawnbaseline2 && !stream.Extended()) throw BadMessage{};
      const BaselineFields baseline = Baseline(in, stream, type == svc_spawnbaseline2);
      handler.SpawnBaseline(start, baseline);
      return;
    }
    case svc_updatecolors: {
      const int player = in.ReadByte();
      const int colors = in.ReadByte();
      handler.UpdateColors(start, player, colors);
      return;
    }
    case svc_signonnum: {
      const int stage = in.ReadByte();
      handler.SignonNum(start, stage);
      return;
    }
    case svc_intermission:
      handler.Intermission(start);
      return;
    case svc_version: {
      // The engine takes a new protocol from it, with the flags it had, and
      // stops at a number it does not know.
      const std::int32_t protocol = in.ReadLong();
      if (!ReadableProtocol(protocol)) throw BadMessage{};
      stream.protocol = protocol;
      break;
    }
    case svc_sound:
      Sound(in, stream);
      break;
    case svc_temp_entity:
      TempEntity(in, stream);
      break;
    default: {
      if (stream.Extended() && ExtendedMessage(in, stream, type)) break;
      const int size = PlainSize(type, stream);
      if (size < 0) throw BadMessage{};  // not a message of the level's protocol
      in.Skip(size);
      break;
    }
  }
  handler.Other(start, type);
}

}  // namespace reading

template <typename Handler>
void ReadMessages(CBlock& in, StreamState& stream, Handler& handler) {
  while (!in.AtEnd()) {
    const int start = in.Position();
    try {
      reading::Message(in, stream, handler, start);
    } catch (const BadMessage&) {
      // A message cut by its block's end, or bytes that are no message.
      in.RewindTo(start);
      in.SkipRest();
      handler.Damaged(start);
    }
  }
}

}  // namespace cw
