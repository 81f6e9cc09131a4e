#include "run/refilm_run.h"

#include <algorithm>
#include <exception>
#include <filesystem>
#include <memory>
#include <new>
#include <optional>
#include <sstream>

#include "autogen/disposition.h"
#include "autogen/generator.h"
#include "base/protocol.h"
#include "camera/director.h"
#include "camera/script_parser.h"
#include "refilm/demo_survey.h"
#include "refilm/message_loop.h"
#include "refilm/run_watcher.h"
#include "run/context.h"
#include "run/platform.h"
#include "run/run_checks.h"
#include "stream/block.h"
#include "stream/demo_files.h"
#include "stream/demo_walk.h"

namespace cw {
namespace {

constexpr const char* kResultFirstLine = "-1\n";

// While it lives, the refilm step has `what` (the script feed, a watcher)
// in `slot`; it goes with it, however the run ends.
template <typename T>
class Attached {
 public:
  Attached(T*& contextSlot, T* what) : slot(contextSlot) { slot = what; }
  ~Attached() { slot = nullptr; }
  Attached(const Attached&) = delete;
  Attached& operator=(const Attached&) = delete;

 private:
  T*& slot;
};

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

// How far the run is through its reads of the source, for the platform: the
// survey, the generator's when it generates, and the refilm, one share each.
class ReadProgress {
 public:
  ReadProgress(Platform& owner, const std::string& source, int passes) : platform(owner), shares(passes) {
    std::error_code error;
    const std::uintmax_t bytes = std::filesystem::file_size(source, error);
    if (!error) size = static_cast<double>(bytes);
  }

  void StartPass(int pass) { current = pass; }

  void At(std::streamoff bytesRead) {
    if (size <= 0 || bytesRead < 0) return;
    const double read = std::min(1.0, static_cast<double>(bytesRead) / size);
    platform.Progress((current + read) / shares);
  }

 private:
  Platform& platform;
  double shares;
  double size = 0;
  int current = 0;
};

// What a walk through the source tells the platform: how far it came; and
// whether to go on.
KeepWalking KeepGoing(Platform& platform, ReadProgress& progress) {
  return [&platform, &progress](std::streamoff bytesRead) {
    progress.At(bytesRead);
    return !platform.StopRequested();
  };
}

// Whether the result is complete: the fade-out after the exit of the
// demo's last level has reached black.
bool FadedOut(const Context& context, int levels) {
  const RunFlags& run = context.run;
  return context.options.fadeOut && run.exitTime != 0 && run.exitTime + 5.0f <= run.demoTime &&
         context.parser.levelsSeen >= levels;
}

// False when the platform asked for a stop. A watcher sees each block once
// its step is done.
bool StreamBlocks(Context& context, DemoWalk& walk, std::ostream& result, int levels) {
  CBlock input;
  CBlock output;
  output.Reset();
  RunFlags& run = context.run;
  // The walk puts each source block's angles there, for the camera to start
  // from.
  const Vec3& angles = context.director.cameraAngles;
  while (walk.Next(input) && !FadedOut(context, levels)) {
    const int sourceLength = input.Length();
    ProcessBlock(context, input, output);
    if (context.watcher != nullptr) context.watcher->BlockDone(context);
    if (output.Length() > 0 && KeepForFrameRate(context)) {
      // A block the original client could play stays playable after the
      // camera's messages are added to it; none grows past what any engine
      // plays.
      const int limit = sourceLength <= kPlayableBlock ? kPlayableBlock : kMaxResultBlock;
      if (!output.WriteSplitTo(result, angles, limit)) run.streamProblems = true;
    }
  }
  if (walk.End() == WalkEnd::Stopped) return false;
  if (walk.Damaged()) run.streamProblems = true;

  output.Reset();
  if (context.options.chainDemo) {
    output.BeginMessage();
    output.PutByte(svc_stufftext);
    output.PutString("playdemo " + context.options.chainName + "\n");
  }
  output.BeginMessage();
  output.PutByte(svc_disconnect);
  output.WriteTo(result, angles);
  return true;
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

// The zone file of the demo's map when a script is generated: empty when
// the demo names no map.
std::string ZoneFileName(const RefilmOptions& options, const DemoSurvey& survey) {
  if (!options.generateScript || survey.protocol == 0) return {};
  return DispositionFileName(survey.worldModel);
}

// Generates the script into `text`, from the zone file when there is one.
// False when the platform asked for a stop.
bool Generate(Context& context, Platform& platform, ReadProgress& progress, const std::string& zoneName,
              std::string& text) {
  std::unique_ptr<InputFile> zoneFile;
  if (FileExists(zoneName)) zoneFile = std::make_unique<InputFile>(zoneName);
  const bool withZones = zoneFile != nullptr && zoneFile->IsOpen();
  if (!zoneName.empty() && !withZones) platform.MessageBox(kNoZoneFileText, "Warning", MessageKind::Error);
  InputFile demo(context.options.sourceDemo);
  std::ostringstream script;
  const bool finished =
      GenerateScript(context, context.generator, context.zones, demo.Stream(),
                     withZones ? &zoneFile->Stream() : nullptr, script, KeepGoing(platform, progress));
  text = script.str();
  return finished;
}

RunOutcome Stopped(Context& context) {
  context.commands.RemoveAll();
  return RunOutcome::Stopped;
}

// A refilm, or with a watcher a preview: the same run that writes nothing,
// neither the result nor a generated script.
RunOutcome RefilmOrPreview(Context& context, Platform& platform, RunWatcher* watcher) {
  const bool writes = watcher == nullptr;
  RunFlags& run = context.run;
  RefilmOptions& options = context.options;
  run.scriptEnded = false;
  run.streamProblems = false;
  run.lastWrittenTime = 0;
  run.lastBlockTime = 0;

  if (!CheckNames(options, platform)) return RunOutcome::Refused;
  ReadProgress progress(platform, options.sourceDemo, options.generateScript ? 3 : 2);
  const DemoSurvey survey = SurveyDemo(options.sourceDemo, KeepGoing(platform, progress));
  if (survey.stopped) return Stopped(context);
  if (!CheckProtocol(options, survey, platform)) return RunOutcome::Refused;
  const int cameraEntity = ChooseCameraEntity(survey.used);
  if (!CheckCameraEntity(options, cameraEntity, platform)) return RunOutcome::Refused;
  const std::string zoneName = ZoneFileName(options, survey);
  if (!zoneName.empty() && !CheckZoneFile(options, zoneName, platform)) return RunOutcome::Refused;

  // A generated script is kept in memory and refilmed from there, so that
  // nothing another program does to the file meanwhile changes this run; the
  // file itself is replaced only when the whole run has succeeded.
  run.refilming = false;
  run.filming = false;
  // Trajectories start afresh: a result never depends on an earlier run.
  context.entities.ClearTracks();
  context.pruning.lows = survey.clockLows;
  context.pruning.playerBound = survey.clockBeforePlayer;
  ReplacingFile scriptFile;
  std::string scriptText;
  if (options.generateScript) {
    if (writes && !scriptFile.Create(options.scriptFile)) {
      RefuseUnwritableScript(options, platform);
      return RunOutcome::Refused;
    }
    progress.StartPass(1);
    StartPruning(context, TrackPruning::Mode::Generation);
    if (!Generate(context, platform, progress, zoneName, scriptText)) return Stopped(context);
    scriptFile.Stream().write(scriptText.data(), static_cast<std::streamsize>(scriptText.size()));
    if (writes && !scriptFile.Finish()) {
      RefuseFailedScriptWrite(options, scriptFile.Error(), platform);
      return RunOutcome::Refused;
    }
  }
  run.refilming = true;
  run.filming = true;
  run.demoTime = 0;
  context.stream.ResetProtocol();
  context.parser.levelsSeen = 0;
  // The exit times come from the generation's read of the demo.
  if (!options.generateScript) context.parser.levelExitTimes.clear();

  // A script that cannot be read is an empty script, as an empty file is.
  // A generated one is read from memory.
  InputFile scriptSource(options.generateScript ? std::string() : options.scriptFile);
  std::istringstream generatedScript(scriptText);
  context.entities.ClearReferences();
  ScriptFeed feed(options.generateScript ? generatedScript : scriptSource.Stream(), context.commands, context.entities);
  // The preview looks at the whole script at once.
  const bool whole = watcher != nullptr || context.readScriptWhole;
  if (whole) feed.ReadAll();
  const Attached<ScriptFeed> feeding(context.scriptFeed, whole ? nullptr : &feed);
  const Attached<RunWatcher> watching(context.watcher, watcher);
  context.pruning.maxLag = feed.LongestLag();
  StartPruning(context, TrackPruning::Mode::Refilm);
  context.edits.cameraEntity = cameraEntity;
  if (watcher != nullptr) watcher->ScriptRead(context);

  InputFile source(options.sourceDemo);
  ReplacingFile result;
  if (writes && !result.Create(options.resultDemo)) {
    RefuseUncreatableResult(options, platform);
    context.commands.RemoveAll();
    return RunOutcome::Refused;
  }
  DemoWalk walk(source, context.director.cameraAngles, KeepGoing(platform, progress));
  result.Stream().write(kResultFirstLine, 3);

  run.exitTime = 0;
  ResetDirector(context.director);
  context.edits.lastTimeShown = 0;
  for (float& value : context.edits.paletteLast) value = 0;
  progress.StartPass(options.generateScript ? 2 : 1);
  const bool streamed = StreamBlocks(context, walk, result.Stream(), survey.levels);
  run.filming = false;
  if (!streamed) return Stopped(context);

  if (platform.StopRequested()) return Stopped(context);
  if (!writes) {
    context.commands.RemoveAll();
    return run.streamProblems ? RunOutcome::DoneWithProblems : RunOutcome::Done;
  }
  if (!result.Finish()) {
    RefuseFailedResultWrite(options, result.Error(), platform);
    context.commands.RemoveAll();
    return RunOutcome::Refused;
  }
  if (options.generateScript && !scriptFile.Commit()) {
    RefuseFailedScriptWrite(options, scriptFile.Error(), platform);
    context.commands.RemoveAll();
    return RunOutcome::Refused;
  }
  if (!result.Commit()) {
    RefuseFailedResultWrite(options, result.Error(), platform);
    context.commands.RemoveAll();
    return RunOutcome::Refused;
  }

  Report(context, platform);
  if (options.autoRun ? options.playAfterAutoRun : options.playWhenDone) {
    platform.RunCommand("play " + options.resultDemo);
  }
  context.commands.RemoveAll();
  return run.streamProblems ? RunOutcome::DoneWithProblems : RunOutcome::Done;
}

// Anything that escapes a run (a lack of memory, say) turned into an
// "Error" message and a refusal.
RunOutcome RunSafely(Context& context, Platform& platform, RunWatcher* watcher) {
  const char* text = "The refilm stopped on an unexpected failure.";
  try {
    return RefilmOrPreview(context, platform, watcher);
  } catch (const std::bad_alloc&) {
    text = "There is not enough memory to refilm this demo.";
  } catch (...) {
  }
  context.commands.RemoveAll();
  platform.MessageBox(text, "Error", MessageKind::Error);
  return RunOutcome::Refused;
}

}  // namespace

RunOutcome RefilmDemo(Context& context, Platform& platform) { return RefilmOrPreview(context, platform, nullptr); }

RunOutcome PreviewDemo(Context& context, Platform& platform, RunWatcher& watcher) {
  return RunSafely(context, platform, &watcher);
}

RefilmSession::RefilmSession() : context(std::make_unique<Context>()) {}

RefilmSession::~RefilmSession() = default;

RunOutcome RefilmSession::Run(RefilmOptions& options, Platform& platform) {
  context->options = options;
  const RunOutcome outcome = RefilmDemoSafely(*context, platform);
  options = context->options;
  return outcome;
}

RunOutcome RefilmDemoSafely(Context& context, Platform& platform) { return RunSafely(context, platform, nullptr); }

}  // namespace cw
