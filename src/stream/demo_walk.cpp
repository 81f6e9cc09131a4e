#include "stream/demo_walk.h"

#include <string>
#include <utility>

#include "base/protocol.h"
#include "stream/demo_files.h"

namespace cw {
namespace {

constexpr int kEndMarkerSize = 8;

}  // namespace

DemoWalk::DemoWalk(InputFile& input, Vec3& viewAngles, KeepWalking keep)
    : DemoWalk(input.Stream(), viewAngles, std::move(keep)) {
  file = &input;
}

DemoWalk::DemoWalk(std::istream& in, Vec3& viewAngles, KeepWalking keep)
    : source(in), angles(viewAngles), keepGoing(std::move(keep)) {
  ReadFirstLine();
}

void DemoWalk::ReadFirstLine() {
  std::streambuf* buffer = source.rdbuf();
  if (buffer == nullptr) return;
  using Traits = std::char_traits<char>;
  for (Traits::int_type c = buffer->sbumpc(); c != Traits::eof(); c = buffer->sbumpc()) {
    ++nextOffset;
    if (c == '\n') {
      firstLineEnded = true;
      return;
    }
    if (firstLine.size() < kFirstLineKept) firstLine.push_back(Traits::to_char_type(c));
  }
}

bool DemoWalk::Next(CBlock& block) {
  if (end != WalkEnd::Open) return false;
  offset = nextOffset;
  const ReadStatus status = block.ReadFrom(source, angles);
  cut = status == ReadStatus::Truncated;
  damaged = damaged || cut;
  if (block.IsEndMarker()) {
    end = Ending(status, block);
    damaged = damaged || (end != WalkEnd::Marker && end != WalkEnd::FileEnd);
    return false;
  }
  const int reached = number + 1;
  if (keepGoing && reached % kBlocksBetweenChecks == 0 && !keepGoing(BytesRead(source))) {
    end = WalkEnd::Stopped;
    return false;
  }
  number = reached;
  nextOffset = offset + kBlockHeaderSize + block.Length();
  return true;
}

WalkEnd DemoWalk::Ending(ReadStatus status, const CBlock& block) {
  switch (status) {
    case ReadStatus::End:
      return WalkEnd::FileEnd;
    case ReadStatus::Damaged:
      return WalkEnd::BrokenHeader;
    case ReadStatus::Truncated:
      return WalkEnd::CutMarker;
    case ReadStatus::Block:
      break;
  }
  // Anything after the marker would be lost without a word.
  if (block.Length() > kEndMarkerSize || source.peek() != std::char_traits<char>::eof()) return WalkEnd::AfterMarker;
  return WalkEnd::Marker;
}

bool DemoWalk::Damaged() const { return !firstLineEnded || damaged || ReadError() != 0; }

int DemoWalk::ReadError() const { return file != nullptr ? file->ReadError() : 0; }

}  // namespace cw
