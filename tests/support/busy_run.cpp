#include "busy_run.h"

#include <sstream>

#include "refilm/options.h"

namespace cw::test {

void TurnEveryOptionOn(RefilmOptions& options) {
  options.changeColors = true;
  options.shirtColor = 4;
  options.pantsColor = 13;
  options.printCredits = true;
  options.runBy = "Runner";
  options.filmingBy = "Camera";
  options.centerprintTime = true;
  options.removeCenterprint = true;
  options.removePrint = true;
  options.removeStufftext = true;
  options.chainDemo = true;
  options.chainName = "next.dem";
  options.playerBleeding = true;
  options.fadeOut = true;
  options.removeOutsideFov = true;
  options.printExitTime = true;
  options.setFps = true;
  options.fps = 15;
  options.playWhenDone = false;
}

std::string BusyScript(float seconds, int period) {
  std::ostringstream script;
  script << "# every command word, every " << period << " seconds\n";
  const int step = period > 0 ? period : 10;
  // Offsets are tenths of the period so that a short period still keeps
  // the lines of one round in order.
  for (int t = 0; static_cast<float>(t) < seconds; t += step) {
    auto at = [&](int tenth) { return static_cast<float>(t) + static_cast<float>(step * tenth) / 10.0f; };
    script << at(0) << " stay p~0.3 p~0.3 p+30\n"
           << at(0) << " view p\n"
           << at(1) << " move 100 -200 now\n"
           << at(2) << " end move\n"
           << at(2) << " turn e2\n"
           << at(3) << " end turn\n"
           << at(3) << " pan e3~0.5 e3 e3+20\n"
           << at(4) << " end pan\n"
           << at(4) << " cut -300 200 p+64\n"
           << at(4) << " roll 15\n"
           << at(5) << " end roll\n"
           << at(5) << " lean -5\n"
           << at(5) << " palette 255 0 0 40\n"
           << at(6) << " fade 0 0 255 80\n"
           << at(7) << " end fade\n"
           << at(6) << " text print \"Frame of " << t << "\\n\"\n"
           << at(6) << " text centerprint \"Look \\\"here\\\"\"\n"
           << at(7) << " text stufftext \"echo hi\\n\"\n"
           << at(7) << " text finale \"The end?\"\n"
           << at(7) << " subtitle \"Seconds " << t << "\"\n"
           << at(8) << " sound p\"misc/talk\" v0.5 a2 c3\n"
           << at(8) << " sound e2\"misc/menu1\"\n"
           << at(8) << " sound \"misc/menu2\"\n"
           << at(8) << " eyes 2\n"
           << at(9) << " eyes\n";
  }
  return script.str();
}

}  // namespace cw::test
