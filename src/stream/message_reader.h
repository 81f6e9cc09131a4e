#pragma once
// Reads the server messages of a block one by one and hands each, whole and
// decoded, to a handler. A message is handed over only once all of its bytes
// were read, so a handler never sees a message cut by its block's end: such a
// message, and the rest of its block, go to the handler as damaged.
//
// The handler is a template parameter, so that the calls of a block of small
// messages are direct. What it must offer:
//   EntityUpdate(int start, const EntityUpdateFields&)
//   ClientData(int start, const ClientDataFields&)
//   ServerInfo(int start, const ServerInfoFields&)
//   SpawnBaseline(int start, const BaselineFields&)
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
struct StreamState {
  // A 1.07 server sends the items in every client data, whatever its bits say.
  bool serverVersion107 = false;
};

struct EntityUpdateFields {
  int bits = 0;  // U_* flags
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
  int bits = 0;  // SU_* flags
  // Where each optional byte field stands, counted from the message's
  // start; -1 when the message leaves it out.
  std::array<int, kClientDataByteFields> byteOffset{};
  int health = 0;
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
  int maxClients = 0;  // entities 1 to maxClients are the players
  std::string_view levelName;
  NameList models;
  NameList sounds;
};

struct BaselineFields {
  int entity = 0;  // as the stream carries it: a signed short
  int model = 0;   // an index into the model list
  Vec3 origin{0, 0, 0};
};

namespace reading {

// Bytes after the type byte of the messages whose size never varies; -1
// for the types that are no message of the protocol.
inline int FixedSize(int type) {
  switch (type) {
    case svc_bad:
    case svc_nop:
    case svc_disconnect:
    case svc_spawnbinary:
    case svc_killedmonster:
    case svc_foundsecret:
    case svc_sellscreen:
      return 0;
    case svc_updatestat:
      return 5;
    case svc_version:
      return 4;
    case svc_setangle:
      return 3;
    case svc_updatefrags:
      return 3;
    case svc_stopsound:
      return 2;
    case svc_particle:
      return 11;
    case svc_damage:
      return 8;
    case svc_spawnstatic:
      return 13;
    case svc_setpause:
      return 1;
    case svc_spawnstaticsound:
      return 9;
    case svc_cdtrack:
      return 2;
    default:
      return -1;
  }
}

inline float Coord(CBlock& in) { return static_cast<float>(in.ReadShort()) * kCoordUnit; }
inline float Angle(CBlock& in) { return static_cast<float>(in.ReadByte()) * kByteToAngle; }

inline void SkipString(CBlock& in) { in.ReadString(); }

// The names up to the empty one, which is read too.
inline NameList Names(CBlock& in) {
  const std::uint8_t* begin = in.Data() + in.Position();
  while (!in.ReadString().empty()) {
  }
  return NameList(begin, in.Data() + in.Position() - 1);
}

inline EntityUpdateFields EntityUpdate(CBlock& in, std::uint8_t type) {
  EntityUpdateFields update;
  int bits = type & ~kEntityUpdateBit;
  if (bits & U_MOREBITS) bits |= in.ReadByte() << 8;
  update.bits = bits;
  update.entity = (bits & U_LONGENTITY) ? in.ReadShort() : in.ReadByte();
  if (bits & U_MODEL) update.model = in.ReadByte();
  if (bits & U_FRAME) in.Skip(1);
  if (bits & U_COLORMAP) in.Skip(1);
  if (bits & U_SKIN) in.Skip(1);
  if (bits & U_EFFECTS) in.Skip(1);
  constexpr int kOriginBits[3] = {U_ORIGIN1, U_ORIGIN2, U_ORIGIN3};
  constexpr int kAngleBits[3] = {U_ANGLE1, U_ANGLE2, U_ANGLE3};
  for (std::size_t axis = 0; axis < 3; ++axis) {
    if (bits & kOriginBits[axis]) {
      update.origin[axis] = Coord(in);
      update.originPresent[axis] = true;
    }
    if (bits & kAngleBits[axis]) {
      update.angles[axis] = Angle(in);
      update.anglePresent[axis] = true;
    }
  }
  return update;
}

inline ClientDataFields ClientData(CBlock& in, int start, const StreamState& stream) {
  static constexpr int kByteFieldBits[kClientDataByteFields] = {SU_VIEWHEIGHT, SU_IDEALPITCH, SU_PUNCH1, SU_VELOCITY1,
                                                                SU_PUNCH2,     SU_VELOCITY2,  SU_PUNCH3, SU_VELOCITY3};
  ClientDataFields data;
  data.bits = static_cast<std::uint16_t>(in.ReadShort());
  for (std::size_t field = 0; field < kClientDataByteFields; ++field) {
    data.byteOffset[field] = -1;
    if (!(data.bits & kByteFieldBits[field])) continue;
    data.byteOffset[field] = in.Position() - start;
    in.Skip(1);
  }
  if ((data.bits & SU_ITEMS) || stream.serverVersion107) in.Skip(4);
  if (data.bits & SU_WEAPONFRAME) in.Skip(1);
  if (data.bits & SU_ARMOR) in.Skip(1);
  if (data.bits & SU_WEAPON) in.Skip(1);
  data.health = in.ReadShort();
  in.Skip(6);  // ammunition counts and active weapon
  return data;
}

inline ServerInfoFields ServerInfo(CBlock& in) {
  ServerInfoFields info;
  info.protocol = in.ReadLong();
  info.maxClients = in.ReadByte();
  in.Skip(1);  // game type
  info.levelName = in.ReadString();
  info.models = Names(in);
  info.sounds = Names(in);
  return info;
}

inline BaselineFields Baseline(CBlock& in) {
  BaselineFields baseline;
  baseline.entity = in.ReadShort();
  baseline.model = in.ReadByte();
  in.Skip(3);  // frame, colour map, skin
  for (float& axis : baseline.origin) {
    axis = Coord(in);
    in.Skip(1);  // angle
  }
  return baseline;
}

inline void TempEntity(CBlock& in) {
  const std::uint8_t kind = in.ReadByte();
  switch (kind) {
    case 5:
    case 6:
    case 9:
    case 13:  // beams: entity and two ends
      in.Skip(2 + 6 * 2);
      return;
    case 12:  // coloured explosion: origin, first colour, colour count
      in.Skip(3 * 2 + 2);
      return;
    default:
      if (kind > kTempEntityLastKind) throw BadMessage{};
      in.Skip(3 * 2);
      return;
  }
}

inline void Sound(CBlock& in) {
  const std::uint8_t mask = in.ReadByte();
  if (mask & SND_VOLUME) in.Skip(1);
  if (mask & SND_ATTENUATION) in.Skip(1);
  in.Skip(9);  // channel and entity, sound number, origin
}

template <typename Handler>
void Message(CBlock& in, StreamState& stream, Handler& handler, int start) {
  const std::uint8_t type = in.ReadByte();
  if (type >= kEntityUpdateBit) {
    handler.EntityUpdate(start, EntityUpdate(in, type));
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
      handler.ServerInfo(start, info);
      return;
    }
    case svc_spawnbaseline: {
      const BaselineFields baseline = Baseline(in);
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
    case svc_sound:
      Sound(in);
      break;
    case svc_temp_entity:
      TempEntity(in);
      break;
    default: {
      const int size = FixedSize(type);
      if (size < 0) throw BadMessage{};  // 35..127: not a message of the protocol
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
