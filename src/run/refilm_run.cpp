#include "run/refilm_run.h"

#include <algorithm>
#include <exception>
#include <filesystem>
#include <memory>
#include <new>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "autogen/disposition.h"
#include "autogen/generator.h"
#include "autogen/script_mark.h"
#include "base/protocol.h"
#include "refilm/demo_survey.h"
#include "refilm/message_loop.h"
#include "refilm/run_watcher.h"
#include "run/context.h"
#include "run/frame_thinning.h"
#include "run/platform.h"
#include "run/play_result.h"
#include "run/result_video.h"
#include "run/run_checks.h"
#include "run/run_notes.h"
#include "stream/block.h"
#include "stream/demo_files.h"
#include "stream/demo_walk.h"

namespace cw {
namespace {

constexpr const char* kResultFirstLine = "-1\n";

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
  // A pass that tells its own share done, from 0 to 1.
  void Share(double done) { platform.Progress((current + std::clamp(done, 0.0, 1.0)) / shares); }

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
  FrameThinning thinning;
  RunFlags& run = context.run;
  // The walk puts each source block's angles there, for the camera to start from.
  const Vec3& angles = context.director.cameraAngles;
  while (walk.Next(input) && !FadedOut(context, levels)) {
    const int sourceLength = input.Length();
    ProcessBlock(context, input, output);
    if (context.watcher != nullptr) context.watcher->BlockDone(context);
    if (output.Length() == 0) continue;
    // A block the original client could play stays playable after the
    // camera's messages are added to it; none grows past what any engine plays.
    const int limit = sourceLength <= kPlayableBlock ? kPlayableBlock : kMaxResultBlock;
    if (!FrameThinning::Keep(context.options, run)) {
      thinning.Drop(output, run.damagedFrom, limit);
    } else if (!thinning.Write(output, result, angles, limit)) {
      run.streamProblems = true;
    }
  }
  if (walk.End() == WalkEnd::Stopped) return false;
  if (walk.Damaged()) run.streamProblems = true;
  if (!thinning.Flush(result, angles)) run.streamProblems = true;

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

// The end of a run that wrote its result (or, for a preview, drew it). A
// run of the dialog's button reports, and tells its notes in the report; a
// run started with names reports only problems, and tells each note as a
// warning of its own (on the terminal, a line on standard error). `video`:
// the name of the result's video when one was made.
void ReportDone(Context& context, Platform& platform, const std::vector<std::string>& notes, bool wrote,
                const std::string& video) {
  const RefilmOptions& options = context.options;
  const std::string made = video.empty() ? std::string() : " Its video is " + video + ".";
  std::string report;
  if (wrote && context.run.streamProblems) {
    report = "There were problems refilming " + options.sourceDemo + " to " + options.resultDemo +
             ". However, the movie may be playable." + made;
  } else if (wrote && !options.autoRun) {
    report = options.sourceDemo + " refilmed to " + options.resultDemo + " succesfully." + made;
  }
  for (const std::string& note : notes) {
    if (!report.empty() && !options.autoRun) {
      report += "\n\n" + note;
    } else {
      platform.MessageBox(note, "Warning", MessageKind::Error);
    }
  }
  if (!report.empty()) platform.MessageBox(report, "Done", MessageKind::Report);
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
                                      &RefilmRun::Commit,        &RefilmRun::Video,         &RefilmRun::Report,
                                      &RefilmRun::Play};
    StartRun(context);
    context.videoFailed = false;
    for (const Step step : kSteps) {
      if (const std::optional<RunOutcome> outcome = (this->*step)()) return *outcome;
    }
    return Outcome();
  }

 private:
  bool Writes() const { return watcher == nullptr; }
  bool MakesVideo() const { return Writes() && options.makeVideo; }
  int Passes() const { return (options.generateScript ? 3 : 2) + (MakesVideo() ? 1 : 0); }
  RunOutcome Outcome() const { return context.run.streamProblems ? RunOutcome::DoneWithProblems : RunOutcome::Done; }

  std::optional<RunOutcome> CheckTheNames() {
    if (!CheckNames(options, platform)) return RunOutcome::Refused;
    return {};
  }

  std::optional<RunOutcome> Survey() {
    progress.Begin(options.sourceDemo, Passes());
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
    // Last, so that a destination naming an input is told as such.
    if (Writes() && !CheckDestination(options, platform)) return RunOutcome::Refused;
    context.edits.cameraEntity = cameraEntity;
    context.pruning.lows = survey.clockLows;
    context.pruning.playerBound = survey.clockBeforePlayer;
    return {};
  }

  // A generated script is kept in memory and refilmed from there, so that
  // nothing another program does to the file meanwhile changes this run; the
  // file itself is written and put in place only when the whole run has
  // succeeded, so that no temporary file stands while a message is shown.
  std::optional<RunOutcome> Generate() {
    if (!options.generateScript) return {};
    // A script that could never be written is refused before the passes.
    if (Writes() && !scriptFile.Create(options.scriptFile)) {
      RefuseUnwritableScript(options, platform);
      return RunOutcome::Refused;
    }
    scriptFile.Discard();
    progress.StartPass(1);
    if (!GenerateInto(context, platform, progress, zoneName, scriptText)) return RunOutcome::Stopped;
    // The demo's file name alone: the script's bytes do not depend on the folder.
    scriptText = MarkGeneratedScript(std::filesystem::path(options.sourceDemo).filename().string(), scriptText);
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
    if (!options.quiet) NoteScriptMistakes();
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

  // The checker reads the script a second time, as `check` would: a
  // script is small.
  void NoteScriptMistakes() {
    std::string text = scriptText;
    int error = 0;
    if (!options.generateScript && !ReadWholeFile(options.scriptFile, text, error)) return;
    if (std::string note = ScriptMistakesNote(options.scriptFile, text); !note.empty()) notes.push_back(note);
  }

  // The result, and a generated script, replace what their names held only
  // once both are complete. Before any refusal here the temporary files go.
  std::optional<RunOutcome> Commit() {
    if (platform.StopRequested()) return RunOutcome::Stopped;
    if (!Writes()) return {};
    if (!result.Finish()) {
      result.Discard();
      RefuseFailedResultWrite(options, result.Error(), platform);
      return RunOutcome::Refused;
    }
    if (options.generateScript && !CommitScript()) {
      result.Discard();
      return RunOutcome::Refused;
    }
    if (!result.Commit()) {
      result.Discard();
      RefuseFailedResultWrite(options, result.Error(), platform);
      return RunOutcome::Refused;
    }
    return {};
  }

  // Writes the generated script in place. A script the generator did not
  // write, or that was edited since, is kept under the name with a "~"
  // added (an older file of that name goes), and the report says so.
  bool CommitScript() {
    const std::string& name = options.scriptFile;
    bool written = scriptFile.Create(name);
    if (written) {
      scriptFile.Stream().write(scriptText.data(), static_cast<std::streamsize>(scriptText.size()));
      written = scriptFile.Finish();
    }
    if (!written) {
      scriptFile.Discard();
      RefuseFailedScriptWrite(options, scriptFile.Error(), platform);
      return false;
    }
    std::string old;
    int error = 0;
    if (KindOf(name) == FileKind::Regular && !(ReadWholeFile(name, old, error) && IsUneditedGeneratedScript(old))) {
      const std::string backup = name + "~";
      if (!RenameOver(name, backup, error)) {
        scriptFile.Discard();
        RefuseUnkeptScript(options, backup, error, platform);
        return false;
      }
      notes.push_back(KeptScriptNote(name, backup));
    }
    if (!scriptFile.Commit()) {
      scriptFile.Discard();
      RefuseFailedScriptWrite(options, scriptFile.Error(), platform);
      return false;
    }
    return true;
  }

  // A failed video is told in its own "Error"; the result stays as it is.
  std::optional<RunOutcome> Video() {
    if (!MakesVideo()) return {};
    progress.StartPass(options.generateScript ? 3 : 2);
    context.videoFailed = !MakeResultVideo(
        options, platform, [this](double done) { progress.Share(done); }, videoName);
    return {};
  }

  std::optional<RunOutcome> Report() {
    ReportDone(context, platform, notes, Writes(), videoName);
    return {};
  }

  // An interrupt during the video leaves the result as it is, and plays nothing.
  std::optional<RunOutcome> Play() {
    if (!Writes()) return {};
    const bool play = options.autoRun ? options.playAfterAutoRun : options.playWhenDone;
    if (play && !platform.StopRequested()) PlayResult(options, platform);
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
  std::vector<std::string> notes;  // told with the report
  std::string videoName;
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
