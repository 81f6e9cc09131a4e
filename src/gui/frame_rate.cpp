#include "frame_rate.h"

#include <charconv>

namespace cw {

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

}  // namespace cw
