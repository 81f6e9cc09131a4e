#include <optional>
#include <string>

#include "base/entity_table.h"
#include "base/protocol.h"
#include "camera/command.h"
#include "camera/script_line.h"
#include "camera/script_number.h"

namespace cw {
namespace {

// The message that begins after the first double quote at or after `from` and
// ends before the next double quote that no backslash escapes. A backslash
// makes a backslash, a line feed or a double quote of the character after it;
// before any other character it stays, and so does that character.
std::optional<std::string> QuotedMessage(std::string_view arguments, std::size_t from) {
  const std::size_t open = arguments.find('"', from);
  if (open == std::string_view::npos) return std::nullopt;
  std::string message;
  for (std::size_t i = open + 1; i < arguments.size(); ++i) {
    const char c = arguments[i];
    if (c == '"') return message;
    if (c == '\\' && i + 1 < arguments.size()) {
      const char next = arguments[i + 1];
      if (next == '\\' || next == '"' || next == 'n') {
        message += next == 'n' ? '\n' : next;
        ++i;
        continue;
      }
    }
    message += c;
  }
  return std::nullopt;
}

// The source of a sound: none written means the camera, "p" the player, and
// otherwise the first character is skipped and the number after it counts
// ("e12" is entity 12).
int SoundSource(std::string_view arguments) {
  if (arguments.front() == '"') return kCameraEntity;
  if (arguments.front() == 'p') return kPlayerEntity;
  return ReadWholeNumber(arguments.substr(1));
}

// "v0.5" sets the volume, "a2" the attenuation, "c3" the channel; each must
// follow a space. What stands right against the closing quote is passed over.
void ReadSoundSettings(std::string_view settings, CCommand& sound) {
  std::size_t space = settings.find(' ');
  while (space != std::string_view::npos) {
    const std::size_t next = settings.find(' ', space + 1);
    const std::string_view token =
        settings.substr(space + 1, next == std::string_view::npos ? std::string_view::npos : next - space - 1);
    space = next;
    if (token.empty()) continue;
    const float value = ReadNumber(token.substr(1));
    switch (token.front()) {
      case 'v':
        sound.param2 = value;
        break;
      case 'a':
        sound.param3 = value;
        break;
      case 'c':
        sound.param1 = value;
        break;
      default:
        break;
    }
  }
}

// Any number an entity message can carry.
bool IsEntityNumber(int number) { return number >= 0 && number <= kHighestEntity; }

}  // namespace

void AddText(const ScriptLine& line, ScriptWord word, CommandList& events) {
  const std::size_t kindEnd = line.arguments.find(' ');
  if (kindEnd == std::string_view::npos) return;
  std::optional<std::string> message = QuotedMessage(line.arguments, kindEnd);
  if (!message) return;
  CCommand text;
  text.word = word;
  // A kind the game has no message for still takes its frame, and shows nothing.
  text.messageType = TextMessageType(line.arguments.substr(0, kindEnd));
  text.text = std::move(*message);
  text.startTime = line.time;
  events.Append(text);
}

void AddSubtitle(const ScriptLine& line, ScriptWord word, CommandList& events) {
  std::optional<std::string> message = QuotedMessage(line.arguments, 0);
  if (!message) return;
  // Console text that defines an alias echoing the message, then runs the
  // command that shows it.
  CCommand subtitle;
  subtitle.word = word;
  subtitle.messageType = svc_stufftext;
  subtitle.text = "alias subtitle echo \"" + *message + "\";\nprint_subtitle\n";
  subtitle.startTime = line.time;
  events.Append(subtitle);
}

void AddSound(const ScriptLine& line, ScriptWord word, CommandLists& lists) {
  if (line.arguments.empty()) return;
  const int source = SoundSource(line.arguments);
  // Whether the level's protocol can carry the number is known only when
  // the sound is written.
  if (!IsEntityNumber(source)) return;
  const std::size_t open = line.arguments.find('"');
  if (open == std::string_view::npos) return;
  const std::size_t close = line.arguments.find('"', open + 1);
  if (close == std::string_view::npos || close == open + 1) return;

  CCommand sound;
  sound.word = word;
  sound.text = std::string(line.arguments.substr(open + 1, close - open - 1)) + ".wav";
  if (sound.text.size() > static_cast<std::size_t>(kMaxSoundName)) return;
  sound.param1 = 0;  // channel
  sound.param2 = 1;  // volume
  sound.param3 = 1;  // attenuation
  ReadSoundSettings(line.arguments.substr(close + 1), sound);
  sound.startTime = line.time;
  sound.endTime = static_cast<float>(source);
  sound.cameraSource = line.arguments.front() == '"';
  lists.AppendSound(std::move(sound));
}

void AddEyes(const ScriptLine& line, ScriptWord word, CommandList& events) {
  const int entity = line.arguments.empty() ? kPlayerEntity : ReadWholeNumber(line.arguments);
  // A number no entity message can carry is not sent.
  if (!IsEntityNumber(entity)) return;
  CCommand eyes;
  eyes.word = word;
  eyes.param4 = static_cast<float>(entity * 100);
  eyes.startTime = line.time;
  events.Append(eyes);
}

}  // namespace cw
