#include "camera/script_sounds.h"

namespace cw {

namespace {

constexpr std::size_t kCompactAfter = 4096;  // bytes read

}  // namespace

void SoundOrders::Push(std::int64_t order) {
  if (count++ == 0) {
    front = last = order;
    gaps.clear();
    read = 0;
    return;
  }
  auto gap = static_cast<std::uint64_t>(order - last);
  last = order;
  while (gap >= 0x80) {
    gaps.push_back(static_cast<std::uint8_t>(gap | 0x80));
    gap >>= 7;
  }
  gaps.push_back(static_cast<std::uint8_t>(gap));
}

void SoundOrders::Pop() {
  if (count == 0) return;
  if (--count == 0) return;
  std::uint64_t gap = 0;
  for (int shift = 0;; shift += 7) {
    const std::uint8_t byte = gaps[read++];
    gap |= static_cast<std::uint64_t>(byte & 0x7F) << shift;
    if (!(byte & 0x80)) break;
  }
  front += static_cast<std::int64_t>(gap);
  // What has played goes, now and then, so that a long script's sounds
  // do not stay in memory after they have played.
  if (read >= kCompactAfter && read * 2 >= gaps.size()) {
    gaps.erase(gaps.begin(), gaps.begin() + static_cast<std::ptrdiff_t>(read));
    read = 0;
  }
}

int ScriptSounds::Add(const std::string& name) {
  auto [found, isNew] = index.try_emplace(name, static_cast<int>(names.size()));
  const int slot = found->second;
  if (isNew) {
    names.push_back(name);
    entries.emplace_back();
  }
  Slot& entry = entries[static_cast<std::size_t>(slot)];
  entry.orders.Push(added);
  if (entry.orders.Count() == 1) pending.emplace(added, slot);
  ++added;
  return slot;
}

void ScriptSounds::Played(int slot) {
  if (slot < 0 || static_cast<std::size_t>(slot) >= entries.size()) return;
  SoundOrders& orders = entries[static_cast<std::size_t>(slot)].orders;
  if (orders.Empty()) return;
  pending.erase({orders.Front(), slot});
  orders.Pop();
  if (!orders.Empty()) pending.emplace(orders.Front(), slot);
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
