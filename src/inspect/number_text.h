#pragma once
// Numbers as the reports write them. A demo can hold any float, the largest
// and the non-finite ones included, and sums of them grow past float's
// range: every number is checked, and one that cannot be written as asked
// gets a word (text) or null (JSON) instead of cut or stray digits.

#include <charconv>
#include <cmath>
#include <string>

namespace cw {

// Beyond this, a fixed-point number of map units or seconds has no digit
// that means anything: a float of the demo carries about seven.
inline constexpr double kLargestWrittenNumber = 1e15;

// `value` with `decimals` digits after the point; nothing when it is not
// finite or beyond kLargestWrittenNumber.
inline bool FixedDigits(double value, int decimals, std::string& text) {
  if (!std::isfinite(value) || std::fabs(value) > kLargestWrittenNumber) return false;
  char digits[48];
  const auto written = std::to_chars(digits, digits + sizeof digits, value, std::chars_format::fixed, decimals);
  if (written.ec != std::errc()) return false;
  text.assign(digits, written.ptr);
  return true;
}

// For reading on a terminal: "n/a" for what cannot be written.
inline std::string FixedText(double value, int decimals) {
  std::string text;
  return FixedDigits(value, decimals, text) ? text : "n/a";
}

}  // namespace cw
