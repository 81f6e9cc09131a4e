#pragma once
// The options of a refilm, as the dialog's controls hold them.

#include <string>

namespace cw {

struct RefilmOptions {
  bool generateScript = true;
  bool playWhenDone = true;
  std::string resultDemo;
  std::string scriptFile;
  std::string sourceDemo;
  bool changeColors = false;
  int shirtColor = 0;  // white
  int pantsColor = 4;  // red
  bool printCredits = false;
  bool centerprintTime = false;
  bool removeCenterprint = true;
  bool removePrint = true;
  bool removeStufftext = true;
  bool chainDemo = false;
  bool playerBleeding = true;
  std::string chainName;
  bool fadeOut = true;
  bool removeOutsideFov = false;
  bool printExitTime = true;
  // A generated script chases the player with a follow, which keeps its
  // distance and swings round, instead of a point behind him in time.
  bool followChase = false;
  std::string runBy;
  std::string filmingBy;
  bool setFps = false;
  int fps = 20;
  // A result replaces an existing file that is not a demo (a script, say)
  // only when asked.
  bool force = false;
  // No warning about the script's lines that are read otherwise than they look.
  bool quiet = false;
  // Camera places in a wall, the void or the sky are moved out along the
  // line from what the camera looks at. Off unless asked, so that a result
  // never depends on which game files happen to be installed.
  bool keepInMap = false;
  bool autoRun = false;  // the names came from the command line: run at once
  // An automatic run plays its result only when the command line asked
  // (--play); the dialog's "Play when done" is for the runs of its button.
  bool playAfterAutoRun = false;
  // "Make a video": the result made into RESULT.mp4 after the run (--render).
  bool makeVideo = false;
  // The Quake folder and the engine that play the result and make its video
  // (--game, --engine); empty: the environment's, or the defaults.
  std::string gameFolder;
  std::string engineProgram;
};

// The names an interactive start puts in the fields.
inline constexpr const char* kDefaultSourceDemo = "e1m1.dem";
inline constexpr const char* kDefaultResultDemo = "e1m1c.dem";
inline constexpr const char* kDefaultScriptFile = "temp.cam";

}  // namespace cw
