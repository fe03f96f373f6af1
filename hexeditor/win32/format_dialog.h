// The modal "Select data format" dialog: the offered formats by name, a
// "Hex text" check box, a confirm (default) and a cancel button.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace hexwin {

inline constexpr int kIdFormatList = 101;
inline constexpr int kIdHexText = 102;

// The index of the chosen name, none when cancelled. hexText starts the
// check box and receives its state when the dialog is confirmed.
std::optional<int> SelectDataFormat(HWND owner, const std::vector<std::string>& names, bool& hexText);

}  // namespace hexwin
