#include "map/game_folder.h"

#include <filesystem>
#include <fstream>

namespace cw {
namespace {

constexpr int kPakFilesLooked = 10;  // pak0.pak to pak9.pak

// Whether `path` is a regular file, found without opening it: opening a
// pipe would wait for a writer.
bool IsRegularFile(const std::string& path) {
  std::error_code error;
  return std::filesystem::is_regular_file(path, error);
}

bool IsDirectory(const std::string& path) {
  std::error_code error;
  return std::filesystem::is_directory(path, error);
}

// The whole of a loose file, its size held against `maxBytes` before a byte
// is read, and no more than that size read.
bool ReadLooseFile(const std::string& path, std::uint64_t maxBytes, GameFile& file) {
  std::error_code sizeError;
  const std::uintmax_t size = std::filesystem::file_size(path, sizeError);
  if (sizeError) {
    file.error = path + ": " + sizeError.message();
    return false;
  }
  if (size > maxBytes) {
    file.error = path + ": the file holds " + std::to_string(size) + " bytes, more than the " +
                 std::to_string(maxBytes) + " of any game file: it is not read";
    return false;
  }
  std::ifstream in(path, std::ios::binary);
  file.bytes.resize(static_cast<std::size_t>(size));
  in.read(reinterpret_cast<char*>(file.bytes.data()), static_cast<std::streamsize>(size));
  if (!in || static_cast<std::uintmax_t>(in.gcount()) != size) {
    file.error = path + ": the file cannot be read";
    file.bytes.clear();
    return false;
  }
  return true;
}

}  // namespace

std::string NameLeavingGameFolder(const std::string& name) {
  if (name.empty()) return "an empty name names no file of the game";
  const std::string quoted = "the name \"" + name + "\"";
  if (name.front() == '/' || name.front() == '\\') return quoted + " is absolute: it is not looked up";
  std::size_t start = 0;
  while (start <= name.size()) {
    std::size_t end = name.find_first_of("/\\", start);
    if (end == std::string::npos) end = name.size();
    if (name.compare(start, end - start, "..") == 0) {
      return quoted + " reaches outside the game folder: it is not looked up";
    }
    start = end + 1;
  }
  return "";
}

GameFile FindGameFile(const std::string& quakeDir, const std::string& name, std::uint64_t maxBytes) {
  GameFile file;
  file.error = NameLeavingGameFolder(name);
  if (!file.error.empty()) return file;
  const std::string id1 = quakeDir + "/id1";
  const std::string folder = IsDirectory(id1) ? id1 : quakeDir;
  for (int number = kPakFilesLooked - 1; number >= 0; --number) {
    const std::string pak = folder + "/pak" + std::to_string(number) + ".pak";
    if (!IsRegularFile(pak)) continue;
    std::string error;
    switch (ReadPakEntry(pak, name, file.bytes, error, maxBytes)) {
      case PakLookup::Found:
        file.found = true;
        file.where = pak;
        return file;
      case PakLookup::Damaged:
        if (file.error.empty()) file.error = error;
        break;
      case PakLookup::Missing:
        break;
    }
  }
  const std::string loose = folder + "/" + name;
  if (IsRegularFile(loose)) {
    if (!ReadLooseFile(loose, maxBytes, file)) return file;
    file.found = true;
    file.where = loose;
    return file;
  }
  if (file.error.empty()) file.error = "no " + name + " in " + folder + ", in its pak files or as a file";
  return file;
}

}  // namespace cw
