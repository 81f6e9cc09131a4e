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
  explicit ReadProgress(Platform& owner) : platform(owner) {}

  void Begin(const std::string& source, int passes) {
    shares = passes;
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
  double shares = 1;
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
  // The walk puts each source block's angles there, for the camera to start from.
  const Vec3& angles = context.director.cameraAngles;
  while (walk.Next(input) && !FadedOut(context, levels)) {
    const int sourceLength = input.Length();
    ProcessBlock(context, input, output);
    if (context.watcher != nullptr) context.watcher->BlockDone(context);
    if (output.Length() > 0 && KeepForFrameRate(context)) {
      // A block the original client could play stays playable after the
      // camera's messages are added to it; none grows past what any engine plays.
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

void ReportDone(Context& context, Platform& platform) {
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
bool GenerateInto(Context& context, Platform& platform, ReadProgress& progress, const std::string& zoneName,
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

// A run: a refilm, or with a watcher a preview, the same run that writes
// nothing, neither the result nor a generated script. Its steps go one after
// the other; each may end the run with its outcome. Every stage's state
// starts afresh with the run and with each pass, so that no step has
// anything to clean up after it.
class RefilmRun {
 public:
  RefilmRun(Context& step, Platform& owner, RunWatcher* runWatcher)
      : context(step), options(step.options), platform(owner), watcher(runWatcher), progress(owner) {}
  // The step keeps nothing of this run: the script feed goes with it.
  ~RefilmRun() {
    context.scriptFeed = nullptr;
    context.watcher = nullptr;
  }
  RefilmRun(const RefilmRun&) = delete;
  RefilmRun& operator=(const RefilmRun&) = delete;

  RunOutcome Go() {
    using Step = std::optional<RunOutcome> (RefilmRun::*)();
    static constexpr Step kSteps[] = {&RefilmRun::CheckTheNames, &RefilmRun::Survey,        &RefilmRun::CheckTheDemo,
                                      &RefilmRun::Generate,      &RefilmRun::ReadTheScript, &RefilmRun::Stream,
                                      &RefilmRun::Commit,        &RefilmRun::Report,        &RefilmRun::Play};
    StartRun(context);
    for (const Step step : kSteps) {
      if (const std::optional<RunOutcome> outcome = (this->*step)()) return *outcome;
    }
    return Outcome();
  }

 private:
  bool Writes() const { return watcher == nullptr; }
  RunOutcome Outcome() const { return context.run.streamProblems ? RunOutcome::DoneWithProblems : RunOutcome::Done; }

  std::optional<RunOutcome> CheckTheNames() {
    if (!CheckNames(options, platform)) return RunOutcome::Refused;
    return {};
  }

  std::optional<RunOutcome> Survey() {
    progress.Begin(options.sourceDemo, options.generateScript ? 3 : 2);
    survey = SurveyDemo(options.sourceDemo, KeepGoing(platform, progress));
    if (survey.stopped) return RunOutcome::Stopped;
    return {};
  }

  std::optional<RunOutcome> CheckTheDemo() {
    if (!CheckProtocol(options, survey, platform)) return RunOutcome::Refused;
    const int cameraEntity = ChooseCameraEntity(survey.used);
    if (!CheckCameraEntity(options, cameraEntity, platform)) return RunOutcome::Refused;
    zoneName = ZoneFileName(options, survey);
    if (!zoneName.empty() && !CheckZoneFile(options, zoneName, platform)) return RunOutcome::Refused;
    if (options.keepInMap && !CheckGameData(context, survey.worldModel, platform)) return RunOutcome::Refused;
    context.edits.cameraEntity = cameraEntity;
    context.pruning.lows = survey.clockLows;
    context.pruning.playerBound = survey.clockBeforePlayer;
    return {};
  }

  // A generated script is kept in memory and refilmed from there, so that
  // nothing another program does to the file meanwhile changes this run; the
  // file itself is replaced only when the whole run has succeeded.
  std::optional<RunOutcome> Generate() {
    if (!options.generateScript) return {};
    if (Writes() && !scriptFile.Create(options.scriptFile)) {
      RefuseUnwritableScript(options, platform);
      return RunOutcome::Refused;
    }
    progress.StartPass(1);
    if (!GenerateInto(context, platform, progress, zoneName, scriptText)) return RunOutcome::Stopped;
    scriptFile.Stream().write(scriptText.data(), static_cast<std::streamsize>(scriptText.size()));
    if (Writes() && !scriptFile.Finish()) {
      RefuseFailedScriptWrite(options, scriptFile.Error(), platform);
      return RunOutcome::Refused;
    }
    return {};
  }

  // A script that cannot be read is an empty script, as an empty file is.
  // A generated one is read from memory.
  std::optional<RunOutcome> ReadTheScript() {
    StartPass(context, Pass::Refilm);
    std::istream* script = &generatedScript;
    if (options.generateScript) {
      generatedScript.str(scriptText);
    } else {
      script = &scriptSource.emplace(options.scriptFile).Stream();
    }
    ScriptFeed& feed = scriptFeed.emplace(*script, context.commands, context.entities);
    // The preview looks at the whole script at once.
    if (!Writes() || context.readScriptWhole) {
      feed.ReadAll();
    } else {
      context.scriptFeed = &feed;
    }
    context.pruning.maxLag = feed.LongestLag();
    context.watcher = watcher;
    if (watcher != nullptr) watcher->ScriptRead(context);
    return {};
  }

  std::optional<RunOutcome> Stream() {
    InputFile source(options.sourceDemo);
    if (Writes() && !result.Create(options.resultDemo)) {
      RefuseUncreatableResult(options, platform);
      return RunOutcome::Refused;
    }
    DemoWalk walk(source, context.director.cameraAngles, KeepGoing(platform, progress));
    result.Stream().write(kResultFirstLine, 3);
    progress.StartPass(options.generateScript ? 2 : 1);
    if (!StreamBlocks(context, walk, result.Stream(), survey.levels)) return RunOutcome::Stopped;
    return {};
  }

  // The result, and a generated script, replace what their names held only
  // once both are complete.
  std::optional<RunOutcome> Commit() {
    if (platform.StopRequested()) return RunOutcome::Stopped;
    if (!Writes()) return Outcome();
    if (!result.Finish()) {
      RefuseFailedResultWrite(options, result.Error(), platform);
      return RunOutcome::Refused;
    }
    if (options.generateScript && !scriptFile.Commit()) {
      RefuseFailedScriptWrite(options, scriptFile.Error(), platform);
      return RunOutcome::Refused;
    }
    if (!result.Commit()) {
      RefuseFailedResultWrite(options, result.Error(), platform);
      return RunOutcome::Refused;
    }
    return {};
  }

  std::optional<RunOutcome> Report() {
    ReportDone(context, platform);
    return {};
  }

  std::optional<RunOutcome> Play() {
    if (options.autoRun ? options.playAfterAutoRun : options.playWhenDone) {
      platform.RunCommand("play " + options.resultDemo);
    }
    return {};
  }

  Context& context;
  RefilmOptions& options;
  Platform& platform;
  RunWatcher* watcher;
  ReadProgress progress;
  DemoSurvey survey;
  std::string zoneName;
  ReplacingFile scriptFile;
  std::string scriptText;
  std::istringstream generatedScript;
  std::optional<InputFile> scriptSource;
  std::optional<ScriptFeed> scriptFeed;
  ReplacingFile result;
};

// Anything that escapes a run (a lack of memory, say) turned into an
// "Error" message and a refusal.
RunOutcome RunSafely(Context& context, Platform& platform, RunWatcher* watcher) {
  const char* text = "The refilm stopped on an unexpected failure.";
  try {
    return RefilmRun(context, platform, watcher).Go();
  } catch (const std::bad_alloc&) {
    text = "There is not enough memory to refilm this demo.";
  } catch (...) {
  }
  platform.MessageBox(text, "Error", MessageKind::Error);
  return RunOutcome::Refused;
}

}  // namespace

RunOutcome RefilmDemo(Context& context, Platform& platform) { return RefilmRun(context, platform, nullptr).Go(); }

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
