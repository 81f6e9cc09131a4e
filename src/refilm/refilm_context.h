#pragma once
// What the per-block step works on, block after block and pass after pass:
// the state of each stage it drives, put side by side. The run owns one; a
// test makes a fresh one.

#include <string>

#include "base/entity_table.h"
#include "base/protocol.h"
#include "camera/command.h"
#include "camera/director.h"
#include "camera/script_feed.h"
#include "refilm/demo_survey.h"
#include "refilm/map_keeping_state.h"
#include "refilm/options.h"
#include "refilm/parser_values.h"
#include "refilm/pass.h"
#include "stream/message_reader.h"

namespace cw {

class RunWatcher;

// Flags and times that the run and the stream stages share.
struct RunFlags {
  bool scriptEnded = false;
  bool streamProblems = false;
  bool refilming = false;
  // This pass writes a result through the camera: each new level of the
  // demo is refilmed again, whatever ended the one before.
  bool filming = false;
  // A script is being generated from the demo: the camera has no commands
  // yet, and the refilm after starts it afresh, so it rests.
  bool generating = false;
  float demoTime = 0;
  float exitTime = 0;
  float lastBlockTime = 0;
  float lastWrittenTime = 0;
  // Where the output of the block just stepped holds the rest of a damaged
  // source block, bytes that are no message; -1 when it holds none.
  int damagedFrom = -1;

  // A pass begins: its clocks stand at 0, and it films when it is the
  // refilm's. What any pass of the run found wrong with the demo stays.
  void StartPass(Pass pass) {
    refilming = filming = pass == Pass::Refilm;
    demoTime = exitTime = lastBlockTime = lastWrittenTime = 0;
  }
};

// State of the edits that put the camera and the options into the stream.
struct StreamEditState {
  float lastTimeShown = 0;
  float paletteLast[4] = {0, 0, 0, 0};
  // The entity the result is seen through: 449 unless the demo uses it.
  int cameraEntity = kCameraEntity;
  // Scratch text for injected messages, kept so that a block allocates nothing.
  std::string textBuffer;

  // A pass begins: no time shown, no tint yet. The camera's entity is the run's.
  void StartPass() {
    lastTimeShown = 0;
    for (float& value : paletteLast) value = 0;
  }
};

// What lets the per-block step drop the trajectory points that no lookup can
// reach any more, so that memory stays flat however long the demo. A lookup
// asks for the time of its block less a lag of the script; so the lowest
// time the clock will stand at from here on, less the script's longest lag,
// is as far back as any lookup can reach.
struct TrackPruning {
  enum class Mode {
    Off,         // every point stays
    Generation,  // the generator's read: the player's points stay as far as a refilm's lookups can reach them
    Refilm,      // points before the reach of every lookup to come go
  };
  Mode mode = Mode::Off;
  float maxLag = 0;             // the longest lag of any point of the script
  std::vector<ClockLow> lows;   // the survey's: where the clock goes back to
  std::size_t nextLow = 0;      // the first of them still ahead
  int block = 0;                // blocks begun in this mode
  float playerBound = 0;        // the generator's: the survey's clock before the player's first update
  bool keepEveryPoint = false;  // for tests that compare with and without

  // A run begins: nothing of an earlier demo's clock stays until its survey
  // says where this one's goes; a test's wish to keep every point does.
  void StartRun() {
    const bool keep = keepEveryPoint;
    *this = TrackPruning{};
    keepEveryPoint = keep;
  }
  // From the next block on, drops the points as the pass needs them.
  void StartPass(Pass pass) {
    mode = pass == Pass::Generation ? Mode::Generation : Mode::Refilm;
    block = 0;
    nextLow = 0;
  }
};

struct RefilmContext {
  RefilmContext() { edits.textBuffer.reserve(kTextBufferSize); }

  RefilmOptions options;
  RunFlags run;
  StreamState stream;
  ParserValues parser;
  EntityTable entities;
  CommandLists commands;
  DirectorState director;
  StreamEditState edits;
  TrackPruning pruning;
  MapKeeping keeping;
  // The script being read as the demo goes, or nullptr when it was read whole.
  ScriptFeed* scriptFeed = nullptr;
  // Whoever watches the refilm's pass, the preview, or nullptr.
  RunWatcher* watcher = nullptr;
  // For tests that compare: the script is read whole before the first block.
  bool readScriptWhole = false;
};

// A run begins: every stage's state as a fresh context holds it, but for
// the options, which are the front end's, the tests' settings, and the room
// that the tables and buffers have grown.
void StartRun(RefilmContext& context);

// A pass over the demo begins: each stage's state starts it. The refilm's
// pass goes on from what its run's generation left: the exit times it
// prints, the player's trajectory, a 1.07 server, and whatever the last
// blocks set (the health, the names) until its own blocks set it again.
void StartPass(RefilmContext& context, Pass pass);

}  // namespace cw
