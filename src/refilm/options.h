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
  std::string runBy;
  std::string filmingBy;
  bool setFps = false;
  int fps = 20;
  // Camera places in a wall, the void or the sky are moved out along the
  // line from what the camera looks at. Off unless asked, so that a result
  // never depends on which game files happen to be installed.
  bool keepInMap = false;
  std::string gameFolder;  // the Quake folder the maps are read from
  bool autoRun = false;    // the names came from the command line: run at once
  // An automatic run plays its result only when the command line asked
  // (--play); the dialog's "Play when done" is for the runs of its button.
  bool playAfterAutoRun = false;
};

// The names an interactive start puts in the fields.
inline constexpr const char* kDefaultSourceDemo = "e1m1.dem";
inline constexpr const char* kDefaultResultDemo = "e1m1c.dem";
inline constexpr const char* kDefaultScriptFile = "temp.cam";

}  // namespace cw
