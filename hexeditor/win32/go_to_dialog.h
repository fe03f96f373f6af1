// The modal "转到位置" dialog: one line of text for the position and a
// confirm (default) and a cancel button.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace hexwin {

inline constexpr wchar_t kGoToCaption[] = L"转到位置";
inline constexpr int kIdGoToText = 101;

// Shows the dialog with `text` preset. Each confirmed text is given to
// `accept`; when it refuses, the dialog beeps and stays open for a correction.
// True when a text was accepted, false when the dialog was cancelled.
bool AskGoTo(HWND owner, const std::wstring& text, const std::function<bool(const std::wstring&)>& accept);

}  // namespace hexwin
