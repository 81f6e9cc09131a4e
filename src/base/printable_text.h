#pragma once
// Text from a demo or a script, made safe to print on a terminal. Names in
// demos are bytes of the game's own character set, and a downloaded demo can
// hold anything: an escape or bell byte would reach the terminal as a
// command (colours, the window's title, a cleared screen). Such bytes are
// shown as \xHH; every other byte is left as it is.

#include <string>
#include <string_view>

namespace cw {

// Whether `text` is whole UTF-8, as a file name typed on a terminal is.
inline bool IsUtf8(std::string_view text) {
  for (std::size_t i = 0; i < text.size();) {
    const auto lead = static_cast<unsigned char>(text[i]);
    const std::size_t length = lead < 0x80         ? 1
                               : (lead >> 5) == 6  ? 2
                               : (lead >> 4) == 14 ? 3
                               : (lead >> 3) == 30 ? 4
                                                   : 0;
    if (length == 0 || i + length > text.size()) return false;
    for (std::size_t k = 1; k < length; ++k) {
      if ((static_cast<unsigned char>(text[i + k]) & 0xc0) != 0x80) return false;
    }
    i += length;
  }
  return true;
}

inline std::string PrintableText(std::string_view text) {
  static constexpr char kHex[] = "0123456789abcdef";
  // In UTF-8 the bytes from 0x80 up belong to characters, and the second
  // set of control codes is U+0080 to U+009F; elsewhere it is the bytes 0x80
  // to 0x9f themselves.
  const bool utf8 = IsUtf8(text);
  std::string out;
  out.reserve(text.size());
  auto escape = [&out](unsigned char byte) {
    out += "\\x";
    out += kHex[byte >> 4];
    out += kHex[byte & 15];
  };
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if (utf8 && byte == 0xc2 && static_cast<unsigned char>(text[i + 1]) < 0xa0) {
      escape(byte);
      escape(static_cast<unsigned char>(text[++i]));
    } else if (byte < 0x20 || byte == 0x7f || (!utf8 && byte >= 0x80 && byte < 0xa0)) {
      escape(byte);
    } else {
      out.push_back(text[i]);
    }
  }
  return out;
}

}  // namespace cw
