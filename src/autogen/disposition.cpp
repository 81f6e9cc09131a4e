#include "autogen/disposition.h"

#include <charconv>
#include <istream>
#include <optional>
#include <string_view>
#include <utility>

namespace cw {
namespace {

constexpr std::size_t kWordLimit = 79;
constexpr std::size_t kPrefixLength = 5;  // "maps/"
constexpr std::string_view kSectionStart = "---START---";
constexpr std::string_view kSectionEnd = "---END---";
constexpr std::string_view kEmpty = "EMPTY";

bool IsBlank(int c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

// Reads the file's words one by one. A word longer than the limit is a fault:
// the reader then behaves as if the file had ended there.
class WordReader {
 public:
  explicit WordReader(std::istream& in) : buffer(in.rdbuf()) {}

  // The next word, or nothing at the end of the file or at a fault.
  std::optional<std::string_view> Next() {
    if (buffer == nullptr) return std::nullopt;
    int c = buffer->sgetc();
    while (c != EOF && IsBlank(c)) c = buffer->snextc();
    length = 0;
    while (c != EOF && !IsBlank(c)) {
      if (length == kWordLimit) {
        buffer = nullptr;
        return std::nullopt;
      }
      word[length++] = static_cast<char>(c);
      c = buffer->snextc();
    }
    if (length == 0) {
      buffer = nullptr;
      return std::nullopt;
    }
    return std::string_view(word, length);
  }

  // The next word as a whole decimal integer, or nothing when it is not one.
  std::optional<int> NextInteger() {
    const auto text = Next();
    if (!text) return std::nullopt;
    return ParseInteger(*text);
  }

  static std::optional<int> ParseInteger(std::string_view text) {
    if (text.size() > 1 && text[0] == '+' && text[1] != '-') text.remove_prefix(1);
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
  }

 private:
  std::streambuf* buffer;
  char word[kWordLimit];
  std::size_t length = 0;
};

bool IsZoneNumber(int value) { return value >= 0 && value < kZoneCount; }

// One zone record after its zone number, read whole before anything of it is
// kept, so that a record cut short by a fault leaves the tables untouched.
struct ZoneRecord {
  int numbers[9] = {};
  std::array<bool, kZoneCount> links{};
};

std::optional<ZoneRecord> ReadRecord(WordReader& words) {
  ZoneRecord record;
  for (int& number : record.numbers) {
    const auto value = words.NextInteger();
    if (!value) return std::nullopt;
    number = *value;
  }
  for (;;) {
    const auto link = words.NextInteger();
    if (!link || !IsZoneNumber(*link)) return std::nullopt;
    record.links[static_cast<std::size_t>(*link)] = true;
    if (*link == 0) return record;
  }
}

void StoreRecord(ZoneTables& tables, int zone, const ZoneRecord& record) {
  const auto n = static_cast<std::size_t>(zone);
  CameraZone& target = tables.zones[n];
  for (int axis = 0; axis < 3; ++axis) {
    target.spot[axis] = record.numbers[axis];
    // The two corners may come in either order on each axis.
    const int first = record.numbers[3 + axis];
    const int second = record.numbers[6 + axis];
    target.low[axis] = first <= second ? first : second;
    target.high[axis] = first <= second ? second : first;
  }
  target.defined = true;
  // A link written in either zone's record links both ways; a zone given
  // twice keeps the links of both records.
  for (std::size_t m = 0; m < record.links.size(); ++m) {
    if (!record.links[m]) continue;
    tables.zoneLinks[n][m] = true;
    tables.zoneLinks[m][n] = true;
  }
}

// Reads the records of one section after its opening word. False when the
// file ended or broke the format inside the section.
bool ReadSection(WordReader& words, ZoneTables& tables) {
  auto word = words.Next();
  // A section without any record is taken as empty.
  if (word && *word == kSectionEnd) return true;
  while (word) {
    // A zone number that is not a number counts as zone 0, which is never used.
    const int zone = WordReader::ParseInteger(*word).value_or(0);
    if (!IsZoneNumber(zone)) return false;
    const auto record = ReadRecord(words);
    if (!record) return false;
    StoreRecord(tables, zone, *record);
    word = words.Next();
    if (word && *word == kSectionEnd) return true;
  }
  return false;
}

}  // namespace

void ReadDispositionFile(std::istream& in, ZoneTables& tables) {
  tables = ZoneTables{};
  WordReader words(in);
  while (const auto word = words.Next()) {
    if (*word == kEmpty) return;
    if (*word != kSectionStart) continue;
    if (!ReadSection(words, tables)) return;
  }
}

std::string DispositionFileName(const std::string& worldModel) {
  std::string name = worldModel.size() > kPrefixLength ? worldModel.substr(kPrefixLength) : std::string();
  const auto dot = name.rfind('.');
  if (dot != std::string::npos) name.resize(dot);
  return name + ".log";
}

}  // namespace cw
