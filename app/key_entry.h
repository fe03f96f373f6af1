// Key entry: the key boxes hold the key as text; the jobs take it as GBK
// bytes, and the boxes' limits and length hints count those bytes.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace app {

// Typing and pasting stop at this many GBK bytes of text in a key box.
inline constexpr std::size_t kMaxTypedKey = 1028;

// Hint of the key labels.
inline constexpr std::string_view kKeyLimitsHint = "(输入/粘贴)密钥最多为1028个字体，(载入)密钥最多可以为2056个字节";

// The length of a key text in GBK bytes (a Chinese character counts 2, a
// line break 2). A character that GBK cannot write counts 2: such a key is
// refused when a job starts, and until then it takes the room of one.
std::size_t KeyByteLength(std::string_view utf8);

// "密钥长度为:" + the length in GBK bytes + "字节".
std::string KeyLengthHint(std::string_view utf8);

// The part of `insert` (UTF-8) that fits into a box holding `boxBytes` GBK
// bytes of which `replacedBytes` are replaced: whole characters only, and a
// CR LF line break is never split.
std::string FittingInsertion(std::string_view insert, std::size_t boxBytes, std::size_t replacedBytes);

// The file a key is saved to: with the first filter ("TXT文件(*.txt)",
// `filterIndex` 1) the name's extension becomes ".txt" (added when missing,
// replaced otherwise); with another filter the name stays as typed.
std::string KeyFileSaveName(std::string_view name, int filterIndex);

// The key bytes the jobs take from a box's text; empty when a character has
// no GBK form (a lossy '?' would make different keys equal).
std::optional<std::string> KeyBytes(std::string_view utf8);

}  // namespace app
