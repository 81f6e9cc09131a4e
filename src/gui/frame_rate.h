#pragma once
// Reading the frame-rate field: a whole number from 5 to 100.

#include <optional>
#include <string>

namespace cw {

inline constexpr int kMinimumFps = 5;
inline constexpr int kMaximumFps = 100;

// The integer that `text` spells: blanks around it, an optional sign, then
// digits only. Nothing when the text is not such a number or does not fit an
// int.
std::optional<int> ParseInteger(const std::string& text);

}  // namespace cw
