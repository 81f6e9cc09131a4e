#pragma once
// The one way through a demo's blocks, for every reader of a demo: its first
// line, then block after block with each block's number and place in the
// file, and how the demo ends: the block that marks its end, bytes after
// that block, a damaged block header or the file's end. Now and then the
// caller is told how far the walk has come, and may stop it there.

#include <cstdint>
#include <functional>
#include <ios>
#include <istream>
#include <string>

#include "base/vec3.h"
#include "stream/block.h"

namespace cw {

class InputFile;

// Told the bytes read so far, every kBlocksBetweenChecks blocks; false asks
// the walk to stop there.
using KeepWalking = std::function<bool(std::streamoff bytesRead)>;

inline constexpr int kBlocksBetweenChecks = 64;
// The first line is a CD track number: what is kept of it is plenty.
inline constexpr std::size_t kFirstLineKept = 80;

enum class WalkEnd {
  Open,          // the walk goes on, or its caller left it before the end
  Marker,        // the block that marks the end, and nothing after it
  FileEnd,       // the file ended between two blocks, without that block
  AfterMarker,   // bytes after the end marker, in its block or after it
  CutMarker,     // the end marker in a block that the file's end cuts short
  BrokenHeader,  // a block header cut short, or a block length out of range
  Stopped,       // KeepWalking asked for a stop: the block read then is left
};

class DemoWalk {
 public:
  // Reads the first line at once. The view angles of each block read go to
  // `angles`, the end marker's too: the refilm takes them as its camera's.
  // Through an InputFile, the walk knows of read errors as well.
  DemoWalk(InputFile& file, Vec3& angles, KeepWalking keepGoing = {});
  DemoWalk(std::istream& source, Vec3& angles, KeepWalking keepGoing = {});

  // The next block of the demo into `block`, its bytes as read; false once
  // the demo has ended or a stop was asked for (End() says which).
  bool Next(CBlock& block);

  // The first line without its line feed, its first kFirstLineKept characters.
  const std::string& FirstLine() const { return firstLine; }
  // False when no line feed ended it: the file is no demo, or a damaged one.
  bool FirstLineEnded() const { return firstLineEnded; }
  // The block Next() gave, from 1; after the end, the number of blocks given.
  int Number() const { return number; }
  // Where that block's header begins in the file; after the end, where the
  // block that ended the walk begins.
  std::int64_t Offset() const { return offset; }
  // The file ends inside the block Next() gave: its bytes are those read.
  bool Cut() const { return cut; }
  WalkEnd End() const { return end; }
  // Whether the demo was found damaged so far: a first line without a line
  // feed, a block cut short, a broken header, bytes after the end marker or
  // a read error.
  bool Damaged() const;
  // The error number of a failed read, 0 when every read succeeded.
  int ReadError() const;

 private:
  void ReadFirstLine();
  WalkEnd Ending(ReadStatus status, const CBlock& block);

  std::istream& source;
  const InputFile* file = nullptr;
  Vec3& angles;
  KeepWalking keepGoing;
  std::string firstLine;
  std::int64_t offset = 0;
  std::int64_t nextOffset = 0;
  int number = 0;
  bool firstLineEnded = false;
  bool cut = false;
  bool damaged = false;
  WalkEnd end = WalkEnd::Open;
};

}  // namespace cw
