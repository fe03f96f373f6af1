// The component's texts, character for character.
#pragma once

namespace hexed::msg {

inline constexpr char kUntitled[] = "Untitled";

inline constexpr char kDataBounds[] = "Data position/length out of data bounds";
inline constexpr char kCannotOpen[] = "Cannot open %s.\r\n(%s.)";
inline constexpr char kCannotCreate[] = "Cannot create %s.\r\n(%s.)";
inline constexpr char kReadError[] = "Cannot read %s.\r\n(%s.)";
inline constexpr char kWriteError[] = "Cannot write %s.\r\n(%s.)";
inline constexpr char kOutOfMemory[] = "Out of memory";
inline constexpr char kOutOfMemoryLoad[] = "内存不足，不能(使用内存流)载入文件进行16进制查看。";
inline constexpr char kReadOnlyFile[] = "是只读文件，不能覆盖替换保存！";
inline constexpr char kCannotSaveReadOnly[] = "Cannot save readonly file %s.";
inline constexpr char kCannotCreateBackup[] = "Cannot create backup %s. (%s)";
inline constexpr char kCancelled[] = "Operation cancelled";
inline constexpr char kCannotUpdateUndo[] = "Cannot update undo storage";

inline constexpr char kInvalidBytesPerLine[] = "Invalid bytes per line argument";
inline constexpr char kInvalidBytesPerColumn[] = "Invalid bytes per column argument";
inline constexpr char kInvalidBytesPerUnit[] = "Invalid bytes per unit value %d, allowed: 1,2,4,8";
inline constexpr char kUnitInUnicodeMode[] = "BytesPerUnit must be set to 2 in unicode mode";
inline constexpr char kInvalidRulerUnit[] = "Invalid ruler bytes per unit value %d, allowed: -1,1,2,4,8";
inline constexpr char kInvalidRulerBase[] = "Invalid ruler number base %d, allowed: 2..16";
inline constexpr char kTranslationsInUnicode[] = "Translations cannot be used in unicode mode";
inline constexpr char kOddSizedUnicode[] = "Cannot use unicode mode with odd-sized files";
inline constexpr char kInvalidBookmarkBitmap[] = "Invalid bookmark bitmap (must be 10 x 200 px)";

inline constexpr char kMissingChar[] = "Missing char in offset format: %s";
inline constexpr char kNumberRadix[] = "number radix";
inline constexpr char kInvalidRadix[] = "Invalid radix in offset format (%xh), allowed: 02h..10h";
inline constexpr char kInvalidCharacter[] = "Invalid character %s, cannot convert using radix %xh";

inline constexpr char kInvalidSelStart[] = "Invalid selection start";
inline constexpr char kInvalidSelEnd[] = "Invalid selection end";
inline constexpr char kInvalidBookmarkIndex[] = "Invalid bookmark index";

}  // namespace hexed::msg
