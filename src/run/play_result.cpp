#include "run/play_result.h"

#include "film/engine_play.h"
#include "film/film_setup.h"
#include "refilm/options.h"
#include "run/platform.h"

namespace cw {

namespace {
constexpr const char* kCaption = "Play when done";
}  // namespace

void PlayResult(const RefilmOptions& options, Platform& platform) {
  if (platform.FindsProgram("play")) {
    platform.RunCommand("play " + options.resultDemo);
    return;
  }
  const Environment environment = ProcessEnvironment();
  const Found engine = FindEngine(options.engineProgram, environment);
  const Found game = FindGameData(options.gameFolder, environment);
  Programs* programs = platform.ProgramRunner();
  std::string missing;
  if (!engine.problem.empty()) {
    missing = engine.problem;
  } else if (!game.problem.empty()) {
    missing = game.problem;
  } else if (!HasDisplay(environment)) {
    missing = "There is no display to play it on.";
  } else if (programs == nullptr) {
    missing = "This program cannot start an engine.";
  }
  if (!missing.empty()) {
    platform.MessageBox("Nothing can play " + options.resultDemo +
                            ": there is no program called play in the current directory or on the search path. " +
                            missing,
                        kCaption, MessageKind::Error);
    return;
  }
  std::string error;
  if (!PlayInEngine(
          {options.resultDemo, engine.path, game.path}, *programs, [&platform] { return platform.StopRequested(); },
          error)) {
    platform.MessageBox(error, kCaption, MessageKind::Error);
  }
}

}  // namespace cw
