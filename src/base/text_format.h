#pragma once
// Appending numbers to the text of an injected message, without allocating
// once the text buffer has its room.

#include <charconv>
#include <string>

namespace cw {

inline void AppendInt(std::string& text, long long value, int minDigits = 1) {
  char digits[24];
  const auto result = std::to_chars(digits, digits + sizeof digits, value < 0 ? -value : value);
  if (value < 0) text.push_back('-');
  for (int n = static_cast<int>(result.ptr - digits); n < minDigits; ++n) text.push_back('0');
  text.append(digits, result.ptr);
}

}  // namespace cw
