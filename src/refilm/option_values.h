#pragma once
// The values an option may take, as the dialog offers them and the command
// line reads them: the colour names, and the frame rate with its limits and
// the words that refuse a bad one.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace cw {

// The colours a player's shirt and pants can have; an entry's index is the
// Quake colour number.
inline constexpr const char* kColorNames[] = {"white", "light brown", "light blue", "haki",   "red",
                                              "brown", "gold",        "pink",       "purple", "purple2",
                                              "gray",  "seewave",     "yellow",     "blue"};
inline constexpr int kColorCount = static_cast<int>(std::size(kColorNames));

// The colour number that `text` names: one of the names (in any case), or a
// number from 0 to 13. Nothing otherwise.
std::optional<int> ColorNumber(std::string_view text);

inline constexpr int kMinimumFps = 5;
inline constexpr int kMaximumFps = 100;

// The integer that `text` spells: blanks around it, an optional sign, then
// digits only. Nothing when the text is not such a number or does not fit an
// int.
std::optional<int> ParseInteger(const std::string& text);

struct FrameRateReading {
  std::optional<int> value;  // the number the text spells, even out of range
  std::string complaint;     // what refuses it; empty when it is accepted
};

// A frame rate as the user typed it: a whole number from kMinimumFps to
// kMaximumFps.
FrameRateReading ReadFrameRate(const std::string& text);

}  // namespace cw
