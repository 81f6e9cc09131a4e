#include "camera/script_words.h"

namespace cw {

std::string WordsOfList(ScriptList list) {
  std::string words;
  for (const ScriptWordRow& row : kScriptWords) {
    if (row.list != list) continue;
    if (!words.empty()) words += ", ";
    words += row.name;
  }
  return words;
}

std::string WordsClosedByEnd() {
  std::string words;
  std::string_view last;
  for (const ScriptWordRow& row : kScriptWords) {
    if (!row.closedByEnd) continue;
    if (!last.empty()) words += (words.empty() ? "" : ", ") + std::string(last);
    last = row.name;
  }
  return words.empty() ? std::string(last) : words + " or " + std::string(last);
}

std::string ScriptLineText(std::string_view time, ScriptWord word, std::string_view arguments) {
  std::string line(time);
  line += ' ';
  line += NameOf(word);
  line += ' ';
  line += arguments;
  return line;
}

std::string EndLineText(std::string_view time, ScriptWord word) {
  std::string line(time);
  line += ' ';
  line += kEndWord;
  line += ' ';
  line += NameOf(word);
  return line;
}

std::string TextKindNames() {
  std::string names;
  for (const TextKindRow& row : kTextKinds) {
    if (!names.empty()) names += ", ";
    names += row.name;
  }
  return names;
}

}  // namespace cw
