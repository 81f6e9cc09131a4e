#pragma once
// The player's items and weapons as the game's own progs number them: the
// bits of the client data's items, and its active weapon.

#include <cstdint>
#include <string>
#include <vector>

namespace cw {

// The name of an item bit, 0 to 31: "rocket launcher", "silver key",
// "quad damage"; "item bit 23" for a bit the game leaves unused.
std::string ItemName(int bit);

// Bits 8 to 11 tell which ammunition the weapon in hand uses: they change
// with the weapon, and are no item that is picked up.
bool IsAmmoKindBit(int bit);

// The items held, in bit order, without the ammunition kind.
std::vector<std::string> ItemNames(std::int32_t items);

// The weapon in hand from the active weapon byte, which is the weapon's item
// bit cut to a byte: the axe, bit 12, arrives as 0.
std::string WeaponName(int activeWeapon);

// The kind of the current ammunition ("rockets"), from the items; empty when
// none is set.
std::string AmmoKind(std::int32_t items);

}  // namespace cw
