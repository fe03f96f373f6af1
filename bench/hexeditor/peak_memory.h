// Peak resident memory of the benchmark process, for its memory figures.
#pragma once

#include <fstream>
#include <string>

namespace bench {

// The process's peak resident set in KiB (VmHWM), -1 when the system does
// not say.
inline long PeakKib() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmHWM:", 0) == 0) return std::stol(line.substr(6));
  }
  return -1;
}

}  // namespace bench
