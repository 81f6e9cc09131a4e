#pragma once
// One script line as the director and the stream stages consume it, and the
// five first-in first-out lists the script fills.

#include <deque>
#include <string>

#include "camera/coord.h"
#include "camera/script_sounds.h"
#include "camera/script_words.h"

namespace cw {

struct CCommand {
  ScriptWord word = ScriptWord::Stay;
  std::string text;
  float param1 = 0;
  float param2 = 0;
  float param3 = 0;
  float param4 = 0;
  CCoord coord;
  float startTime = 0;
  float endTime = 0;
  // A sound with no source written comes from the camera, whatever number
  // the camera entity has in this demo.
  bool cameraSource = false;
  // A sound's name among the script's sound names.
  int soundSlot = -1;
  // The server message a text or subtitle puts into the stream; -1 for a
  // text of a kind the game has no message for.
  int messageType = -1;
};

class CommandList {
 public:
  bool Empty() const { return items.empty(); }
  int Count() const { return static_cast<int>(items.size()); }
  void Append(const CCommand& command) { items.push_back(command); }
  CCommand& Head() { return items.front(); }
  const CCommand& Head() const { return items.front(); }
  CCommand& Tail() { return items.back(); }
  const CCommand& Tail() const { return items.back(); }
  // The command `index` places after the head; the caller keeps within Count().
  CCommand& At(int index) { return items[static_cast<std::size_t>(index)]; }
  const CCommand& At(int index) const { return items[static_cast<std::size_t>(index)]; }
  void RemoveHead() { items.pop_front(); }
  void RemoveAll() { items.clear(); }
  auto begin() { return items.begin(); }
  auto end() { return items.end(); }
  auto begin() const { return items.begin(); }
  auto end() const { return items.end(); }

 private:
  std::deque<CCommand> items;
};

// One list for each ScriptList; kScriptWords says which words join which.
struct CommandLists {
  CommandList position;
  CommandList view;
  CommandList roll;
  CommandList palette;
  CommandList event;
  ScriptSounds sounds;  // the names of the event list's sounds
  // The sounds were learnt by a read of the whole script ahead: a sound line
  // read now finds its name among them.
  bool soundsKnown = false;

  // Appends a sound command with its name's slot.
  void AppendSound(CCommand sound) {
    sound.soundSlot = soundsKnown ? sounds.SlotOf(sound.text) : sounds.Add(sound.text);
    event.Append(sound);
  }
  CommandList& Of(ScriptList list) {
    switch (list) {
      case ScriptList::Position:
        return position;
      case ScriptList::View:
        return view;
      case ScriptList::Roll:
        return roll;
      case ScriptList::Palette:
        return palette;
      case ScriptList::Event:
        break;
    }
    return event;
  }
  void RemoveAll() {
    position.RemoveAll();
    view.RemoveAll();
    roll.RemoveAll();
    palette.RemoveAll();
    event.RemoveAll();
    sounds.Clear();
    soundsKnown = false;
  }
};

}  // namespace cw
