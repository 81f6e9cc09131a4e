#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "app/console_front.h"

int main(int argc, char** argv) {
  try {
    return cw::RunConsole(std::vector<std::string>(argv + 1, argv + argc), std::cout, std::cerr);
  } catch (const std::exception& error) {
    std::cerr << "Error: " << error.what() << '\n';
  } catch (...) {
    std::cerr << "Error: unexpected failure\n";
  }
  return cw::kExitRefused;
}
