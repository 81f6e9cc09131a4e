#pragma once
// The few pieces of JSON that the reports write: strings escaped, numbers
// finite or null.

#include <charconv>
#include <cmath>
#include <string>
#include <string_view>

#include "inspect/number_text.h"
#include "inspect/shown_text.h"

namespace cw {

// Names in demos are bytes of the game's own character set, not UTF-8: each
// byte outside printable ASCII is written as the code point of its value.
inline std::string JsonString(std::string_view text) { return '"' + EscapedText(text, "\\u00") + '"'; }

// The shortest text that reads back as the same float; null for a value
// that is no number.
inline std::string JsonNumber(float value) {
  if (!std::isfinite(value)) return "null";
  char digits[32];
  const auto written = std::to_chars(digits, digits + sizeof digits, value);
  return written.ec == std::errc() ? std::string(digits, written.ptr) : "null";
}

// A distance or length, to a tenth; null past what a tenth can say.
inline std::string JsonTenths(double value) {
  std::string text;
  return FixedDigits(std::round(value * 10) / 10, 1, text) ? text : "null";
}

}  // namespace cw
