#pragma once
// Every piece of process-wide state, owned by one object that the program
// creates once and passes by reference. A test makes a fresh one.

#include <string>

#include "app/options.h"
#include "autogen/disposition.h"
#include "autogen/generator.h"
#include "camera/command.h"
#include "camera/director.h"
#include "demo/entity_table.h"
#include "demo/parser_values.h"
#include "demo/protocol.h"

namespace cw {

// Flags and times that the run and the stream stages share.
struct RunFlags {
  bool scriptEnded = false;
  bool streamProblems = false;
  bool refilming = false;
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

struct Context {
  Context() { edits.textBuffer.reserve(kTextBufferSize); }

  RefilmOptions options;
  RunFlags run;
  ParserValues parser;
  EntityTable entities;
  CommandLists commands;
  DirectorState director;
  StreamEditState edits;
  GeneratorState generator;
  ZoneTables zones;
};

}  // namespace cw
