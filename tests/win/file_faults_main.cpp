// The file fault tests' program. Started as "--hold FILE EVENT" it is the
// other process of the tests: it opens FILE shared with nobody, signals the
// named EVENT and waits to be ended.
#include <windows.h>

#include <shellapi.h>

#include <gtest/gtest.h>

namespace {

int HoldFile(const wchar_t* file, const wchar_t* event) {
  HANDLE held = CreateFileW(file, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  if (held == INVALID_HANDLE_VALUE) return 2;
  HANDLE ready = OpenEventW(EVENT_MODIFY_STATE, FALSE, event);
  if (!ready) return 3;
  SetEvent(ready);
  Sleep(120000);  // the test ends this process long before
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  int count = 0;
  wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
  if (wide && count == 4 && std::wstring(wide[1]) == L"--hold") return HoldFile(wide[2], wide[3]);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
