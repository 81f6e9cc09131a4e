#pragma once
// The words of the camera script language, one row each. The line reader,
// the checker, the director, the stream's effects, the preview and the
// script generator all know a word from here: a new word is a row of
// kScriptWords, a reader for its argument form when the form is new, and
// what it does where its list is taken.

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

#include "base/protocol.h"

namespace cw {

// A command's identity, which the stages compare instead of its spelling;
// in the order of the table's rows.
enum class ScriptWord : unsigned char {
  Stay,
  Move,
  Cut,
  View,
  Pan,
  Turn,
  Palette,
  Fade,
  Roll,
  Lean,
  Text,
  Subtitle,
  Sound,
  Eyes,
  Glide,
  Sweep,
  Follow,
  Orbit
};

// The list a word's commands join. The commands of a list take effect one
// after another; a command runs until the next one of its list begins.
enum class ScriptList : unsigned char { Position, View, Roll, Palette, Event };
inline constexpr std::size_t kScriptListCount = 5;

// What stands after a word on its line. A word that takes an entity and
// numbers after it would be a form of its own.
enum class ArgumentForm : unsigned char {
  Point,        // a point: "p", "100 -200 now", "e7~0.5 e7~0.5 e7+30"
  Angle,        // degrees: "15"
  Colour,       // red, green, blue and strength, whole numbers: "255 0 0 60"
  KindAndText,  // a text kind and a message in double quotes: print "Hello"
  QuotedText,   // a message in double quotes: "Hello"
  Sound,        // a source, a name in double quotes, settings: p "misc/talk" v0.5
  Entity,       // an entity number, or nothing for the player: "7"
  Chase,        // an entity, a distance, a height and a time constant if wanted: p 120 40 0.5
  Circle,       // an entity, a radius, a height and the seconds of a turn: e5 200 64 -8
};

struct ScriptWordRow {
  ScriptWord word;
  std::string_view name;
  ScriptList list;
  ArgumentForm form;
  // An "end WORD" line gives the list's newest command its end.
  bool closedByEnd;
  // The command goes over during its time from where the commands before it
  // left its list to its own target, rather than at once.
  bool gradual;
  // Consecutive commands of the word in its list are the keyframes of one
  // smooth curve.
  bool keyframe;
};

// The checker names the words of a list in the order of their rows ("stay,
// move, cut"), and the words an end closes likewise.
inline constexpr std::array<ScriptWordRow, 18> kScriptWords = {{
    {ScriptWord::Stay, "stay", ScriptList::Position, ArgumentForm::Point, false, false, false},
    {ScriptWord::Move, "move", ScriptList::Position, ArgumentForm::Point, true, true, false},
    {ScriptWord::Cut, "cut", ScriptList::Position, ArgumentForm::Point, false, false, false},
    {ScriptWord::View, "view", ScriptList::View, ArgumentForm::Point, false, false, false},
    {ScriptWord::Pan, "pan", ScriptList::View, ArgumentForm::Point, true, true, false},
    {ScriptWord::Turn, "turn", ScriptList::View, ArgumentForm::Point, true, true, false},
    {ScriptWord::Palette, "palette", ScriptList::Palette, ArgumentForm::Colour, false, false, false},
    {ScriptWord::Fade, "fade", ScriptList::Palette, ArgumentForm::Colour, true, true, false},
    {ScriptWord::Roll, "roll", ScriptList::Roll, ArgumentForm::Angle, true, true, false},
    {ScriptWord::Lean, "lean", ScriptList::Roll, ArgumentForm::Angle, false, false, false},
    {ScriptWord::Text, "text", ScriptList::Event, ArgumentForm::KindAndText, false, false, false},
    {ScriptWord::Subtitle, "subtitle", ScriptList::Event, ArgumentForm::QuotedText, false, false, false},
    {ScriptWord::Sound, "sound", ScriptList::Event, ArgumentForm::Sound, false, false, false},
    {ScriptWord::Eyes, "eyes", ScriptList::Event, ArgumentForm::Entity, false, false, false},
    {ScriptWord::Glide, "glide", ScriptList::Position, ArgumentForm::Point, false, false, true},
    {ScriptWord::Sweep, "sweep", ScriptList::View, ArgumentForm::Point, false, false, true},
    {ScriptWord::Follow, "follow", ScriptList::Position, ArgumentForm::Chase, false, false, false},
    {ScriptWord::Orbit, "orbit", ScriptList::Position, ArgumentForm::Circle, false, false, false},
}};

constexpr bool ScriptWordsInOrder() {
  for (std::size_t i = 0; i < kScriptWords.size(); ++i) {
    if (static_cast<std::size_t>(kScriptWords[i].word) != i) return false;
  }
  return true;
}
static_assert(ScriptWordsInOrder(), "a row of kScriptWords stands away from its word's place");

// The word of the lines that close a command: "9 end move".
inline constexpr std::string_view kEndWord = "end";

// The row of a word as written (words are lower case); nullptr for no word.
constexpr const ScriptWordRow* FindScriptWord(std::string_view name) {
  for (const ScriptWordRow& row : kScriptWords) {
    if (row.name == name) return &row;
  }
  return nullptr;
}

constexpr const ScriptWordRow& RowOf(ScriptWord word) { return kScriptWords[static_cast<std::size_t>(word)]; }
constexpr std::string_view NameOf(ScriptWord word) { return RowOf(word).name; }
constexpr bool IsGradual(ScriptWord word) { return RowOf(word).gradual; }
constexpr bool IsKeyframe(ScriptWord word) { return RowOf(word).keyframe; }

// "stay, move, cut": the words of a list.
std::string WordsOfList(ScriptList list);
// "move, pan, turn, fade or roll": the words an end closes.
std::string WordsClosedByEnd();

// A line as the reader takes it: "12.5 move 1 2 3".
std::string ScriptLineText(std::string_view time, ScriptWord word, std::string_view arguments);
// The line that closes a command: "13 end move".
std::string EndLineText(std::string_view time, ScriptWord word);

// The kinds of a text line, each with the server message it puts into the
// stream.
struct TextKindRow {
  std::string_view name;
  int messageType;
};
inline constexpr std::array<TextKindRow, 4> kTextKinds = {{
    {"print", svc_print},
    {"centerprint", svc_centerprint},
    {"stufftext", svc_stufftext},
    {"finale", svc_finale},
}};

// The message of a text kind; -1 for a kind the game has no message for.
constexpr int TextMessageType(std::string_view kind) {
  for (const TextKindRow& row : kTextKinds) {
    if (row.name == kind) return row.messageType;
  }
  return -1;
}
// "print, centerprint, stufftext, finale".
std::string TextKindNames();

}  // namespace cw
