#include "film/film_folder.h"

#include <cstdlib>
#include <filesystem>
#include <random>

namespace cw {
namespace {

namespace fs = std::filesystem;

std::string RandomName() {
  std::random_device source;
  std::string name = "camwright-film-";
  for (int i = 0; i < 10; ++i) name += "0123456789abcdefghijklmnopqrstuvwxyz"[source() % 36];
  return name;
}

// The hidden folders of the user's home that hold a folder `game`.
std::vector<std::string> HomePlaces(const std::string& game) {
  std::vector<std::string> places;
  const char* home = std::getenv("HOME");
  if (home == nullptr || *home == '\0' || game.empty()) return places;
  std::error_code error;
  for (fs::directory_iterator entry(home, error), end; !error && entry != end; entry.increment(error)) {
    const std::string name = entry->path().filename().string();
    if (name.size() < 2 || name[0] != '.') continue;
    const fs::path place = entry->path() / game;
    std::error_code missing;
    if (fs::is_directory(fs::symlink_status(place, missing))) places.push_back(place.string());
  }
  return places;
}

}  // namespace

FilmFolder::~FilmFolder() { Remove(); }

bool FilmFolder::Make(const std::string& id1, std::string& error) {
  Remove();
  std::error_code failure;
  const fs::path temporary = fs::temp_directory_path(failure);
  if (failure) {
    error = "there is no folder for temporary files: " + failure.message();
    return false;
  }
  for (int attempt = 0; attempt < 10; ++attempt) {
    const std::string name = RandomName();
    const fs::path base = temporary / name;
    if (!fs::create_directory(base, failure)) {
      if (failure) break;
      continue;  // taken
    }
    base_ = base.string();
    game_ = name;
    fs::create_directory_symlink(fs::absolute(id1, failure), base / "id1", failure);
    if (!failure) fs::create_directory(base / name, failure);
    if (failure) break;
    return true;
  }
  error = "a folder for the film cannot be made in " + temporary.string() +
          (failure ? ": " + failure.message() : std::string());
  Remove();
  return false;
}

std::vector<std::string> FilmFolder::WritePlaces() const {
  std::vector<std::string> places = {GamePath()};
  for (const std::string& place : HomePlaces(game_)) places.push_back(place);
  return places;
}

void FilmFolder::Remove() {
  if (base_.empty()) return;
  std::error_code ignored;
  // The link to the game's id1 goes, never what it points to.
  for (const std::string& place : HomePlaces(game_)) fs::remove_all(place, ignored);
  fs::remove_all(base_, ignored);
  base_.clear();
  game_.clear();
}

}  // namespace cw
