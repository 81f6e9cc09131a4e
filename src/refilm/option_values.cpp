#include "refilm/option_values.h"

#include <charconv>

namespace cw {
namespace {

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameWithoutCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (Lower(a[i]) != Lower(b[i])) return false;
  }
  return true;
}

}  // namespace

std::optional<int> ColorNumber(std::string_view text) {
  for (int color = 0; color < kColorCount; ++color) {
    if (SameWithoutCase(text, kColorNames[color])) return color;
  }
  const std::optional<int> number = ParseInteger(std::string(text));
  if (number && *number >= 0 && *number < kColorCount) return number;
  return std::nullopt;
}

std::optional<int> ParseInteger(const std::string& text) {
  const auto isBlank = [](char c) { return c == ' ' || c == '\t'; };
  std::size_t begin = 0;
  std::size_t end = text.size();
  while (begin < end && isBlank(text[begin])) ++begin;
  while (end > begin && isBlank(text[end - 1])) --end;
  // from_chars takes a '-' but not a '+'.
  if (begin < end && text[begin] == '+') {
    ++begin;
    if (begin < end && text[begin] == '-') return std::nullopt;
  }
  if (begin == end) return std::nullopt;
  int value = 0;
  const char* first = text.data() + begin;
  const char* last = text.data() + end;
  const auto [stop, error] = std::from_chars(first, last, value);
  if (error != std::errc() || stop != last) return std::nullopt;
  return value;
}

FrameRateReading ReadFrameRate(const std::string& text) {
  FrameRateReading reading;
  reading.value = ParseInteger(text);
  if (!reading.value) {
    reading.complaint = "Please enter an integer.";
  } else if (*reading.value < kMinimumFps || *reading.value > kMaximumFps) {
    reading.complaint =
        "Please enter an integer between " + std::to_string(kMinimumFps) + " and " + std::to_string(kMaximumFps) + ".";
  }
  return reading;
}

}  // namespace cw
