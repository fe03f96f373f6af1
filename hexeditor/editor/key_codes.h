// Abstract key codes and modifier states the control passes to the model.
// The values equal the Windows virtual-key codes, so the control can pass
// them through unchanged.
#pragma once

namespace hexed {

namespace key {
inline constexpr int kBack = 0x08;
inline constexpr int kTab = 0x09;
inline constexpr int kReturn = 0x0D;
inline constexpr int kShift = 0x10;
inline constexpr int kControl = 0x11;
inline constexpr int kMenu = 0x12;
inline constexpr int kPageUp = 0x21;
inline constexpr int kPageDown = 0x22;
inline constexpr int kEnd = 0x23;
inline constexpr int kHome = 0x24;
inline constexpr int kLeft = 0x25;
inline constexpr int kUp = 0x26;
inline constexpr int kRight = 0x27;
inline constexpr int kDown = 0x28;
inline constexpr int kInsert = 0x2D;
inline constexpr int kDelete = 0x2E;
inline constexpr int k0 = 0x30;  // '0' ... '9' are 0x30 ... 0x39
inline constexpr int kA = 0x41;  // 'A' ... 'Z' are 0x41 ... 0x5A
inline constexpr int kC = 0x43;
inline constexpr int kT = 0x54;
inline constexpr int kV = 0x56;
inline constexpr int kX = 0x58;
inline constexpr int kZ = 0x5A;
}  // namespace key

// Held modifiers and mouse buttons.
using ShiftState = unsigned;
inline constexpr ShiftState kShiftKey = 1;
inline constexpr ShiftState kAltKey = 2;
inline constexpr ShiftState kCtrlKey = 4;
inline constexpr ShiftState kLeftButton = 8;
inline constexpr ShiftState kRightButton = 16;
inline constexpr ShiftState kMiddleButton = 32;
inline constexpr ShiftState kModifierKeys = kShiftKey | kAltKey | kCtrlKey;

// Mouse buttons.
enum class MouseButton { kLeft, kRight, kMiddle };

}  // namespace hexed
