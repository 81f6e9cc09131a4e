#include "camera/script_number.h"

#include <algorithm>
#include <cfloat>
#include <charconv>
#include <climits>
#include <system_error>

namespace cw {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::size_t CountDigits(std::string_view text, std::size_t from) {
  std::size_t end = from;
  while (end < text.size() && IsDigit(text[end])) ++end;
  return end - from;
}

// from_chars reports a range error without telling which way the value left
// the range. The power of ten of the first significant digit plus the
// exponent tells: above zero it was too large, otherwise too small.
bool TooLarge(std::string_view mantissa, long long exponent) {
  const std::size_t point = std::min(mantissa.find('.'), mantissa.size());
  const std::size_t first = mantissa.find_first_not_of("0.");
  if (first == std::string_view::npos) return false;
  const long long power =
      first < point ? static_cast<long long>(point - first) - 1 : -static_cast<long long>(first - point);
  return power + exponent > 0;
}

}  // namespace

NumberRead ReadDecimal(std::string_view text) {
  std::size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  const std::size_t mantissaStart = i;
  const std::size_t wholeDigits = CountDigits(text, i);
  i += wholeDigits;
  std::size_t fractionDigits = 0;
  if (i < text.size() && text[i] == '.') fractionDigits = CountDigits(text, i + 1);
  if (wholeDigits + fractionDigits == 0) return {};
  if (i < text.size() && text[i] == '.') i += 1 + fractionDigits;
  const std::size_t mantissaEnd = i;

  long long exponent = 0;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    std::size_t j = i + 1;
    bool exponentNegative = false;
    if (j < text.size() && (text[j] == '+' || text[j] == '-')) {
      exponentNegative = text[j] == '-';
      ++j;
    }
    const std::size_t exponentDigits = CountDigits(text, j);
    if (exponentDigits > 0) {
      for (std::size_t k = j; k < j + exponentDigits; ++k)
        exponent = std::min(exponent * 10 + (text[k] - '0'), 1000000LL);
      if (exponentNegative) exponent = -exponent;
      i = j + exponentDigits;
    }
  }

  // Read as a double and then narrowed, as the numbers of the scripts that
  // users tuned were read.
  double magnitude = 0;
  const auto [end, error] = std::from_chars(text.data() + mantissaStart, text.data() + i, magnitude);
  float value = 0;
  if (error == std::errc::result_out_of_range) {
    value = TooLarge(text.substr(mantissaStart, mantissaEnd - mantissaStart), exponent) ? FLT_MAX : 0.0f;
  } else if (error == std::errc() && end == text.data() + i) {
    value = magnitude > static_cast<double>(FLT_MAX) ? FLT_MAX : static_cast<float>(magnitude);
  }
  return {negative ? -value : value, i};
}

int ReadWholeNumber(std::string_view text) {
  std::size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  long long value = 0;
  for (; i < text.size() && IsDigit(text[i]); ++i) value = std::min(value * 10 + (text[i] - '0'), 1LL + INT_MAX);
  if (negative) value = -value;
  return static_cast<int>(std::clamp<long long>(value, INT_MIN, INT_MAX));
}

}  // namespace cw
