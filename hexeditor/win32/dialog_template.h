// Dialogs built from a template in memory: the hex window's small dialogs
// need no resource script.
#pragma once

#include <windows.h>

#include <cstdint>
#include <initializer_list>
#include <vector>

namespace hexwin::dialog {

inline constexpr std::uint16_t kButtonAtom = 0x0080;
inline constexpr std::uint16_t kEditAtom = 0x0081;
inline constexpr std::uint16_t kStaticAtom = 0x0082;
inline constexpr std::uint16_t kListBoxAtom = 0x0083;

// A dialog template in memory: DLGTEMPLATE, then per control a
// DLGITEMTEMPLATE on a DWORD boundary, each followed by class, title and
// creation data as words.
class TemplateWriter {
 public:
  void Words(std::initializer_list<std::uint16_t> words) { data_.insert(data_.end(), words); }
  void Text(const wchar_t* text) {
    for (; *text != 0; ++text) data_.push_back(static_cast<std::uint16_t>(*text));
    data_.push_back(0);
  }
  void Align() {
    if (data_.size() % 2 != 0) data_.push_back(0);
  }
  void Dword(DWORD v) { Words({static_cast<std::uint16_t>(v & 0xFFFF), static_cast<std::uint16_t>(v >> 16)}); }
  // The dialog itself, written first: a centred modal frame of cx × cy
  // dialog units with a caption, `items` controls and the dialog font.
  void Dialog(std::uint16_t items, std::uint16_t cx, std::uint16_t cy, const wchar_t* caption) {
    Dword(DS_MODALFRAME | DS_SETFONT | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU);
    Dword(0);
    Words({items, 0, 0, cx, cy, 0, 0});  // items, x, y, cx, cy, no menu, default class
    Text(caption);
    Words({9});
    Text(L"MS Shell Dlg");
  }
  void Item(DWORD style, short x, short y, short cx, short cy, WORD id, std::uint16_t atom, const wchar_t* title) {
    Align();
    Dword(style | WS_CHILD | WS_VISIBLE);
    Dword(0);
    Words({static_cast<std::uint16_t>(x), static_cast<std::uint16_t>(y), static_cast<std::uint16_t>(cx),
           static_cast<std::uint16_t>(cy), id, 0xFFFF, atom});
    Text(title);
    Words({0});
  }
  const DLGTEMPLATE* Get() const { return reinterpret_cast<const DLGTEMPLATE*>(data_.data()); }

 private:
  std::vector<std::uint16_t> data_;
};

}  // namespace hexwin::dialog
