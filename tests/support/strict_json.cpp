#include "strict_json.h"

#include <set>

namespace cw::test {
namespace {

constexpr int kMaxDepth = 512;

struct Fault {
  std::string what;
};

class Checker {
 public:
  explicit Checker(std::string_view json) : text(json) {}

  void Document() {
    Blank();
    Value(0);
    Blank();
    if (at < text.size()) Fail("text after the value");
  }

  std::size_t Offset() const { return at; }

 private:
  [[noreturn]] void Fail(const std::string& what) const { throw Fault{what}; }

  bool More() const { return at < text.size(); }
  char Peek() const { return More() ? text[at] : '\0'; }

  void Expect(char c) {
    if (Peek() != c) Fail(std::string("'") + c + "' expected");
    ++at;
  }

  void Blank() {
    while (More() && (text[at] == ' ' || text[at] == '\t' || text[at] == '\n' || text[at] == '\r')) ++at;
  }

  void Value(int depth) {
    if (depth >= kMaxDepth) Fail("nested too deeply");
    const char c = Peek();
    if (c == '{') {
      Object(depth);
    } else if (c == '[') {
      Array(depth);
    } else if (c == '"') {
      String();
    } else if (c == 't' || c == 'f' || c == 'n') {
      Word(c == 't' ? "true" : c == 'f' ? "false" : "null");
    } else {
      Number();
    }
  }

  void Object(int depth) {
    Expect('{');
    Blank();
    std::set<std::string> keys;
    if (Peek() == '}') {
      ++at;
      return;
    }
    for (;;) {
      Blank();
      const std::size_t keyAt = at;
      const std::string key = String();
      if (!keys.insert(key).second) {
        at = keyAt;
        Fail("the key \"" + key + "\" again in one object");
      }
      Blank();
      Expect(':');
      Blank();
      Value(depth + 1);
      Blank();
      if (Peek() == '}') {
        ++at;
        return;
      }
      Expect(',');
    }
  }

  void Array(int depth) {
    Expect('[');
    Blank();
    if (Peek() == ']') {
      ++at;
      return;
    }
    for (;;) {
      Blank();
      Value(depth + 1);
      Blank();
      if (Peek() == ']') {
        ++at;
        return;
      }
      Expect(',');
    }
  }

  // The string's characters, escapes decoded (a \u escape as the UTF-8 of
  // its unit), so that two spellings of one key compare equal.
  std::string String() {
    Expect('"');
    std::string value;
    for (;;) {
      if (!More()) Fail("a string without its closing quote");
      const char c = text[at++];
      if (c == '"') return value;
      if (static_cast<unsigned char>(c) < 0x20) Fail("a control character inside a string");
      if (c != '\\') {
        value += c;
        continue;
      }
      if (!More()) Fail("a string without its closing quote");
      const char escaped = text[at++];
      static constexpr std::string_view kEscaped = "\"\\/bfnrt";
      static constexpr std::string_view kMeant = "\"\\/\b\f\n\r\t";
      if (escaped == 'u') {
        AppendUnit(value, Hex4());
      } else if (const std::size_t which = kEscaped.find(escaped); which != std::string_view::npos) {
        value += kMeant[which];
      } else {
        Fail(std::string("the escape \\") + escaped);
      }
    }
  }

  unsigned Hex4() {
    unsigned unit = 0;
    for (int i = 0; i < 4; ++i) {
      const char c = Peek();
      unsigned digit = 0;
      if (c >= '0' && c <= '9') {
        digit = static_cast<unsigned>(c - '0');
      } else if (c >= 'a' && c <= 'f') {
        digit = static_cast<unsigned>(c - 'a' + 10);
      } else if (c >= 'A' && c <= 'F') {
        digit = static_cast<unsigned>(c - 'A' + 10);
      } else {
        Fail("a \\u escape without four hex digits");
      }
      unit = unit * 16 + digit;
      ++at;
    }
    return unit;
  }

  static void AppendUnit(std::string& value, unsigned unit) {
    if (unit < 0x80) {
      value += static_cast<char>(unit);
    } else if (unit < 0x800) {
      value += static_cast<char>(0xC0 | (unit >> 6));
      value += static_cast<char>(0x80 | (unit & 0x3F));
    } else {
      value += static_cast<char>(0xE0 | (unit >> 12));
      value += static_cast<char>(0x80 | ((unit >> 6) & 0x3F));
      value += static_cast<char>(0x80 | (unit & 0x3F));
    }
  }

  void Word(std::string_view word) {
    if (text.substr(at, word.size()) != word) Fail("no value here");
    at += word.size();
  }

  // -?(0|[1-9][0-9]*)(\.[0-9]+)?([eE][+-]?[0-9]+)?: no NaN, no infinity,
  // no leading zeros, no bare dot.
  void Number() {
    const std::size_t start = at;
    if (Peek() == '-') ++at;
    if (Peek() == '0') {
      ++at;
    } else if (!Digits()) {
      at = start;
      Fail("no value here");
    }
    if (Peek() == '.') {
      ++at;
      if (!Digits()) Fail("a number without digits after its point");
    }
    if (Peek() == 'e' || Peek() == 'E') {
      ++at;
      if (Peek() == '+' || Peek() == '-') ++at;
      if (!Digits()) Fail("a number without digits in its exponent");
    }
  }

  bool Digits() {
    const std::size_t start = at;
    while (Peek() >= '0' && Peek() <= '9') ++at;
    return at > start;
  }

  std::string_view text;
  std::size_t at = 0;
};

}  // namespace

std::string StrictJsonFault(std::string_view text) {
  Checker checker(text);
  try {
    checker.Document();
  } catch (const Fault& fault) {
    return fault.what + " at byte " + std::to_string(checker.Offset());
  }
  return {};
}

}  // namespace cw::test
