#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "run/console_front.h"
#include "run/stop_signals.h"

int main(int argc, char** argv) {
  try {
    const int status = cw::RunConsole(std::vector<std::string>(argv + 1, argv + argc), std::cout, std::cerr);
    cw::StopSignals::EndAsAsked();
    return status;
  } catch (...) {
    std::cerr << "Error: Camwright stopped on an unexpected failure.\n";
  }
  return cw::kExitRefused;
}
