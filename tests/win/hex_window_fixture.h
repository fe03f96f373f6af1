// A hex view window opened straight on a file of given bytes, for tests of
// the window and its control.
#pragma once

#include <windows.h>

#include <filesystem>
#include <string>

#include "hexeditor/win32/hex_view_window.h"
#include "tests/win/window_fixture.h"

namespace wintest {

class HexWindowTest : public WindowTest {
 protected:
  void TearDown() override {
    for (HWND w : ThreadWindowsOfClass(L"TForm2")) DestroyWindow(w);
    WindowTest::TearDown();
  }
  hexwin::HexViewWindow* OpenWith(const std::string& bytes) {
    const std::filesystem::path file = File(L"data.bin");
    WriteFileBytes(file, bytes);
    hexwin::HexViewWindow* w = hexwin::HexViewWindow::Open(file.wstring(), dialogs_, boxes_);
    w->SetPopupMenus(menus_);
    return w;
  }
  static std::string Bytes(hexwin::HexViewWindow* w) {
    return std::string(reinterpret_cast<const char*>(w->Editor().Data()), static_cast<std::size_t>(w->Editor().DataSize()));
  }
};

}  // namespace wintest
