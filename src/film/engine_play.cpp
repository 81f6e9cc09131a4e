#include "film/engine_play.h"

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <thread>

#include "film/engine_film.h"
#include "film/film_folder.h"

namespace cw {

bool PlayInEngine(const PlaySettings& settings, Programs& programs, const std::function<bool()>& stopRequested,
                  std::string& error) {
  FilmFolder folder;
  std::string why;
  if (!folder.Make(settings.id1, why)) {
    error = "The demo cannot be prepared for the engine: " + why + ".";
    return false;
  }
  // The engine reads the name from its own command line, where a space would end it.
  std::error_code failure;
  std::filesystem::copy_file(settings.demo, folder.GamePath() + "/result.dem", failure);
  if (failure) {
    error = "The demo \"" + settings.demo + "\" cannot be copied for the engine: " + failure.message() + ".";
    return false;
  }
  ProgramStart start;
  start.arguments = {settings.engine, "-basedir", folder.Base(), "-game", folder.Game(), "+playdemo", "result"};
  start.folder = folder.Base();
  start.outputFile = folder.Base() + "/engine.log";
  const std::unique_ptr<RunningProgram> engine = programs.Start(start, why);
  if (engine == nullptr) {
    error = "The engine \"" + settings.engine + "\" cannot be started: " + why + ".";
    return false;
  }
  std::optional<int> status;
  while (!(status = engine->Ended())) {
    if (stopRequested()) {
      engine->Stop();
      return true;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  std::ifstream log(folder.Base() + "/engine.log", std::ios::binary);
  const std::string text((std::istreambuf_iterator<char>(log)), std::istreambuf_iterator<char>());
  const std::string failed = EngineFailure(text);
  if (!failed.empty()) {
    error = "The engine \"" + settings.engine + "\" stopped: " + failed;
    return false;
  }
  if (*status != 0) {
    error = "The engine \"" + settings.engine + "\" ended with exit status " + std::to_string(*status) + ".";
    return false;
  }
  return true;
}

}  // namespace cw
