#pragma once
// The distinct sound names of a script, and what each is called in the
// level being played: its number in the level's sound list, found there or
// added to it.
//
// A level's list is extended with the names of the sounds still to play, in
// the order in which they come. Keeping those names ordered by their next
// sound, and numbering only what the level's list can name, keeps the cost of
// a level's start bounded by the list's size, however many sound lines the
// script holds and however many levels the demo has.

#include <cstdint>
#include <set>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

namespace cw {

// The rising script orders of one name's sounds, kept as the gaps between
// them, seven bits a byte: a script of a million sound lines holds them in
// about a megabyte rather than eight, and what has played is let go.
class SoundOrders {
 public:
  // `order` comes after every order pushed before it.
  void Push(std::int64_t order);
  bool Empty() const { return count == 0; }
  std::size_t Count() const { return count; }
  // The first order still to play.
  std::int64_t Front() const { return front; }
  void Pop();

 private:
  std::vector<std::uint8_t> gaps;  // from the one after the front on
  std::size_t read = 0;            // where the gap after the front begins
  std::size_t count = 0;
  std::int64_t front = 0;
  std::int64_t last = 0;
};

class ScriptSounds {
 public:
  // A sound line, in script order; returns the slot of its name.
  int Add(const std::string& name);
  // The sound of `slot` that came first among those still to play has played.
  void Played(int slot);
  void Clear();

  // The level's number of the name in `slot`; 0 (no sound) when the level
  // has none for it.
  int Number(int slot) const;
  // The entries of the names still to play, in the order of their next sound,
  // as long as `visit` returns true.
  template <typename Visit>
  void ForEachPending(Visit visit) const {
    for (const auto& [order, slot] : pending) {
      if (!visit(slot)) return;
    }
  }
  // Starts the numbering of a new level: every name has no number until
  // NumberSlot gives it one.
  void NewLevel() { ++level; }
  void NumberSlot(int slot, int number);
  bool Numbered(int slot) const;
  // The slot of a name, or -1.
  int SlotOf(const std::string& name) const;
  const std::string& Name(int slot) const { return names[static_cast<std::size_t>(slot)]; }

 private:
  struct Slot {
    SoundOrders orders;  // script order of each of its sounds still to play
    int number = 0;
    std::int64_t level = -1;  // the level `number` belongs to
  };
  std::vector<std::string> names;
  std::vector<Slot> entries;
  std::unordered_map<std::string, int> index;
  std::set<std::pair<std::int64_t, int>> pending;  // (order of the next sound, slot)
  std::int64_t added = 0;
  std::int64_t level = 0;
};

}  // namespace cw
