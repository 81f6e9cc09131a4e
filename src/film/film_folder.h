#pragma once
// The folders an engine plays a film in, made for it and removed with it
// however the film ends. A base folder whose id1 is a link to the game's
// id1 folder, and beside it a game folder of the film's own (a name no other
// film shares), which holds the demo's copy and the commands. The engine
// reads the game through the link and writes only into the film's game
// folder: the user's configuration stays as it was. An engine of
// QuakeSpasm's family writes that game folder's files into a folder of its
// own in the user's home (~/.quakespasm/NAME); that one goes too.

#include <string>
#include <vector>

namespace cw {

class FilmFolder {
 public:
  FilmFolder() = default;
  ~FilmFolder();
  FilmFolder(const FilmFolder&) = delete;
  FilmFolder& operator=(const FilmFolder&) = delete;

  // Makes the folders under the system's temporary folder, `id1` linked in.
  bool Make(const std::string& id1, std::string& error);
  const std::string& Base() const { return base_; }
  // The game folder's name, as the engine's -game option takes it.
  const std::string& Game() const { return game_; }
  std::string GamePath() const { return base_ + "/" + game_; }
  // Where the engine may write the game's files: the game folder, and
  // folders of the game's name in the hidden folders of the user's home.
  std::vector<std::string> WritePlaces() const;

 private:
  void Remove();
  std::string base_;
  std::string game_;
};

}  // namespace cw
