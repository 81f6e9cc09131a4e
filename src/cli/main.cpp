#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "console/console_front.h"
#include "console/stop_signals.h"
#include "system/system_programs.h"
#include "system/terminal_probe.h"

int main(int argc, char** argv) {
  try {
    cw::MarkErrorStreamWhenTerminal();
    cw::SystemPrograms programs;
    const int status = cw::RunConsole(std::vector<std::string>(argv + 1, argv + argc), std::cout, std::cerr,
                                      cw::Program::CommandLine, &programs);
    cw::StopSignals::EndAsAsked();
    return status;
  } catch (...) {
    std::cerr << "Error: Camwright stopped on an unexpected failure.\n";
  }
  return cw::kExitRefused;
}
