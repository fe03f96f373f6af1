#include "hexeditor/editor/find_replace.h"

#include <algorithm>
#include <cstring>

namespace hexed::find {

namespace {

constexpr char kReplaceDescription[] = "替换";
constexpr char kReplaceAllDescription[] = "全部替换";

bool IsBlankText(std::string_view text) {
  return std::all_of(text.begin(), text.end(), [](char c) { return c == ' ' || c == '\t'; });
}

}  // namespace

search::Pattern MakePattern(std::string_view text, TextKind kind, bool ignoreAsciiCase) {
  switch (kind) {
    case TextKind::kHex: return search::ParseHexPattern(text);
    case TextKind::kGbk: return search::TextPattern(text, search::TextEncoding::kGbk, ignoreAsciiCase);
    case TextKind::kUtf16Le: return search::TextPattern(text, search::TextEncoding::kUtf16Le, ignoreAsciiCase);
    case TextKind::kUtf8: break;
  }
  return search::TextPattern(text, search::TextEncoding::kUtf8, ignoreAsciiCase);
}

std::vector<std::uint8_t> ReplacementBytes(std::string_view text, TextKind kind) {
  if (kind == TextKind::kHex ? IsBlankText(text) : text.empty()) return {};
  search::Pattern p;
  try {
    p = MakePattern(text, kind, false);
  } catch (const search::PatternError& e) {
    // "?? ??" is refused as "only wildcards" by the pattern parser; for a
    // replacement any wildcard is the fault.
    if (e.kind() != search::PatternErrorKind::kOnlyWildcards) throw;
    p.bytes.push_back(search::PatternByte{0, 0xFF});
  }
  std::vector<std::uint8_t> bytes;
  bytes.reserve(p.size());
  for (const search::PatternByte& b : p.bytes) {
    if (!b.IsExact()) throw search::PatternError(search::PatternErrorKind::kWildcardReplacement, "?? in a replacement");
    bytes.push_back(b.want);
  }
  return bytes;
}

void EditorSource::Read(std::int64_t offset, std::uint8_t* buffer, std::size_t size) {
  editor_.ReadBytes(buffer, static_cast<std::int64_t>(offset), static_cast<std::int64_t>(size));
}

std::int64_t SearchStart(const TCustomQDHexEditor& editor, bool backward) {
  if (editor.SelCount() > 0) return backward ? editor.SelStart() : editor.SelStart() + std::int64_t{1};
  return std::min<std::int64_t>(editor.CaretPosition(), editor.DataSize());
}

void SelectMatch(TCustomQDHexEditor& editor, std::int64_t position, std::size_t length) {
  const auto pos = static_cast<std::int64_t>(position);
  editor.SetCaretPosition(pos, editor.CaretInCharField());
  editor.SetSelection(pos, pos + static_cast<std::int64_t>(length) - 1);
  editor.ScrollCaretIntoView();
}

bool SelectionMatches(const TCustomQDHexEditor& editor, const search::Pattern& pattern) {
  if (editor.SelCount() != static_cast<std::int64_t>(pattern.size())) return false;
  std::vector<std::uint8_t> bytes(pattern.size());
  editor.ReadBytes(bytes.data(), editor.SelStart(), editor.SelCount());
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (!pattern.bytes[i].Matches(bytes[i])) return false;
  }
  return true;
}

std::string ReplaceRefusal(const TCustomQDHexEditor& editor, std::size_t patternSize, std::size_t replacementSize) {
  if (editor.ReadOnlyView()) return "文件为只读模式,不能替换。";
  if (editor.NoSizeChange() && patternSize != replacementSize) return "不能改变数据的长度:替换内容的长度必须与查找内容相同。";
  return {};
}

void ReplaceSelectedMatch(TCustomQDHexEditor& editor, const std::vector<std::uint8_t>& replacement) {
  if (replacement.empty()) {
    editor.DeleteSelection(kReplaceDescription);
  } else {
    editor.ReplaceSelection(replacement.data(), static_cast<std::int64_t>(replacement.size()), true,
                            kReplaceDescription);
  }
}

void ReplaceAll(TCustomQDHexEditor& editor, const std::vector<std::int64_t>& positions, std::size_t patternSize,
                const std::vector<std::uint8_t>& replacement) {
  if (positions.empty()) return;
  const std::int64_t first = positions.front();
  const std::int64_t end = positions.back() + static_cast<std::int64_t>(patternSize);
  std::vector<std::uint8_t> old(static_cast<std::size_t>(end - first));
  editor.ReadBytes(old.data(), static_cast<std::int64_t>(first), static_cast<std::int64_t>(old.size()));
  std::vector<std::uint8_t> written;
  written.reserve(old.size() - positions.size() * patternSize + positions.size() * replacement.size());
  std::int64_t at = first;
  for (const std::int64_t pos : positions) {
    written.insert(written.end(), old.begin() + (at - first), old.begin() + (pos - first));
    written.insert(written.end(), replacement.begin(), replacement.end());
    at = pos + static_cast<std::int64_t>(patternSize);
  }
  editor.SetSelection(static_cast<std::int64_t>(first), static_cast<std::int64_t>(end - 1));
  if (written.empty()) {
    editor.DeleteSelection(kReplaceAllDescription);
  } else {
    editor.ReplaceSelection(written.data(), static_cast<std::int64_t>(written.size()), true, kReplaceAllDescription);
  }
}

std::string PatternErrorText(search::PatternErrorKind kind) {
  switch (kind) {
    case search::PatternErrorKind::kEmpty: return "请输入要查找的内容。";
    case search::PatternErrorKind::kBadHexDigit: return "十六进制内容只能包含 0-9、A-F、?? 和空格。";
    case search::PatternErrorKind::kIncompleteByte: return "每个字节需要两位十六进制数字。";
    case search::PatternErrorKind::kHalfWildcard: return "通配符 ?? 必须代表整个字节。";
    case search::PatternErrorKind::kOnlyWildcards: return "至少需要一个确定的字节,不能全是 ??。";
    case search::PatternErrorKind::kNotEncodable: return "所选编码不能表示其中的字符。";
    case search::PatternErrorKind::kBadText: return "文本无效。";
    case search::PatternErrorKind::kWildcardReplacement: return "替换内容不能包含通配符 ??。";
  }
  return "查找内容无效。";
}

std::string FoundText(bool wrapped, bool backward) {
  if (!wrapped) return {};
  return backward ? "已查到文件开头,从文件末尾继续查找。" : "已查到文件末尾,从文件开头继续查找。";
}

std::string NotFoundText() { return "找不到要查找的内容。"; }

std::string CancelledText() { return "已取消查找。"; }

std::string ProgressText(std::int64_t done, std::int64_t total) {
  const std::int64_t percent = total > 0 ? std::clamp<std::int64_t>(done * 100 / total, 0, 100) : 0;
  return "正在查找… " + std::to_string(percent) + "%";
}

std::string TooManyMatchesText() {
  return "匹配的位置超过 " + std::to_string(kMaxReplaceAll) + " 处,不能一次全部替换。";
}

std::string ReplacedText(std::size_t count) {
  return count == 0 ? NotFoundText() : "已替换 " + std::to_string(count) + " 处。";
}

}  // namespace hexed::find
