#pragma once
// The scratch folder of a fuzz target that hands its inputs to the program as
// files: made at start with a busy script in it, removed at exit.

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>

#include "busy_run.h"

namespace cw::fuzz {

inline const std::filesystem::path& WorkDir() {
  static const std::filesystem::path dir = [] {
    std::filesystem::path made =
        std::filesystem::temp_directory_path() / ("camwright-fuzz-" + std::to_string(getpid()));
    std::filesystem::create_directories(made);
    return made;
  }();
  return dir;
}

inline void RemoveWorkDir() {
  std::error_code ignored;
  std::filesystem::remove_all(WorkDir(), ignored);
}

// The removal is registered after the folder's path is made, so that it runs
// while the path still exists.
inline void MakeWorkDir() {
  std::ofstream script(WorkDir() / "busy.cam");
  script << test::BusyScript(30.0f, 3);
  std::atexit(RemoveWorkDir);
}

inline void WriteInput(const char* name, const std::uint8_t* data, std::size_t size) {
  std::ofstream out(WorkDir() / name, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}

}  // namespace cw::fuzz
