#pragma once
// What the per-block step works on, block after block and pass after pass:
// the state of each stage it drives, put side by side. The run owns one; a
// test makes a fresh one.

#include <string>

#include "base/entity_table.h"
#include "base/protocol.h"
#include "camera/command.h"
#include "camera/director.h"
#include "refilm/options.h"
#include "refilm/parser_values.h"
#include "stream/message_reader.h"

namespace cw {

// Flags and times that the run and the stream stages share.
struct RunFlags {
  bool scriptEnded = false;
  bool streamProblems = false;
  bool refilming = false;
  // This pass writes a result through the camera: each new level of the
  // demo is refilmed again, whatever ended the one before.
  bool filming = false;
  float demoTime = 0;
  float exitTime = 0;
  float lastBlockTime = 0;
  float lastWrittenTime = 0;
};

// State of the edits that put the camera and the options into the stream.
struct StreamEditState {
  float lastTimeShown = 0;
  float paletteLast[4] = {0, 0, 0, 0};
  // The entity the result is seen through: 449 unless the demo uses it.
  int cameraEntity = kCameraEntity;
  // Scratch text for injected messages, kept so that a block allocates nothing.
  std::string textBuffer;
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
};

}  // namespace cw
