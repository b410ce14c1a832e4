// Prints its own resident size in KiB: what the C++ runtime costs any
// program before it does anything, the baseline for the agent's memory.
#include <fstream>
#include <iostream>
#include <string>

int main() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmRSS:", 0) == 0) std::cout << std::stol(line.substr(6)) << "\n";
  }
  return 0;
}
