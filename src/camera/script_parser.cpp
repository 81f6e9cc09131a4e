#include "camera/script_parser.h"

#include <algorithm>
#include <cfloat>
#include <istream>
#include <string>

#include "base/entity_table.h"
#include "base/protocol.h"
#include "camera/command.h"
#include "camera/coord.h"
#include "camera/entity_shots.h"
#include "camera/script_line.h"
#include "camera/script_number.h"

namespace cw {

// Lines end with a line feed; a last line without one is not a line. Long
// lines are read whole, never cut into two commands.
bool ReadScriptLine(std::istream& script, std::string& line) {
  return static_cast<bool>(std::getline(script, line)) && !script.eof();
}

std::string_view TrimScriptLine(std::string_view line) {
  const std::size_t last = line.find_last_not_of(" \r\n");
  if (last == std::string_view::npos) return {};
  line = line.substr(0, last + 1);
  return line.substr(line.find_first_not_of(' '));
}

// Time, word and arguments; false when the line has no word after its time.
bool SplitScriptLine(std::string_view text, ScriptLine& line) {
  const std::size_t timeEnd = text.find(' ');
  if (timeEnd == std::string_view::npos) return false;
  line.time = ReadNumber(text.substr(0, timeEnd));
  const std::string_view rest = text.substr(timeEnd + 1);
  const std::size_t wordEnd = rest.find(' ');
  line.word = rest.substr(0, wordEnd);
  line.arguments = wordEnd == std::string_view::npos ? std::string_view{} : rest.substr(wordEnd + 1);
  return true;
}

EntityShotWords ReadEntityShotWords(std::string_view arguments) {
  EntityShotWords shot;
  std::size_t from = 0;
  for (int index = 0; from <= arguments.size() && index < 5; ++index) {
    const std::size_t space = arguments.find(' ', from);
    const std::string_view token =
        arguments.substr(from, space == std::string_view::npos ? std::string_view::npos : space - from);
    from = space == std::string_view::npos ? arguments.size() + 1 : space + 1;
    if (index == 0) {
      shot.head = token;
      if (token == "p") shot.entity = kPlayerEntity;
      if (token.size() > 1 && token.front() == 'e' &&
          token.find_first_not_of("0123456789", 1) == std::string_view::npos) {
        const int entity = ReadWholeNumber(token.substr(1));
        shot.entity = EntityTable::Tracked(entity) ? entity : 0;
      }
    } else if (index <= 3) {
      shot.tokens[static_cast<std::size_t>(index - 1)] = token;
      shot.numbers[static_cast<std::size_t>(index - 1)] = ReadNumber(token);
      shot.count = index;
    } else {
      shot.rest = arguments.substr(from - token.size() - 1);
    }
  }
  return shot;
}

namespace {

// A command runs until the next command of its list begins, unless an end
// line or an earlier closing already gave it an end.
void CloseTail(CommandList& list, float time) {
  if (!list.Empty() && list.Tail().endTime == 0) list.Tail().endTime = time;
}

void AddCoordCommand(const ScriptLine& line, ScriptWord word, CommandList& list, EntityTable& entities) {
  if (line.arguments.empty()) return;
  CloseTail(list, line.time);
  CCommand command;
  command.coord = ParseCoord(line.arguments, entities);
  command.word = word;
  command.startTime = line.time;
  list.Append(command);
}

void AddRoll(const ScriptLine& line, ScriptWord word, CommandList& rolls) {
  float angle = ReadNumber(line.arguments);
  if (!rolls.Empty() && rolls.Tail().endTime == 0) {
    CCommand& tail = rolls.Tail();
    tail.endTime = line.time;
    // Roll the short way from the angle before: 10 then 350 turns 20 degrees,
    // not 340. One correction only.
    if (tail.param4 - angle > 180) angle += 360;
    if (tail.param4 - angle < -180) angle -= 360;
  }
  CCommand roll;
  roll.word = word;
  roll.param4 = angle;
  roll.startTime = line.time;
  rolls.Append(roll);
}

// Four unsigned whole numbers: every digit goes into the number being read,
// every space shifts it in, everything else is ignored. Red ends in param3,
// green in param2, blue in param1, strength in param4.
void AddPalette(const ScriptLine& line, ScriptWord word, CommandList& palettes) {
  CCommand palette;
  float number = 0;
  for (const char c : line.arguments) {
    if (c >= '0' && c <= '9') {
      number = std::min(number * 10 + static_cast<float>(c - '0'), FLT_MAX);
    } else if (c == ' ') {
      palette.param3 = palette.param2;
      palette.param2 = palette.param1;
      palette.param1 = number;
      number = 0;
    }
  }
  palette.param4 = number;
  palette.word = word;
  palette.startTime = line.time;
  CloseTail(palettes, line.time);
  palettes.Append(palette);
}

// A follow or orbit: the entity, then its numbers. A line without the
// numbers its word needs, or whose distance, radius or time makes no shot,
// stores nothing.
void AddEntityShot(const ScriptLine& line, ScriptWord word, CommandList& positions, EntityTable& entities) {
  const EntityShotWords shot = ReadEntityShotWords(line.arguments);
  const bool follow = word == ScriptWord::Follow;
  if (shot.entity == 0 || shot.count < 2 || (!follow && shot.count < 3)) return;
  const float seconds = shot.count >= 3 ? shot.numbers[2] : kDefaultFollowSeconds;
  if (!(shot.numbers[0] > 0) || (follow ? !(seconds > 0) : seconds == 0)) return;
  CloseTail(positions, line.time);
  CCommand command;
  command.word = word;
  command.startTime = line.time;
  for (int& axis : command.coord.entity) axis = shot.entity;
  entities.Reference(shot.entity);
  command.param1 = shot.numbers[0];
  command.param2 = shot.numbers[1];
  command.param3 = seconds;
  positions.Append(command);
}

// An end line closes the newest command of the list of the word it names,
// whatever that command's word.
void EndCommand(const ScriptLine& line, CommandLists& lists) {
  const ScriptWordRow* ended = FindScriptWord(line.arguments);
  if (ended == nullptr || !ended->closedByEnd) return;
  CommandList& list = lists.Of(ended->list);
  if (!list.Empty()) list.Tail().endTime = line.time;
}

void HandleLine(const ScriptLine& line, CommandLists& lists, EntityTable& entities) {
  const ScriptWordRow* row = FindScriptWord(line.word);
  if (row == nullptr) {
    // Any other word, the empty one included, is passed over in silence.
    if (line.word == kEndWord) EndCommand(line, lists);
    return;
  }
  CommandList& list = lists.Of(row->list);
  switch (row->form) {
    case ArgumentForm::Point:
      AddCoordCommand(line, row->word, list, entities);
      break;
    case ArgumentForm::Angle:
      AddRoll(line, row->word, list);
      break;
    case ArgumentForm::Colour:
      AddPalette(line, row->word, list);
      break;
    case ArgumentForm::KindAndText:
      AddText(line, row->word, list);
      break;
    case ArgumentForm::QuotedText:
      AddSubtitle(line, row->word, list);
      break;
    case ArgumentForm::Sound:
      AddSound(line, row->word, lists);
      break;
    case ArgumentForm::Entity:
      AddEyes(line, row->word, list);
      break;
    case ArgumentForm::Chase:
    case ArgumentForm::Circle:
      AddEntityShot(line, row->word, list, entities);
      break;
  }
}

}  // namespace

void ParseScript(std::istream& script, CommandLists& lists, EntityTable& entities, bool& scriptEnded) {
  std::string text;
  if (!ReadScriptLine(script, text)) {
    scriptEnded = true;
    return;
  }
  ParseScriptLine(text, lists, entities);
}

bool ScriptLineTime(std::string_view text, float& time) {
  const std::string_view trimmed = TrimScriptLine(text);
  if (trimmed.empty() || trimmed.front() == '#') return false;
  ScriptLine line;
  if (!SplitScriptLine(trimmed, line)) return false;
  time = line.time;
  return true;
}

void ParseScriptLine(std::string_view text, CommandLists& lists, EntityTable& entities) {
  const std::string_view trimmed = TrimScriptLine(text);
  if (trimmed.empty() || trimmed.front() == '#') return;
  ScriptLine line;
  if (SplitScriptLine(trimmed, line)) HandleLine(line, lists, entities);
}

}  // namespace cw
