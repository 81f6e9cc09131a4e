#include "xml_check.h"

#include <algorithm>
#include <set>
#include <vector>

namespace cw::test {
namespace {

bool NameStart(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == ':'; }
bool NameChar(char c) { return NameStart(c) || (c >= '0' && c <= '9') || c == '-' || c == '.'; }
bool Space(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

class Checker {
 public:
  explicit Checker(std::string_view document) : text(document) {}

  std::string Run() {
    if (!WholeUtf8()) return fault;
    if (text.substr(0, 5) == "<?xml") {
      const std::size_t end = text.find("?>");
      if (end == std::string_view::npos) return Fault("an unclosed declaration");
      at = end + 2;
    }
    bool rootSeen = false;
    while (fault.empty()) {
      SkipSpace();
      if (at >= text.size()) break;
      if (text.compare(at, 4, "<!--") == 0) {
        Comment();
        continue;
      }
      if (rootSeen) return Fault("something after the root element");
      if (text[at] != '<') return Fault("text outside the root element");
      Element();
      rootSeen = true;
    }
    if (fault.empty() && !rootSeen) return Fault("no root element");
    return fault;
  }

 private:
  std::string Fault(const std::string& what) {
    if (fault.empty()) fault = what + " at byte " + std::to_string(at);
    return fault;
  }

  bool WholeUtf8() {
    for (at = 0; at < text.size();) {
      const auto lead = static_cast<unsigned char>(text[at]);
      const std::size_t length = lead < 0x80         ? 1
                                 : (lead >> 5) == 6  ? 2
                                 : (lead >> 4) == 14 ? 3
                                 : (lead >> 3) == 30 ? 4
                                                     : 0;
      if (length == 0 || at + length > text.size()) return Fault("bytes that are no UTF-8").empty();
      for (std::size_t k = 1; k < length; ++k) {
        if ((static_cast<unsigned char>(text[at + k]) & 0xc0) != 0x80) return Fault("bytes that are no UTF-8").empty();
      }
      if (lead < 0x20 && !Space(static_cast<char>(lead))) return Fault("a control character").empty();
      at += length;
    }
    at = 0;
    return true;
  }

  void SkipSpace() {
    while (at < text.size() && Space(text[at])) ++at;
  }

  void Comment() {
    const std::size_t end = text.find("-->", at + 4);
    if (end == std::string_view::npos) {
      Fault("an unclosed comment");
      return;
    }
    at = end + 3;
  }

  std::string_view Name() {
    const std::size_t start = at;
    if (at >= text.size() || !NameStart(text[at])) return {};
    while (at < text.size() && NameChar(text[at])) ++at;
    return text.substr(start, at - start);
  }

  // "&amp;" and its kin, "&#38;" and "&#x26;".
  bool Reference() {
    const std::size_t end = text.find(';', at);
    if (end == std::string_view::npos || end - at > 10) return false;
    const std::string_view name = text.substr(at + 1, end - at - 1);
    static const std::set<std::string_view> kPredefined = {"amp", "lt", "gt", "quot", "apos"};
    bool known = kPredefined.count(name) != 0;
    if (!known && name.size() > 1 && name[0] == '#') {
      const bool hex = name[1] == 'x';
      const std::string_view digits = name.substr(hex ? 2 : 1);
      known = !digits.empty() && std::all_of(digits.begin(), digits.end(), [hex](char c) {
        return (c >= '0' && c <= '9') || (hex && ((c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F')));
      });
    }
    at = end + 1;
    return known;
  }

  void Element() {
    std::vector<std::string_view> open;
    do {
      if (text.compare(at, 4, "<!--") == 0) {
        Comment();
      } else if (text.compare(at, 2, "</") == 0) {
        at += 2;
        const std::string_view name = Name();
        SkipSpace();
        if (open.empty() || name != open.back() || at >= text.size() || text[at] != '>') {
          Fault("a closing tag that closes nothing open");
          return;
        }
        ++at;
        open.pop_back();
      } else if (text[at] == '<') {
        ++at;
        const std::string_view name = Name();
        if (name.empty()) {
          Fault("a tag without a name");
          return;
        }
        if (!Attributes()) return;
        if (text.compare(at, 2, "/>") == 0) {
          at += 2;
        } else {
          ++at;  // '>'
          open.push_back(name);
        }
      } else if (text[at] == '&') {
        if (!Reference()) Fault("an unknown reference");
      } else if (text[at] == '>' || text[at] == ']') {
        // Allowed in text, but "]]>" is not.
        if (text.compare(at, 3, "]]>") == 0) Fault("']]>' in text");
        ++at;
      } else {
        ++at;
      }
      if (at >= text.size() && !open.empty()) Fault("an element left open");
    } while (fault.empty() && !open.empty());
  }

  // Up to the tag's '>' or "/>", which is left for the caller.
  bool Attributes() {
    std::set<std::string_view> seen;
    while (true) {
      const std::size_t before = at;
      SkipSpace();
      if (at >= text.size()) return Fault("a tag cut off").empty();
      if (text[at] == '>' || text.compare(at, 2, "/>") == 0) return true;
      if (at == before) return Fault("no space before an attribute").empty();
      const std::string_view name = Name();
      if (name.empty()) return Fault("an attribute without a name").empty();
      if (!seen.insert(name).second) return Fault("an attribute given twice").empty();
      SkipSpace();
      if (at >= text.size() || text[at] != '=') return Fault("an attribute without a value").empty();
      ++at;
      SkipSpace();
      if (at >= text.size() || (text[at] != '"' && text[at] != '\'')) return Fault("an unquoted value").empty();
      const char quote = text[at++];
      while (at < text.size() && text[at] != quote) {
        if (text[at] == '<') return Fault("'<' in a value").empty();
        if (text[at] == '&') {
          if (!Reference()) return Fault("an unknown reference").empty();
          continue;
        }
        ++at;
      }
      if (at >= text.size()) return Fault("an unclosed value").empty();
      ++at;
    }
  }

  std::string_view text;
  std::size_t at = 0;
  std::string fault;
};

}  // namespace

std::string XmlFault(std::string_view text) { return Checker(text).Run(); }

}  // namespace cw::test
