#pragma once
// A result thinned to a frame rate drops frames, not events. A block that is
// not written gives up only what the next written block carries anew: its
// time, the client data and the entity updates (the camera's own among
// them). Every other message of it, the source's or the script's, waits for
// the next block that is written and goes out before that block's own
// messages, in the order it came; the written block is split at message
// boundaries as any block is.

#include <iosfwd>

#include "base/vec3.h"
#include "stream/block.h"

namespace cw {

struct RefilmOptions;
struct RunFlags;

class FrameThinning {
 public:
  // Whether the block just stepped goes into the result: always, unless the
  // options thin the result to a frame rate.
  static bool Keep(const RefilmOptions& options, RunFlags& run);

  // A block that is not written: its events wait. `damagedFrom` is where
  // the rest of a damaged source block begins in it, bytes that are no
  // message and stay with their block; -1 for none. `limit` is the block
  // size the block could have been written in.
  void Drop(const CBlock& stepped, int damagedFrom, int limit);

  // Writes a block, the events that waited first, in blocks of at most
  // `limit` bytes (or of the waiting events' own limit when it is larger).
  // False when a single message had no room in any block.
  bool Write(const CBlock& stepped, std::ostream& result, const Vec3& angles, int limit);

  // Writes the events that still wait when the demo ends, if any.
  bool Flush(std::ostream& result, const Vec3& angles);

 private:
  // The events of the blocks not written since the last one that was; the
  // block is made once, so that thinning allocates nothing block by block.
  CBlock waiting;
  int waitingLimit = 0;
};

}  // namespace cw
