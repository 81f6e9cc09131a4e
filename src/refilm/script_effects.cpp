#include "refilm/script_effects.h"

#include <algorithm>

#include "base/convert.h"
#include "base/protocol.h"
#include "base/text_format.h"
#include "camera/director.h"
#include "refilm/refilm_context.h"
#include "stream/block.h"
#include "stream/message_writer.h"

namespace cw {
namespace {

constexpr float kMaxStrength = 255.0f;

// The four values in script order: red, green, blue, strength.
void CommandColour(const CCommand& command, float values[4]) {
  values[0] = command.param3;
  values[1] = command.param2;
  values[2] = command.param1;
  values[3] = command.param4;
}

void WriteColourShift(RefilmContext& context, CBlock& out, const float values[4]) {
  std::string& text = context.edits.textBuffer;
  text.assign("v_cshift ");
  for (int i = 0; i < 4; ++i) {
    AppendInt(text, TruncateToInt(values[i]));
    text.push_back(' ');
  }
  text.push_back('\n');
  out.BeginMessage();
  out.PutByte(svc_stufftext);
  out.PutString(text);
}

void WriteSound(RefilmContext& context, CBlock& out, const CCommand& command) {
  const int entity = command.cameraSource ? context.edits.cameraEntity : TruncateToInt(command.endTime);
  const StreamState& stream = context.stream;
  const int sound = context.commands.sounds.Number(command.soundSlot);
  int flags = 0;
  if (command.param2 != kDefaultSoundVolume) flags |= SND_VOLUME;
  if (command.param3 != kDefaultSoundAttenuation) flags |= SND_ATTENUATION;
  // The original protocol shares a short between the entity and its channel;
  // an entity past that short's room has no sound there.
  if (entity >= kSmallSoundEntityLimit) {
    if (!stream.Extended()) return;
    flags |= SND_LARGEENTITY;
  }
  if (sound > 255) flags |= SND_LARGESOUND;  // only a long list of 666 or 999 numbers it so

  // A sound from an entity the demo never placed comes from the camera.
  Vec3 origin = context.director.cameraOrigin;
  if (!command.cameraSource) {
    if (const TrackPoint* point = context.entities.LatestPoint(entity)) origin = {point->x, point->y, point->z};
  }

  out.BeginMessage();
  out.PutByte(svc_sound);
  out.PutByte(flags);
  if (flags & SND_VOLUME) out.PutByte(TruncateToInt(command.param2 * 255.0f));
  if (flags & SND_ATTENUATION) out.PutByte(TruncateToInt(command.param3 * 64.0f));
  if (flags & SND_LARGEENTITY) {
    out.PutShort(entity);
    out.PutByte(TruncateToInt(command.param1));
  } else {
    out.PutShort(TruncateToInt(command.param1 + static_cast<float>(entity) * 8.0f));
  }
  if (flags & SND_LARGESOUND) {
    out.PutShort(sound);
  } else {
    out.PutByte(sound);
  }
  for (float axis : origin) PutCoord(out, stream, axis);
}

}  // namespace

int SoundListSize(const StreamState& stream) { return stream.Extended() ? kLargeSoundListSize : kNameTableSize; }

void PaletteStage(RefilmContext& context, CBlock& out) {
  CommandList& list = context.commands.palette;
  const float demoTime = context.run.demoTime;
  if (list.Empty() || list.Head().startTime > demoTime) return;
  const CCommand& command = list.Head();
  float target[4];
  CommandColour(command, target);
  float* last = context.edits.paletteLast;

  if (!IsGradual(command.word) && command.param4 <= kMaxStrength) {
    for (int i = 0; i < 4; ++i) last[i] = target[i];
    WriteColourShift(context, out, target);
    list.RemoveHead();
    return;
  }

  // A fade, or a palette too strong to set at once: a step of the way per block.
  float fraction = 1.0f;  // a fade that ends where it starts reaches its colour at once
  if (command.endTime > command.startTime) {
    fraction = (demoTime - command.startTime) / (command.endTime - command.startTime);
    if (fraction > 1.0f) fraction = 1.0f;
  }
  float values[4];
  for (int i = 0; i < 4; ++i) values[i] = last[i] + fraction * (target[i] - last[i]);
  if (values[3] > kMaxStrength) values[3] = kMaxStrength;
  WriteColourShift(context, out, values);
  if (command.endTime < demoTime) {
    for (int i = 0; i < 4; ++i) last[i] = target[i];
    list.RemoveHead();
  }
}

void EventStage(RefilmContext& context, CBlock& out) {
  CommandList& list = context.commands.event;
  if (list.Empty() || list.Head().startTime > context.run.demoTime) return;
  const CCommand& command = list.Head();
  if (command.word == ScriptWord::Eyes) {
    const int entity = TruncateToInt(command.param4 / 100.0f);
    out.BeginMessage();
    out.PutByte(svc_setview);
    out.PutShort(entity);
    SetEyes(context.director, entity);
  } else if (command.word == ScriptWord::Sound) {
    WriteSound(context, out, command);
    context.commands.sounds.Played(command.soundSlot);
  } else if (command.messageType >= 0) {
    out.BeginMessage();
    out.PutByte(command.messageType);
    out.PutString(command.text);
  }
  // A text of any other kind is not a message the game knows: it is dropped.
  list.RemoveHead();
}

void ExtendSoundList(RefilmContext& context, CBlock& out, int room) {
  ParserValues& parser = context.parser;
  auto& names = parser.soundNames;
  ScriptSounds& sounds = context.commands.sounds;
  sounds.NewLevel();

  // Names after the empty name that ends the server's list are numbered as
  // if it were not there; the first of equal names gives the number.
  int listEnd = parser.soundCount;
  auto numberAt = [&listEnd](int index) { return index < listEnd ? index : index - 1; };
  for (int index = 1; index < parser.soundCount; ++index) {
    const std::string& name = names[static_cast<std::size_t>(index)];
    if (name.empty()) {
      listEnd = std::min(listEnd, index);
      continue;
    }
    const int slot = sounds.SlotOf(name);
    if (slot >= 0 && !sounds.Numbered(slot)) sounds.NumberSlot(slot, numberAt(index));
  }

  // The others join the list in the order in which they will play, while the
  // list has room and the message stays within its block's limit; the rest
  // play nothing (sound 0).
  sounds.ForEachPending([&](int slot) {
    if (sounds.Numbered(slot)) return true;
    const std::string& name = sounds.Name(slot);
    const int cost = static_cast<int>(name.size()) + 1;
    if (parser.soundCount >= static_cast<int>(names.size()) || cost > room) return false;
    room -= cost;
    const int index = parser.soundCount++;
    names[static_cast<std::size_t>(index)] = name;
    out.UnputByte();  // the empty name that ended the list
    out.PutString(name);
    out.PutByte(0);
    sounds.NumberSlot(slot, numberAt(index));
    return true;
  });
}

}  // namespace cw
