#include "app/refilm_run.h"

#include <filesystem>
#include <fstream>

#include "app/context.h"
#include "app/platform.h"
#include "app/run_checks.h"
#include "autogen/generator.h"
#include "camera/director.h"
#include "camera/script_parser.h"
#include "demo/block.h"
#include "demo/demo_streams.h"
#include "demo/demo_survey.h"
#include "demo/message_loop.h"
#include "demo/protocol.h"

namespace cw {
namespace {

constexpr const char* kResultFirstLine = "-1\n";

void ReadScript(Context& context) {
  std::ifstream script(context.options.scriptFile, std::ios::binary);
  context.entities.ClearReferences();
  while (!context.run.scriptEnded) ParseScript(script, context.commands, context.entities, context.run.scriptEnded);
}

// Whether the processed block goes into the result, when the result is
// thinned to a frame rate.
bool KeepForFrameRate(Context& context) {
  RunFlags& run = context.run;
  if (!context.options.setFps || run.demoTime == 0) return true;
  const bool keep = run.demoTime - run.lastWrittenTime > 1.0f / static_cast<float>(context.options.fps) ||
                    run.demoTime == run.lastBlockTime;
  if (keep) run.lastWrittenTime = run.demoTime;
  run.lastBlockTime = run.demoTime;
  return keep;
}

void NoteRead(Context& context, ReadStatus status) {
  if (status == ReadStatus::Truncated || status == ReadStatus::Damaged) context.run.streamProblems = true;
}

void StreamBlocks(Context& context, std::istream& source, std::ostream& result) {
  CBlock input;
  CBlock output;
  output.Reset();
  RunFlags& run = context.run;
  Vec3& angles = context.director.cameraAngles;

  NoteRead(context, input.ReadFrom(source, angles));
  while (!input.IsEndMarker()) {
    if (context.options.fadeOut && run.exitTime != 0 && run.exitTime + 5.0f <= run.demoTime) break;
    const int sourceLength = input.length;
    ProcessBlock(context, input, output);
    if (output.length > 0 && KeepForFrameRate(context)) {
      // A block the original client could play stays playable after the
      // camera's messages are added to it.
      output.WriteSplitTo(result, angles, sourceLength <= kPlayableBlock ? kPlayableBlock : output.length);
    }
    NoteRead(context, input.ReadFrom(source, angles));
  }

  output.Reset();
  if (context.options.chainDemo) {
    output.BeginMessage();
    output.PutByte(svc_stufftext);
    output.PutString("playdemo " + context.options.chainName + "\n");
  }
  output.BeginMessage();
  output.PutByte(svc_disconnect);
  output.WriteTo(result, angles);
}

void Report(Context& context, Platform& platform) {
  const RefilmOptions& options = context.options;
  if (context.run.streamProblems) {
    platform.MessageBox("There were problems refilming " + options.sourceDemo + " to " + options.resultDemo +
                            ". However, the movie may be playable.",
                        "Done", MessageKind::Report);
  } else if (!options.autoRun) {
    platform.MessageBox(options.sourceDemo + " refilmed to " + options.resultDemo + " succesfully.", "Done",
                        MessageKind::Report);
  }
}

}  // namespace

bool FileExists(const std::string& name) {
  if (name.empty()) return false;
  std::ifstream file(name);
  return file.is_open();
}

RunOutcome RefilmDemo(Context& context, Platform& platform) {
  RunFlags& run = context.run;
  RefilmOptions& options = context.options;
  run.scriptEnded = false;
  run.streamProblems = false;
  run.lastWrittenTime = 0;
  run.lastBlockTime = 0;

  if (!CheckNames(options, platform)) return RunOutcome::Refused;
  const DemoSurvey survey = SurveyDemo(options.sourceDemo);
  if (!CheckProtocol(options, survey, platform)) return RunOutcome::Refused;

  run.refilming = false;
  if (options.generateScript && !GenerateScript(context, platform, options.sourceDemo, options.scriptFile)) {
    RefuseUnwritableScript(options, platform);
    return RunOutcome::Refused;
  }
  run.refilming = true;
  run.demoTime = 0;

  ReadScript(context);
  context.edits.cameraEntity = ChooseCameraEntity(survey.used);

  DemoInput sourceFile(options.sourceDemo);
  DemoOutput resultFile(options.resultDemo);
  std::ifstream& source = sourceFile.Stream();
  std::ofstream& result = resultFile.Stream();
  if (!result.is_open()) {
    RefuseUncreatableResult(options, platform);
    context.commands.RemoveAll();
    return RunOutcome::Refused;
  }
  SkipFirstLine(source);
  result.write(kResultFirstLine, 3);

  run.exitTime = 0;
  ResetDirector(context.director);
  context.edits.lastTimeShown = 0;
  for (float& value : context.edits.paletteLast) value = 0;
  StreamBlocks(context, source, result);
  result.flush();
  if (!result) run.streamProblems = true;  // the disk refused part of the result

  Report(context, platform);
  source.close();
  result.close();
  if (options.playWhenDone && !options.autoRun) platform.RunCommand("play " + options.resultDemo);
  context.commands.RemoveAll();
  return run.streamProblems ? RunOutcome::DoneWithProblems : RunOutcome::Done;
}

}  // namespace cw
