#include "demo_builder.h"

#include <cmath>
#include <cstring>
#include <fstream>
#include <ostream>

namespace cw::test {
namespace {

// Truncation toward zero that stays defined for any float a test may pass.
std::int64_t Truncate(double value) {
  if (!(value > -9.0e18 && value < 9.0e18)) return 0;
  return static_cast<std::int64_t>(std::trunc(value));
}

void AppendLittleEndian(std::string& out, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFFu));
}

std::uint32_t FloatBits(float value) {
  std::uint32_t bits = 0;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}

void AppendHeader(std::string& out, std::int32_t length, const Vec3& angles) {
  AppendLittleEndian(out, static_cast<std::uint32_t>(length));
  for (float angle : angles) AppendLittleEndian(out, FloatBits(angle));
}

}  // namespace

int ClientData::Flags() const {
  if (flagsOverride) return *flagsOverride;
  int flags = 0;
  if (viewHeight) flags |= 0x0001;
  if (idealPitch) flags |= 0x0002;
  if (punch[0]) flags |= 0x0004;
  if (punch[1]) flags |= 0x0008;
  if (punch[2]) flags |= 0x0010;
  if (velocity[0]) flags |= 0x0020;
  if (velocity[1]) flags |= 0x0040;
  if (velocity[2]) flags |= 0x0080;
  if (items) flags |= 0x0200;
  if (weaponFrame) flags |= 0x1000;
  if (armor) flags |= 0x2000;
  if (weapon) flags |= 0x4000;
  if (weapon2) flags |= 1 << 16;
  if (armor2) flags |= 1 << 17;
  if (ammo2) flags |= 1 << 18;
  if (shells2) flags |= 1 << 19;
  if (nails2) flags |= 1 << 20;
  if (rockets2) flags |= 1 << 21;
  if (cells2) flags |= 1 << 22;
  if (weaponFrame2) flags |= 1 << 24;
  if (weaponAlpha) flags |= 1 << 25;
  if ((flags >> 24) != 0) flags |= 1 << 23;          // a fourth flag byte
  if (((flags >> 16) & 0xFF) != 0) flags |= 0x8000;  // a third flag byte
  return flags;
}

int EntityUpdate::Flags() const {
  using namespace wire;
  int flags = extraFlags;
  if (model) flags |= kModel;
  if (frame) flags |= kFrame;
  if (colormap) flags |= kColormap;
  if (skin) flags |= kSkin;
  if (effects) flags |= kEffects;
  if (origin[0]) flags |= kOrigin1;
  if (origin[1]) flags |= kOrigin2;
  if (origin[2]) flags |= kOrigin3;
  if (angles[0]) flags |= kAngle1;
  if (angles[1]) flags |= kAngle2;
  if (angles[2]) flags |= kAngle3;
  if (alpha) flags |= kAlpha;
  if (scale) flags |= kScale;
  if (frame2) flags |= kFrame2;
  if (model2) flags |= kModel2;
  if (lerpFinish) flags |= kLerpFinish;
  if (forceLongEntity || entity < 0 || entity > 255) flags |= kLongEntity;
  if ((flags >> 24) != 0) flags |= kExtend2;
  if (((flags >> 16) & 0xFF) != 0) flags |= kExtend1;
  if (forceMoreBits || (flags & 0xFFFF00) != 0) flags |= kMoreBits;
  return flags;
}

bool TempEntityIsBeam(int kind) { return kind == 5 || kind == 6 || kind == 9 || kind == 13; }

// --- fields ------------------------------------------------------------

MessageBytes& MessageBytes::Byte(int value) {
  bytes.push_back(static_cast<std::uint8_t>(static_cast<unsigned>(value) & 0xFFu));
  return *this;
}

MessageBytes& MessageBytes::Short(int value) {
  const auto bits = static_cast<unsigned>(value);
  bytes.push_back(static_cast<std::uint8_t>(bits & 0xFFu));
  bytes.push_back(static_cast<std::uint8_t>((bits >> 8) & 0xFFu));
  return *this;
}

MessageBytes& MessageBytes::Long(std::int32_t value) {
  const auto bits = static_cast<std::uint32_t>(value);
  for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<std::uint8_t>((bits >> (8 * i)) & 0xFFu));
  return *this;
}

MessageBytes& MessageBytes::Float(float value) { return Long(static_cast<std::int32_t>(FloatBits(value))); }

MessageBytes& MessageBytes::String(std::string_view text) {
  bytes.insert(bytes.end(), text.begin(), text.end());
  bytes.push_back(0);
  return *this;
}

MessageBytes& MessageBytes::Coord(float value) {
  const std::uint32_t flags = encoding.flags;
  if (flags & wire::kFloatCoord) return Float(value);
  if (flags & wire::kInt32Coord) return Long(static_cast<std::int32_t>(std::lround(static_cast<double>(value) * 16.0)));
  if (flags & wire::k24BitCoord) {
    // A whole short and 255ths of a unit in a byte, as the engine reads them.
    const double whole = std::floor(static_cast<double>(value));
    const auto fraction = std::lround((static_cast<double>(value) - whole) * 255.0);
    return Short(static_cast<int>(Truncate(whole) & 0xFFFF)).Byte(static_cast<int>(fraction));
  }
  return Short(static_cast<int>(Truncate(static_cast<double>(value) * 8.0) & 0xFFFF));
}

// As a server writes it: degrees * 256 / 360 in float, truncated, low 8 bits;
// 999's short angles rounded, as its servers do.
MessageBytes& MessageBytes::Angle(float degrees) {
  const std::uint32_t flags = encoding.flags;
  if (flags & wire::kFloatAngle) return Float(degrees);
  if (flags & wire::kShortAngle) {
    return Short(static_cast<int>(std::llround(static_cast<double>(degrees) * 65536.0 / 360.0) & 0xFFFF));
  }
  return Byte(static_cast<int>(Truncate(static_cast<double>(degrees * 256.0f / 360.0f)) & 0xFF));
}

MessageBytes& MessageBytes::Raw(const std::vector<std::uint8_t>& more) {
  bytes.insert(bytes.end(), more.begin(), more.end());
  return *this;
}

MessageBytes& MessageBytes::Append(const MessageBytes& other) { return Raw(other.bytes); }

// --- messages ----------------------------------------------------------

MessageBytes& MessageBytes::Bad() { return Byte(0); }
MessageBytes& MessageBytes::Nop() { return Byte(1); }
MessageBytes& MessageBytes::Disconnect() { return Byte(2); }
MessageBytes& MessageBytes::UpdateStat(int index, std::int32_t value) { return Byte(3).Byte(index).Long(value); }
MessageBytes& MessageBytes::Version(std::int32_t version) { return Byte(4).Long(version); }
MessageBytes& MessageBytes::SetView(int entity) { return Byte(5).Short(entity); }

MessageBytes& MessageBytes::PlaySound(const Sound& sound) {
  // Protocols 666 and 999 give the entity a short of its own, and the sound
  // number a short, when a byte or 13 bits do not hold them.
  const bool largeEntity = encoding.Extended() && (sound.entity >= 8192 || sound.channel > 7);
  const bool largeSound = encoding.Extended() && sound.sound > 255;
  const int mask = (sound.volume ? 1 : 0) | (sound.attenuation ? 2 : 0) | (largeEntity ? 8 : 0) | (largeSound ? 16 : 0);
  Byte(6).Byte(mask);
  if (sound.volume) Byte(*sound.volume);
  if (sound.attenuation) Byte(*sound.attenuation);
  if (largeEntity) {
    Short(sound.entity).Byte(sound.channel);
  } else {
    // The channel short carries the entity in its upper 13 bits.
    Short((sound.entity << 3) | (sound.channel & 7));
  }
  if (largeSound) {
    Short(sound.sound);
  } else {
    Byte(sound.sound);
  }
  for (float axis : sound.origin) Coord(axis);
  return *this;
}

MessageBytes& MessageBytes::Time(float seconds) { return Byte(7).Float(seconds); }
MessageBytes& MessageBytes::Print(std::string_view text) { return Byte(8).String(text); }
MessageBytes& MessageBytes::StuffText(std::string_view text) { return Byte(9).String(text); }

MessageBytes& MessageBytes::SetAngle(const Vec3& angles) {
  Byte(10);
  for (float angle : angles) Angle(angle);
  return *this;
}

MessageBytes& MessageBytes::ServerInfoMessage(const ServerInfo& info) {
  Byte(11).Long(info.protocol);
  if (info.protocol == wire::kRmq) Long(static_cast<std::int32_t>(info.flags));
  // What follows in these bytes is written in the level's protocol.
  encoding = Encoding{info.protocol, info.protocol == wire::kRmq ? info.flags : 0};
  Byte(info.maxClients).Byte(info.gameType).String(info.levelName);
  for (const std::string& model : info.models) String(model);
  String("");
  for (const std::string& sound : info.sounds) String(sound);
  return String("");
}

MessageBytes& MessageBytes::LightStyle(int style, std::string_view map) { return Byte(12).Byte(style).String(map); }
MessageBytes& MessageBytes::UpdateName(int player, std::string_view name) { return Byte(13).Byte(player).String(name); }
MessageBytes& MessageBytes::UpdateFrags(int player, int frags) { return Byte(14).Byte(player).Short(frags); }

MessageBytes& MessageBytes::ClientDataMessage(const ClientData& data) {
  // Servers of protocols 666 and 999 always send the items.
  if (encoding.Extended() && !data.items && !data.flagsOverride) {
    ClientData withItems = data;
    withItems.items = 0;
    return ClientDataMessage(withItems);
  }
  const int flags = data.Flags();
  Byte(15).Short(flags & 0xFFFF);
  if (flags & 0x8000) Byte(flags >> 16);
  if (flags & (1 << 23)) Byte(flags >> 24);
  // The order on the wire interleaves punch and velocity per axis.
  if (data.viewHeight) Byte(*data.viewHeight);
  if (data.idealPitch) Byte(*data.idealPitch);
  for (int axis = 0; axis < 3; ++axis) {
    if (data.punch[axis]) Byte(*data.punch[axis]);
    if (data.velocity[axis]) Byte(*data.velocity[axis]);
  }
  if (data.items) Long(*data.items);
  if (data.weaponFrame) Byte(*data.weaponFrame);
  if (data.armor) Byte(*data.armor);
  if (data.weapon) Byte(*data.weapon);
  Short(data.health).Byte(data.currentAmmo);
  for (int ammo : data.ammo) Byte(ammo);
  Byte(data.activeWeapon);
  for (const std::optional<int>* high : {&data.weapon2, &data.armor2, &data.ammo2, &data.shells2, &data.nails2,
                                         &data.rockets2, &data.cells2, &data.weaponFrame2, &data.weaponAlpha}) {
    if (*high) Byte(**high);
  }
  return *this;
}

MessageBytes& MessageBytes::StopSound(int entityChannel) { return Byte(16).Short(entityChannel); }
MessageBytes& MessageBytes::UpdateColors(int player, int colors) { return Byte(17).Byte(player).Byte(colors); }

MessageBytes& MessageBytes::Particle(const Vec3& origin, const Vec3& direction, int count, int color) {
  Byte(18);
  for (float axis : origin) Coord(axis);
  // Direction bytes are signed sixteenths.
  for (float axis : direction) Byte(static_cast<int>(Truncate(static_cast<double>(axis) * 16.0)));
  return Byte(count).Byte(color);
}

MessageBytes& MessageBytes::Damage(int armor, int blood, const Vec3& from) {
  Byte(19).Byte(armor).Byte(blood);
  for (float axis : from) Coord(axis);
  return *this;
}

MessageBytes& MessageBytes::SpawnStatic(const Baseline& what) { return Byte(20).BaselineBody(what, false); }

// Model, frame, colour map, skin, origin and angles; the second form has a
// flag byte first that says which fields are wide and which follow.
MessageBytes& MessageBytes::BaselineBody(const Baseline& baseline, bool second) {
  const int bits = !second ? 0
                           : (baseline.model > 255 ? 1 : 0) | (baseline.frame > 255 ? 2 : 0) |
                                 (baseline.alpha ? 4 : 0) | (baseline.scale ? 8 : 0);
  if (second) Byte(bits);
  if (bits & 1) {
    Short(baseline.model);
  } else {
    Byte(baseline.model);
  }
  if (bits & 2) {
    Short(baseline.frame);
  } else {
    Byte(baseline.frame);
  }
  Byte(baseline.colormap).Byte(baseline.skin);
  for (std::size_t axis = 0; axis < 3; ++axis) Coord(baseline.origin[axis]).Angle(baseline.angles[axis]);
  if (baseline.alpha) Byte(*baseline.alpha);
  if (baseline.scale) Byte(*baseline.scale);
  return *this;
}

MessageBytes& MessageBytes::SpawnBinary() { return Byte(21); }

MessageBytes& MessageBytes::SpawnBaseline(const Baseline& baseline) {
  return Byte(22).Short(baseline.entity).BaselineBody(baseline, false);
}

MessageBytes& MessageBytes::TempEntityMessage(const TempEntity& temp) {
  Byte(23).Byte(temp.kind);
  if (temp.kind < 0 || temp.kind > 13) return *this;
  if (TempEntityIsBeam(temp.kind)) Short(temp.entity);
  for (float axis : temp.start) Coord(axis);
  if (TempEntityIsBeam(temp.kind)) {
    for (float axis : temp.end) Coord(axis);
  } else if (temp.kind == 12) {
    Byte(temp.colorStart).Byte(temp.colorLength);
  }
  return *this;
}

MessageBytes& MessageBytes::SetPause(int paused) { return Byte(24).Byte(paused); }
MessageBytes& MessageBytes::SignonNum(int stage) { return Byte(25).Byte(stage); }
MessageBytes& MessageBytes::CenterPrint(std::string_view text) { return Byte(26).String(text); }
MessageBytes& MessageBytes::KilledMonster() { return Byte(27); }
MessageBytes& MessageBytes::FoundSecret() { return Byte(28); }

MessageBytes& MessageBytes::SpawnStaticSound(const Vec3& origin, int sound, int volume, int attenuation) {
  Byte(29);
  for (float axis : origin) Coord(axis);
  return Byte(sound).Byte(volume).Byte(attenuation);
}

MessageBytes& MessageBytes::Intermission() { return Byte(30); }
MessageBytes& MessageBytes::Finale(std::string_view text) { return Byte(31).String(text); }
MessageBytes& MessageBytes::CdTrack(int track, int loopTrack) { return Byte(32).Byte(track).Byte(loopTrack); }
MessageBytes& MessageBytes::SellScreen() { return Byte(33); }
MessageBytes& MessageBytes::Cutscene(std::string_view text) { return Byte(34).String(text); }

MessageBytes& MessageBytes::EntityUpdateMessage(const EntityUpdate& update) {
  using namespace wire;
  const int flags = update.Flags();
  Byte(kEntityUpdate | (flags & 0x7F));
  if (flags & kMoreBits) Byte(flags >> 8);
  if (flags & kExtend1) Byte(flags >> 16);
  if (flags & kExtend2) Byte(flags >> 24);
  if (flags & kLongEntity) {
    Short(update.entity);
  } else {
    Byte(update.entity);
  }
  if (update.model) Byte(*update.model);
  if (update.frame) Byte(*update.frame);
  if (update.colormap) Byte(*update.colormap);
  if (update.skin) Byte(*update.skin);
  if (update.effects) Byte(*update.effects);
  // Each origin axis is followed by its angle: x pitch, y yaw, z roll.
  for (int axis = 0; axis < 3; ++axis) {
    if (update.origin[axis]) Coord(*update.origin[axis]);
    if (update.angles[axis]) Angle(*update.angles[axis]);
  }
  // The engine reads these in its own order, not the order of their bits.
  for (const std::optional<int>* field :
       {&update.alpha, &update.scale, &update.frame2, &update.model2, &update.lerpFinish}) {
    if (*field) Byte(**field);
  }
  return *this;
}

MessageBytes& MessageBytes::Skybox(std::string_view name) { return Byte(37).String(name); }
MessageBytes& MessageBytes::Bf() { return Byte(40); }

// The time is a short of hundredths of a second.
MessageBytes& MessageBytes::Fog(int density, int red, int green, int blue, int hundredths) {
  return Byte(41).Byte(density).Byte(red).Byte(green).Byte(blue).Short(hundredths);
}

MessageBytes& MessageBytes::SpawnBaseline2(const Baseline& baseline) {
  return Byte(42).Short(baseline.entity).BaselineBody(baseline, true);
}

MessageBytes& MessageBytes::SpawnStatic2(const Baseline& what) { return Byte(43).BaselineBody(what, true); }

MessageBytes& MessageBytes::SpawnStaticSound2(const Vec3& origin, int sound, int volume, int attenuation) {
  Byte(44);
  for (float axis : origin) Coord(axis);
  return Short(sound).Byte(volume).Byte(attenuation);
}

MessageBytes& MessageBytes::Achievement(std::string_view name) { return Byte(52).String(name); }

MessageBytes& MessageBytes::LocalSound(int sound) {
  if (sound > 255) return Byte(56).Byte(16).Short(sound);
  return Byte(56).Byte(0).Byte(sound);
}

// --- files -------------------------------------------------------------

std::string EncodeBlock(const Vec3& angles, const MessageBytes& messages) {
  std::string out;
  out.reserve(16 + messages.Size());
  AppendHeader(out, static_cast<std::int32_t>(messages.Size()), angles);
  out.append(messages.Bytes().begin(), messages.Bytes().end());
  return out;
}

DemoBuilder& DemoBuilder::FirstLine(std::string line) {
  firstLine = std::move(line);
  return *this;
}

DemoBuilder& DemoBuilder::Block(const MessageBytes& messages, const Vec3& angles) {
  body += EncodeBlock(angles, messages);
  ++blockCount;
  return *this;
}

DemoBuilder& DemoBuilder::RawBlock(std::int32_t length, const Vec3& angles, const std::vector<std::uint8_t>& bytes) {
  AppendHeader(body, length, angles);
  body.append(bytes.begin(), bytes.end());
  ++blockCount;
  return *this;
}

DemoBuilder& DemoBuilder::RawBytes(std::string_view bytes) {
  body.append(bytes);
  return *this;
}

std::string DemoBuilder::Build() const { return firstLine + body; }

std::vector<std::uint8_t> DemoBuilder::BuildBytes() const {
  const std::string all = Build();
  return {all.begin(), all.end()};
}

bool DemoBuilder::WriteFile(const std::string& path) const {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  const std::string all = Build();
  out.write(all.data(), static_cast<std::streamsize>(all.size()));
  return static_cast<bool>(out);
}

}  // namespace cw::test
