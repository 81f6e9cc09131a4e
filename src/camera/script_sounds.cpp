#include "camera/script_sounds.h"

namespace cw {

int ScriptSounds::Add(const std::string& name) {
  auto [found, isNew] = index.try_emplace(name, static_cast<int>(names.size()));
  const int slot = found->second;
  if (isNew) {
    names.push_back(name);
    entries.emplace_back();
  }
  Slot& entry = entries[static_cast<std::size_t>(slot)];
  entry.order.push_back(added);
  if (entry.next == entry.order.size() - 1) pending.emplace(added, slot);
  ++added;
  return slot;
}

void ScriptSounds::Played(int slot) {
  if (slot < 0 || static_cast<std::size_t>(slot) >= entries.size()) return;
  Slot& entry = entries[static_cast<std::size_t>(slot)];
  if (entry.next >= entry.order.size()) return;
  pending.erase({entry.order[entry.next], slot});
  ++entry.next;
  if (entry.next < entry.order.size()) pending.emplace(entry.order[entry.next], slot);
}

void ScriptSounds::Clear() { *this = ScriptSounds{}; }

int ScriptSounds::Number(int slot) const { return Numbered(slot) ? entries[static_cast<std::size_t>(slot)].number : 0; }

void ScriptSounds::NumberSlot(int slot, int number) {
  Slot& entry = entries[static_cast<std::size_t>(slot)];
  entry.number = number;
  entry.level = level;
}

bool ScriptSounds::Numbered(int slot) const {
  return slot >= 0 && static_cast<std::size_t>(slot) < entries.size() &&
         entries[static_cast<std::size_t>(slot)].level == level;
}

int ScriptSounds::SlotOf(const std::string& name) const {
  const auto found = index.find(name);
  return found == index.end() ? -1 : found->second;
}

}  // namespace cw
