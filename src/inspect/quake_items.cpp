#include "inspect/quake_items.h"

#include <array>
#include <string_view>

namespace cw {
namespace {

constexpr int kFirstAmmoKindBit = 8;
constexpr int kAmmoKinds = 4;

constexpr std::array<std::string_view, 32> kItemNames = {"shotgun",
                                                         "super shotgun",
                                                         "nailgun",
                                                         "super nailgun",
                                                         "grenade launcher",
                                                         "rocket launcher",
                                                         "lightning gun",
                                                         "",
                                                         "shells",
                                                         "nails",
                                                         "rockets",
                                                         "cells",
                                                         "axe",
                                                         "green armour",
                                                         "yellow armour",
                                                         "red armour",
                                                         "megahealth",
                                                         "silver key",
                                                         "gold key",
                                                         "ring of shadows",
                                                         "pentagram of protection",
                                                         "biosuit",
                                                         "quad damage",
                                                         "",
                                                         "",
                                                         "",
                                                         "",
                                                         "",
                                                         "rune 1",
                                                         "rune 2",
                                                         "rune 3",
                                                         "rune 4"};

}  // namespace

std::string ItemName(int bit) {
  if (bit < 0 || bit >= 32) return {};
  const std::string_view name = kItemNames[static_cast<std::size_t>(bit)];
  return name.empty() ? "item bit " + std::to_string(bit) : std::string(name);
}

bool IsAmmoKindBit(int bit) { return bit >= kFirstAmmoKindBit && bit < kFirstAmmoKindBit + kAmmoKinds; }

std::vector<std::string> ItemNames(std::int32_t items) {
  std::vector<std::string> names;
  const auto bits = static_cast<std::uint32_t>(items);
  for (int bit = 0; bit < 32; ++bit) {
    if ((bits >> bit & 1u) != 0 && !IsAmmoKindBit(bit)) names.push_back(ItemName(bit));
  }
  return names;
}

std::string WeaponName(int activeWeapon) {
  if (activeWeapon == 0) return "axe";
  for (int bit = 0; bit < kFirstAmmoKindBit; ++bit) {
    if (activeWeapon == 1 << bit) return ItemName(bit);
  }
  return "weapon " + std::to_string(activeWeapon);
}

std::string AmmoKind(std::int32_t items) {
  const auto bits = static_cast<std::uint32_t>(items);
  for (int bit = kFirstAmmoKindBit; bit < kFirstAmmoKindBit + kAmmoKinds; ++bit) {
    if ((bits >> bit & 1u) != 0) return ItemName(bit);
  }
  return {};
}

}  // namespace cw
