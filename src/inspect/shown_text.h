#pragma once
// Text from a demo, made safe for a terminal: a demo is anyone's file, and
// its bytes must not reach the terminal as commands (ESC, BEL) or as the
// halves of characters. A line feed shows as \n, a backslash as \\, a quote
// as \" (texts are shown between quotes), every other byte below 32 or from
// 127 up as \xHH; the rest stands as it is.

#include <string>
#include <string_view>

namespace cw {

// The escaping that the terminal and the JSON reports share; they differ
// only in how a byte outside printable ASCII is written (byteEscape and two
// hex digits).
inline std::string EscapedText(std::string_view text, std::string_view byteEscape) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string shown;
  shown.reserve(text.size());
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '\n') {
      shown += "\\n";
    } else if (c == '\\' || c == '"') {
      shown += '\\';
      shown += c;
    } else if (byte < 0x20 || byte >= 0x7f) {
      shown += byteEscape;
      shown += kHex[byte >> 4];
      shown += kHex[byte & 15];
    } else {
      shown += c;
    }
  }
  return shown;
}

inline std::string ShownText(std::string_view text) { return EscapedText(text, "\\x"); }

}  // namespace cw
