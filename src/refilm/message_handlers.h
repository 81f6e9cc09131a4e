#pragma once
// What the refilm does with each server message that the reader hands over
// whole: copies it, drops it, changes it or adds others after it, and takes
// from it what the camera and the edits need. The reader calls these
// directly, message after message.

#include <cstdint>
#include <string_view>

#include "stream/block.h"
#include "stream/message_reader.h"

namespace cw {

struct RefilmContext;

class MessageHandlers {
 public:
  MessageHandlers(RefilmContext& step, const CBlock& input, CBlock& output) : context(step), in(input), out(output) {}

  void EntityUpdate(int start, const EntityUpdateFields& update);
  void ClientData(int start, const ClientDataFields& data);
  void ServerInfo(int start, const ServerInfoFields& info);
  void SpawnBaseline(int start, const BaselineFields& baseline);
  void Time(int start, float seconds);
  void Text(int start, std::uint8_t type, std::string_view text);
  void SetView(int start, int entity);
  void UpdateColors(int start, int player, int colors);
  void SignonNum(int start, int stage);
  void Intermission(int start);
  void Other(int start, std::uint8_t type);
  void Damaged(int start);

 private:
  // The message as it stands in the input; inline, as most messages are
  // copied.
  void Copy(int start) {
    out.BeginMessage();
    out.CopyFrom(in, start);
  }

  RefilmContext& context;
  const CBlock& in;
  CBlock& out;
};

}  // namespace cw
