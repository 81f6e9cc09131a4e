#pragma once
// The two ways a script writes a number. Both read from the first character
// on, stop at the first character that does not belong, and give 0 when the
// text does not begin with a number. They never look at the locale, so a
// script reads the same whatever language the desktop is set to.

#include <cstddef>
#include <string_view>

namespace cw {

struct NumberRead {
  float value = 0;
  std::size_t length = 0;  // characters that belong to the number; 0 when there is none
};

// Decimal only: optional sign, digits, optional fraction, optional exponent.
// No leading blanks, no hexadecimal, no "inf" or "nan". A value beyond the
// float range reads as the largest float of its sign, so a script never
// brings an infinity into the camera's arithmetic.
NumberRead ReadDecimal(std::string_view text);
inline float ReadNumber(std::string_view text) { return ReadDecimal(text).value; }

// Optional sign and digits, saturated to the int range.
int ReadWholeNumber(std::string_view text);

}  // namespace cw
