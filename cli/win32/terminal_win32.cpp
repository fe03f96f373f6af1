#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "cli/terminal.h"
#include "platform/win32/wide.h"

namespace cli {

namespace {

// A console gets wide text; a pipe or file gets the UTF-8 bytes unchanged.
void Write(DWORD which, std::string_view utf8) {
  HANDLE h = GetStdHandle(which);
  DWORD mode = 0;
  DWORD written = 0;
  if (GetConsoleMode(h, &mode)) {
    const std::wstring wide = platform::Widen(utf8);
    WriteConsoleW(h, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
  } else {
    WriteFile(h, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
  }
}

}  // namespace

void InitTerminal() {}

void WriteOut(std::string_view utf8) { Write(STD_OUTPUT_HANDLE, utf8); }

void WriteErr(std::string_view utf8) { Write(STD_ERROR_HANDLE, utf8); }

bool InputIsInteractive() {
  DWORD mode = 0;
  return GetConsoleMode(GetStdHandle(STD_INPUT_HANDLE), &mode) != 0;
}

bool ErrorIsInteractive() {
  DWORD mode = 0;
  return GetConsoleMode(GetStdHandle(STD_ERROR_HANDLE), &mode) != 0;
}

std::optional<std::string> ReadTerminalLine(std::string_view prompt, bool hidden) {
  WriteErr(prompt);
  HANDLE in = GetStdHandle(STD_INPUT_HANDLE);
  DWORD saved = 0;
  const bool console = GetConsoleMode(in, &saved) != 0;
  if (console && hidden) SetConsoleMode(in, saved & ~static_cast<DWORD>(ENABLE_ECHO_INPUT));
  std::wstring line;
  wchar_t buffer[512];
  DWORD got = 0;
  bool ok = false;
  while (console && ReadConsoleW(in, buffer, 512, &got, nullptr) && got > 0) {
    ok = true;
    line.append(buffer, got);
    if (line.back() == L'\n') break;
  }
  if (console && hidden) {
    SetConsoleMode(in, saved);
    WriteErr("\n");
  }
  if (!ok) return std::nullopt;
  while (!line.empty() && (line.back() == L'\n' || line.back() == L'\r')) line.pop_back();
  return platform::Narrow(line);
}

}  // namespace cli

namespace cli {

std::optional<std::string> EnvironmentText(const std::string& name) {
  const wchar_t* value = _wgetenv(platform::Widen(name).c_str());
  if (!value) return std::nullopt;
  return platform::Narrow(value);
}

}  // namespace cli
