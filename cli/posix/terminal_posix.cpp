#include <termios.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <iostream>

#include "cli/terminal.h"

namespace cli {

void InitTerminal() {}

void WriteOut(std::string_view utf8) {
  std::fwrite(utf8.data(), 1, utf8.size(), stdout);
  std::fflush(stdout);
}

void WriteErr(std::string_view utf8) { std::fwrite(utf8.data(), 1, utf8.size(), stderr); }

bool InputIsInteractive() { return ::isatty(STDIN_FILENO) != 0; }

bool ErrorIsInteractive() { return ::isatty(STDERR_FILENO) != 0; }

std::optional<std::string> ReadTerminalLine(std::string_view prompt, bool hidden) {
  WriteErr(prompt);
  termios saved{};
  const bool echoOff = hidden && ::tcgetattr(STDIN_FILENO, &saved) == 0;
  if (echoOff) {
    termios quiet = saved;
    quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
    ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet);
  }
  std::string line;
  const bool got = static_cast<bool>(std::getline(std::cin, line));
  if (echoOff) {
    ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved);
    WriteErr("\n");
  }
  if (!got) return std::nullopt;
  return line;
}

}  // namespace cli

namespace cli {

std::optional<std::string> EnvironmentText(const std::string& name) {
  const char* value = std::getenv(name.c_str());
  if (!value) return std::nullopt;
  return std::string(value);
}

}  // namespace cli
