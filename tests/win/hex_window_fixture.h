// A hex view window opened straight on a file of given bytes, for tests of
// the window and its control.
#pragma once

#include <windows.h>

#include <filesystem>
#include <string>
#include <vector>

#include "hexeditor/win32/hex_view_window.h"
#include "tests/win/window_fixture.h"

namespace wintest {

class HexWindowTest : public WindowTest {
 protected:
  void TearDown() override {
    for (HWND w : ThreadWindowsOfClass(L"TForm2")) DestroyWindow(w);
    WindowTest::TearDown();
  }
  // Each window gets a file of its own: a window keeps its file open.
  hexwin::HexViewWindow* OpenWith(const std::string& bytes) {
    const std::filesystem::path file = File(L"data" + std::to_wstring(opened_++) + L".bin");
    WriteFileBytes(file, bytes);
    hexwin::HexViewWindow* w = hexwin::HexViewWindow::Open(file.wstring(), dialogs_, boxes_);
    w->SetPopupMenus(menus_);
    return w;
  }
  static std::string Bytes(hexwin::HexViewWindow* w) {
    const std::vector<std::uint8_t> bytes = w->Editor().BytesAt(0, w->Editor().DataSize());
    return std::string(bytes.begin(), bytes.end());
  }

 private:
  int opened_ = 0;
};

}  // namespace wintest
