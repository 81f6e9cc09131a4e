#include "film/film_copy.h"

#include <istream>
#include <ostream>

#include "base/protocol.h"
#include "stream/block.h"
#include "stream/message_reader.h"

namespace cw {
namespace {

// Copies every message of a block but the console texts.
struct WithoutTexts : IgnoredMessages {
  const CBlock& in;
  CBlock& out;
  explicit WithoutTexts(const CBlock& input, CBlock& output) : in(input), out(output) {}

  void Keep(int start) {
    out.BeginMessage();
    out.CopyFrom(in, start);
  }
  void EntitySeen(int start, int) { Keep(start); }
  void ClientData(int start, const ClientDataFields&) { Keep(start); }
  void ServerInfo(int start, const ServerInfoFields&) { Keep(start); }
  void SpawnBaseline(int start, const BaselineFields&) { Keep(start); }
  void Time(int start, float) { Keep(start); }
  void Text(int start, std::uint8_t type, std::string_view) {
    if (type != svc_stufftext) Keep(start);
  }
  void SetView(int start, int) { Keep(start); }
  void UpdateColors(int start, int, int) { Keep(start); }
  void SignonNum(int start, int) { Keep(start); }
  void Intermission(int start) { Keep(start); }
  void Other(int start, std::uint8_t) { Keep(start); }
  void Damaged(int start) { Keep(start); }
};

}  // namespace

bool WriteFilmCopy(std::istream& source, std::ostream& copy, std::string& error) {
  std::string firstLine;
  if (!std::getline(source, firstLine) || source.eof()) {
    error = "it is no demo: its first line does not end";
    return false;
  }
  copy << firstLine << '\n';
  CBlock input;
  CBlock output;
  Vec3 angles{};
  StreamState stream;
  ReadStatus status = input.ReadFrom(source, angles);
  // A block cut short stays out, as the engine could not read it either.
  while (status == ReadStatus::Block && !input.IsEndMarker()) {
    output.Reset();
    WithoutTexts keep(input, output);
    ReadMessages(input, stream, keep);
    // An empty block would end the engine's playback.
    if (output.Length() == 0) output.PutByte(svc_nop);
    output.WriteTo(copy, angles);
    status = input.ReadFrom(source, angles);
  }
  if (!copy) {
    error = "the copy could not be written";
    return false;
  }
  return true;
}

}  // namespace cw
