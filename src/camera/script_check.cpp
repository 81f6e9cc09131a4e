#include "camera/script_check.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <istream>
#include <memory>
#include <sstream>
#include <string_view>

#include "base/entity_table.h"
#include "base/protocol.h"
#include "camera/command.h"
#include "camera/coord.h"
#include "camera/script_line.h"
#include "camera/script_number.h"
#include "camera/script_parser.h"

namespace cw {
namespace {

constexpr const char* kAxisNames[3] = {"x", "y", "z"};

std::string Quote(std::string_view text) { return "'" + std::string(text) + "'"; }

std::string Number(float value) {
  char digits[32];
  const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
  return std::string(digits, end);
}

bool IsDigits(std::string_view text) {
  if (text.empty()) return false;
  for (const char c : text) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

// The whole text is one decimal number.
bool IsDecimal(std::string_view text) {
  const NumberRead read = ReadDecimal(text);
  return read.length > 0 && read.length == text.size();
}

// "e17": an entity written as the README shows it; -1 for anything else.
int WrittenEntity(std::string_view text) {
  if (text.size() < 2 || text.front() != 'e' || !IsDigits(text.substr(1))) return -1;
  return ReadWholeNumber(text.substr(1));
}

// An axis in one of the forms the script language has: a number, "now",
// "p", "e7", and those three with one "~lag" or "+offset" / "-offset".
bool WellFormedAxis(std::string_view token) {
  if (token == "now" || token == "p" || IsDecimal(token) || WrittenEntity(token) >= 0) return true;
  const std::size_t split = token.find_first_of("~+-");
  if (split == std::string_view::npos || split == 0) return false;
  const std::string_view head = token.substr(0, split);
  if (head != "p" && head != "now" && WrittenEntity(head) < 0) return false;
  const std::string_view modifier = token.substr(split);
  return IsDecimal(modifier.front() == '~' ? modifier.substr(1) : modifier);
}

// An axis as the reader took it, in the script's own words.
std::string DescribeAxis(const CCoord& coord, std::size_t axis) {
  const int entity = coord.entity[axis];
  const float offset = coord.offset[axis];
  if (entity == kAxisFixed) return "the fixed coordinate " + Number(offset);
  std::string text = entity == kAxisNow ? "now" : entity == kPlayerEntity ? "p" : "e" + std::to_string(entity);
  if (coord.lag[axis] != 0) return text + "~" + Number(coord.lag[axis]);
  if (offset > 0) return text + "+" + Number(offset);
  if (offset < 0) return text + Number(offset);
  return text;
}

// A run of keyframe lines (glide, sweep) in one list.
struct RunState {
  const ScriptWordRow* word = nullptr;  // nullptr: no run is open
  int firstLine = 0;
  int lines = 0;
  float lastTime = 0;
  int lastLine = 0;
};

struct ListState {
  bool any = false;
  float lastTime = 0;
  int lastLine = 0;
  // The newest command of the list, which an end line closes.
  const ScriptWordRow* tail = nullptr;
  int tailLine = 0;
  float tailStart = 0;
  int closedAt = 0;  // the end line that closed it, 0 when none did
};

class Checker {
 public:
  Checker() : entities(std::make_unique<EntityTable>()) {}

  ScriptCheck Run(std::istream& script) {
    std::string text;
    for (int number = 1;; ++number) {
      if (!ReadScriptLine(script, text)) {
        const std::string_view rest = TrimScriptLine(text);
        if (!rest.empty() && rest.front() != '#') {
          current = number;
          Report("the last line has no line break: it is not read");
        }
        break;
      }
      current = number;
      const std::size_t before = result.findings.size();
      Line(text);
      if (HasTabBetweenWords(text)) OneTabFinding(before);
    }
    for (RunState& run : runs) EndRun(run);
    // A run is judged when it ends, below the lines after its first.
    std::stable_sort(result.findings.begin(), result.findings.end(),
                     [](const ScriptFinding& a, const ScriptFinding& b) { return a.line < b.line; });
    return std::move(result);
  }

 private:
  void Report(std::string text) { result.findings.push_back({current, std::move(text)}); }

  // A tab outside the quotes looks like a space but parts no words.
  static bool HasTabBetweenWords(std::string_view text) {
    const std::string_view trimmed = TrimScriptLine(text);
    if (trimmed.empty() || trimmed.front() == '#') return false;
    const std::size_t tab = trimmed.find('\t');
    return tab != std::string_view::npos && tab < trimmed.find('"');
  }

  // What a tab makes of the words around it is no help to the reader of
  // the findings: the line gets one that names the tab instead.
  void OneTabFinding(std::size_t before) {
    result.findings.resize(before);
    Report(
        "a tab stands where a space looks to be: words are parted by spaces only, so the words beside it read "
        "as one; write spaces instead");
  }

  // What the refilm's reader makes of this line alone.
  void ReadAlone(std::string_view text) {
    lists.RemoveAll();
    std::istringstream in(std::string(text) + "\n");
    bool ended = false;
    ParseScript(in, lists, *entities, ended);
  }

  bool Stored() const {
    return !lists.position.Empty() || !lists.view.Empty() || !lists.roll.Empty() || !lists.palette.Empty() ||
           !lists.event.Empty();
  }

  void Line(std::string_view text) {
    const std::string_view trimmed = TrimScriptLine(text);
    if (trimmed.empty() || trimmed.front() == '#') return;
    ScriptLine line;
    if (!SplitScriptLine(trimmed, line)) {
      Report(Quote(trimmed) + " has no command word after a time: the line is passed over");
      return;
    }
    CheckTime(trimmed.substr(0, trimmed.find(' ')));
    ReadAlone(text);
    result.positionLines.insert(result.positionLines.end(), static_cast<std::size_t>(lists.position.Count()), current);
    result.viewLines.insert(result.viewLines.end(), static_cast<std::size_t>(lists.view.Count()), current);
    if (line.word == kEndWord) {
      End(line);
      return;
    }
    const ScriptWordRow* row = FindScriptWord(line.word);
    if (row == nullptr) {
      UnknownWord(line.word);
      return;
    }
    if (Stored()) {
      const bool keyframe = ContinuesRun(*row);
      Order(row->list, line.time, !keyframe);
      Run(*row, line.time, keyframe);
      result.times.push_back({current, line.time});
    }
    switch (row->form) {
      case ArgumentForm::Point:
        Point(line, *row);
        break;
      case ArgumentForm::Angle:
        Angle(line, *row);
        break;
      case ArgumentForm::Colour:
        Palette(line, *row);
        break;
      case ArgumentForm::KindAndText:
        Text(line);
        break;
      case ArgumentForm::QuotedText:
        if (lists.event.Empty()) Report("the subtitle needs its text in double quotes: the line is passed over");
        break;
      case ArgumentForm::Sound:
        Sound(line);
        break;
      case ArgumentForm::Entity:
        Eyes(line);
        break;
      case ArgumentForm::Chase:
      case ArgumentForm::Circle:
        EntityShot(line, *row);
        break;
    }
  }

  void CheckTime(std::string_view token) {
    const NumberRead read = ReadDecimal(token);
    if (read.length == 0) {
      Report("the time " + Quote(token) + " is no number: it reads as 0");
    } else if (read.length < token.size()) {
      Report("the time " + Quote(token) + " reads as " + Number(read.value));
    }
  }

  void UnknownWord(std::string_view word) {
    if (word.empty()) {
      Report("no command word after the time (two spaces?): the line is passed over");
      return;
    }
    std::string lower(word);
    for (char& c : lower) {
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    const bool known = lower == kEndWord || FindScriptWord(lower) != nullptr;
    Report("unknown command word " + Quote(word) + (known ? " (words are lower case)" : "") +
           ": the line is passed over");
  }

  // A command of `list` at `time`: lines of one list run in their order,
  // whatever their times say. The keyframes of a run have their own word.
  void Order(ScriptList list, float time, bool report = true) {
    ListState& state = StateOf(list);
    if (report && state.any && time < state.lastTime) {
      Report("the time " + Number(time) + " is earlier than " + Number(state.lastTime) + " on line " +
             std::to_string(state.lastLine) + " of the same list (" + WordsOfList(list) +
             "): the line still runs after that one");
    }
    state.any = true;
    state.lastTime = time;
    state.lastLine = current;
  }

  ListState& StateOf(ScriptList list) { return states[static_cast<std::size_t>(list)]; }

  // --- keyframe runs ------------------------------------------------------

  RunState& RunOf(ScriptList list) { return runs[static_cast<std::size_t>(list)]; }

  bool ContinuesRun(const ScriptWordRow& row) { return row.keyframe && RunOf(row.list).word == &row; }

  // Every command of a list either continues the run open in it or ends it.
  void Run(const ScriptWordRow& row, float time, bool continues) {
    RunState& run = RunOf(row.list);
    if (continues) {
      if (!(time > run.lastTime)) {
        Report("the " + std::string(row.name) + " at " + Number(time) + " is not after the " + std::string(row.name) +
               " of line " + std::to_string(run.lastLine) + " at " + Number(run.lastTime) +
               ": the keyframes of a run go forward in time, and the " + std::string(Subject(row)) +
               " jumps to this one");
      }
      ++run.lines;
    } else {
      EndRun(run);
      if (!row.keyframe) return;
      run.word = &row;
      run.firstLine = current;
      run.lines = 1;
    }
    run.lastTime = time;
    run.lastLine = current;
  }

  void EndRun(RunState& run) {
    if (run.word != nullptr && run.lines == 1) {
      const std::string word(run.word->name);
      result.findings.push_back({run.firstLine, "a " + word + " alone is no curve: the " +
                                                    std::string(Subject(*run.word)) +
                                                    " cuts to its point and stays there (a run is two " + word +
                                                    " lines or more in a row of its list)"});
    }
    run = RunState{};
  }

  static std::string_view Subject(const ScriptWordRow& row) { return row.list == ScriptList::View ? "view" : "camera"; }

  // --- follow and orbit ---------------------------------------------------

  void EntityShot(const ScriptLine& line, const ScriptWordRow& row) {
    const bool follow = row.word == ScriptWord::Follow;
    const EntityShotWords shot = ReadEntityShotWords(line.arguments);
    const std::string word = Quote(line.word);
    const char* size = follow ? "distance" : "radius";
    const std::string needs = follow ? " needs an entity (p or eN), a distance and a height, and may give the seconds "
                                       "of its time constant"
                                     : " needs an entity (p or eN), a radius, a height and the seconds of a turn";
    if (shot.head.empty() || shot.count < (follow ? 2 : 3)) {
      Report(word + needs + ": the line is passed over");
      return;
    }
    const int written = WrittenEntity(shot.head);
    if (shot.head != "p" && written < 0) {
      Report("the entity " + Quote(shot.head) + " is neither p nor eN: the line is passed over");
      return;
    }
    if (shot.entity == 0) {
      Report(Quote(shot.head) + " names no entity a script can follow (1 to " + std::to_string(kHighestEntity) +
             "): the line is passed over");
      return;
    }
    const char* names[3] = {size, "height", follow ? "time constant" : "seconds of a turn"};
    for (int index = 0; index < shot.count; ++index) {
      const std::string_view token = shot.tokens[static_cast<std::size_t>(index)];
      if (!IsDecimal(token)) {
        Report("the " + std::string(names[index]) + " " + Quote(token) + " reads as " +
               Number(shot.numbers[static_cast<std::size_t>(index)]));
      }
    }
    const float seconds = shot.count >= 3 ? shot.numbers[2] : 1;
    if (!(shot.numbers[0] > 0)) {
      Report("the " + std::string(size) + " " + Quote(shot.tokens[0]) + " is not above 0: the line is passed over");
    } else if (follow ? !(seconds > 0) : seconds == 0) {
      Report("the " + std::string(names[2]) + " " + Quote(shot.tokens[2]) + (follow ? " is not above 0" : " is 0") +
             ": the line is passed over");
    }
    if (!shot.rest.empty()) Report(Quote(shot.rest) + " after the " + std::string(row.name) + "'s numbers is ignored");
    if (lists.position.Empty()) return;
    NewTail(row, line);
    result.entities.push_back({current, shot.entity, false, true});
  }

  void NewTail(const ScriptWordRow& row, const ScriptLine& line) {
    ListState& state = StateOf(row.list);
    state.tail = &row;
    state.tailLine = current;
    state.tailStart = line.time;
    state.closedAt = 0;
  }

  void End(const ScriptLine& line) {
    const ScriptWordRow* ended = FindScriptWord(line.arguments);
    const std::string what = "'" + std::string(kEndWord) + " " + std::string(line.arguments) + "'";
    if (ended == nullptr || !ended->closedByEnd) {
      Report(what + " closes nothing: an end closes a " + WordsClosedByEnd());
      return;
    }
    const ScriptList list = ended->list;
    ListState& state = StateOf(list);
    if (state.tailLine == 0) {
      Report(what + " has nothing to close: no line of " + WordsOfList(list) + " comes before it");
      return;
    }
    const std::string tail = "the " + std::string(state.tail->name) + " of line " + std::to_string(state.tailLine);
    // An end closes whatever command of its list an end can close: "end
    // pan" ends a turn as well.
    if (!state.tail->closedByEnd) {
      Report(what + " closes " + tail + ", which is no " + std::string(line.arguments));
    } else if (state.closedAt != 0) {
      Report(what + " closes " + tail + " again (line " + std::to_string(state.closedAt) +
             " closed it): the later end counts");
    }
    const std::string_view tailName = state.tail->name;
    if (line.time < state.tailStart) {
      Report(what + " at " + Number(line.time) + " comes before " + tail + " begins at " + Number(state.tailStart));
    } else if (line.time == state.tailStart && (tailName == "pan" || tailName == "turn")) {
      Report(what + " at " + Number(line.time) + " ends " + tail +
             " as it begins: it sweeps through no time, and the camera faces its target at once");
    } else if (state.any && line.time < state.lastTime) {
      Order(list, line.time);
    }
    state.closedAt = current;
    state.lastTime = std::max(state.lastTime, line.time);
    state.lastLine = current;
  }

  void Point(const ScriptLine& line, const ScriptWordRow& row) {
    const CommandList& read = lists.Of(row.list);
    if (read.Empty()) {
      Report(Quote(line.word) + " needs a point: the line is passed over");
      return;
    }
    NewTail(row, line);
    const CCoord& coord = read.Head().coord;
    for (std::size_t axis = 0; axis < 3; ++axis) {
      const int entity = coord.entity[axis];
      if (entity > 0 && (axis == 0 || entity != coord.entity[axis - 1])) {
        result.entities.push_back({current, entity, false});
      }
    }
    const std::string_view text = line.arguments;
    if (text.find(' ') == std::string_view::npos) {
      Axis(text, coord, 0, "the point " + Quote(text), " on every axis");
      return;
    }
    std::size_t from = 0;
    for (std::size_t axis = 0; axis < 3; ++axis) {
      const std::string name = kAxisNames[axis];
      if (from > text.size()) {
        Report("the point has no " + name + " axis: " + name + " reads as " + DescribeAxis(coord, axis));
        continue;
      }
      const std::size_t space = text.find(' ', from);
      const std::string_view token =
          text.substr(from, space == std::string_view::npos ? std::string_view::npos : space - from);
      from = space == std::string_view::npos ? text.size() + 1 : space + 1;
      if (token.empty()) {
        Report("the " + name + " axis is empty (two spaces?): it reads as " + DescribeAxis(coord, axis));
        continue;
      }
      Axis(token, coord, axis, "the " + name + " axis " + Quote(token), "");
    }
    if (from <= text.size()) Report(Quote(text.substr(from)) + " after the third axis is ignored");
  }

  void Axis(std::string_view token, const CCoord& coord, std::size_t axis, const std::string& what,
            const std::string& where) {
    if (!WellFormedAxis(token)) {
      Report(what + " reads as " + DescribeAxis(coord, axis) + where);
      return;
    }
    const std::string_view head = token.substr(0, token.find_first_of("~+-", 1));
    const int entity = WrittenEntity(head);
    if (entity >= 0 && !EntityTable::Tracked(entity)) {
      Report(what + " names no entity a script can follow (1 to " + std::to_string(kHighestEntity) + "): it reads as " +
             DescribeAxis(coord, axis) + where);
    }
  }

  void Angle(const ScriptLine& line, const ScriptWordRow& row) {
    NewTail(row, line);
    const float angle = lists.roll.Empty() ? 0 : lists.roll.Head().param4;
    const NumberRead read = ReadDecimal(line.arguments);
    if (line.arguments.empty()) {
      Report(Quote(line.word) + " has no angle: it reads as " + Number(angle));
    } else if (read.length < line.arguments.size()) {
      Report("the angle " + Quote(line.arguments) + " reads as " + Number(angle));
    }
  }

  void Palette(const ScriptLine& line, const ScriptWordRow& row) {
    NewTail(row, line);
    // Four whole numbers from 0 to 255, each after a single space.
    bool plain = true;
    int count = 0;
    std::size_t from = 0;
    while (plain && from <= line.arguments.size()) {
      const std::size_t space = line.arguments.find(' ', from);
      const std::string_view token =
          line.arguments.substr(from, space == std::string_view::npos ? std::string_view::npos : space - from);
      plain = IsDigits(token) && token.size() <= 3 && ReadWholeNumber(token) <= 255;
      ++count;
      from = space == std::string_view::npos ? line.arguments.size() + 1 : space + 1;
    }
    if (plain && count == 4) return;
    const CCommand& read = lists.palette.Head();
    Report(Quote(line.word) + " takes red, green, blue and strength, whole numbers from 0 to 255: " +
           Quote(line.arguments) + " reads as " + Number(read.param3) + " " + Number(read.param2) + " " +
           Number(read.param1) + " " + Number(read.param4));
  }

  void Text(const ScriptLine& line) {
    const std::size_t kindEnd = line.arguments.find(' ');
    if (kindEnd == std::string_view::npos) {
      Report(Quote(line.word) + " needs a kind and a message in double quotes: the line is passed over");
      return;
    }
    if (lists.event.Empty()) {
      Report("the text needs its message in double quotes: the line is passed over");
      return;
    }
    const std::string_view kind = line.arguments.substr(0, kindEnd);
    if (TextMessageType(kind) < 0) {
      Report("the text kind " + Quote(kind) + " is none of " + TextKindNames() + ": nothing is shown");
    }
  }

  void Sound(const ScriptLine& line) {
    const std::string_view arguments = line.arguments;
    if (lists.event.Empty()) {
      SoundPassedOver(arguments);
      return;
    }
    const CCommand& sound = lists.event.Head();
    const std::size_t open = arguments.find('"');
    if (!sound.cameraSource) {
      const std::string_view source = TrimScriptLine(arguments.substr(0, open));
      const int entity = static_cast<int>(sound.endTime);
      if (source != "p" && source != "player" && WrittenEntity(source) < 0) {
        Report("the sound's source " + Quote(source) + " reads as entity " + std::to_string(entity));
      }
      result.entities.push_back({current, entity, false});
    }
    const std::string name = sound.text.substr(0, sound.text.size() - 4);
    if (name.size() >= 4 && name.compare(name.size() - 4, 4, ".wav") == 0) {
      Report("the sound's name already ends in .wav: the game is asked for " + Quote(sound.text));
    } else if (name.rfind("sound/", 0) == 0) {
      Report("sound names start below the sound folder: the game is asked for " + Quote("sound/" + sound.text));
    }
    result.sounds.push_back({current, sound.text});
    SoundSettings(arguments.substr(arguments.find('"', open + 1) + 1));
  }

  void SoundPassedOver(std::string_view arguments) {
    std::string why = "the sound needs its name in double quotes";
    const int source = arguments.empty() ? 0 : ReadWholeNumber(arguments.substr(1));
    if (!arguments.empty() && arguments.front() != '"' && arguments.front() != 'p' &&
        (source < 0 || source > kHighestEntity)) {
      why = "the sound's source is no entity the game can play it from (0 to " + std::to_string(kHighestEntity) + ")";
    } else if (const std::size_t open = arguments.find('"'); open != std::string_view::npos) {
      const std::size_t close = arguments.find('"', open + 1);
      if (close == open + 1) why = "the sound's name is empty";
      if (close != std::string_view::npos && close > open + 1) {
        why = "the sound's name is longer than the game's names (at most " + std::to_string(kMaxSoundName - 4) +
              " characters before .wav)";
      }
    }
    Report(why + ": the line is passed over");
  }

  // " v0.5 a2 c3" after the name's closing quote.
  void SoundSettings(std::string_view settings) {
    const std::size_t first = settings.find(' ');
    const std::string_view stuck = settings.substr(0, first);
    if (!stuck.empty()) Report(Quote(stuck) + " right after the sound's name is ignored");
    if (first == std::string_view::npos) return;
    std::size_t from = first + 1;
    while (from <= settings.size()) {
      const std::size_t space = settings.find(' ', from);
      const std::string_view token =
          settings.substr(from, space == std::string_view::npos ? std::string_view::npos : space - from);
      from = space == std::string_view::npos ? settings.size() + 1 : space + 1;
      if (token.empty()) continue;
      if (token.front() != 'v' && token.front() != 'a' && token.front() != 'c') {
        Report("the sound setting " + Quote(token) + " is none of v (volume), a (attenuation), c (channel): ignored");
      } else if (!IsDecimal(token.substr(1))) {
        Report("the sound setting " + Quote(token) + " reads as " + Number(ReadNumber(token.substr(1))));
      }
    }
  }

  void Eyes(const ScriptLine& line) {
    if (lists.event.Empty()) {
      Report(std::string(line.word) + " " + std::string(line.arguments) +
             " names no entity the game can look through (0 to " + std::to_string(kHighestEntity) +
             "): the line is passed over");
      return;
    }
    const int entity = static_cast<int>(lists.event.Head().param4 / 100.0f);
    if (!line.arguments.empty() && !IsDigits(line.arguments)) {
      Report(std::string(line.word) + " takes a plain entity number: " + Quote(line.arguments) + " reads as " +
             std::to_string(entity));
    }
    result.entities.push_back({current, entity, true});
  }

  std::unique_ptr<EntityTable> entities;
  CommandLists lists;
  std::array<ListState, kScriptListCount> states{};
  std::array<RunState, kScriptListCount> runs{};
  int current = 0;
  ScriptCheck result;
};

}  // namespace

ScriptCheck CheckScript(std::istream& script) { return Checker().Run(script); }

}  // namespace cw
