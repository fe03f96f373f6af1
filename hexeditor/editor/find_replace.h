// Find and replace over the editor's data: what the find bar asks for, where a
// search starts from the caret, how a match is shown, and the replacements,
// each one undo step. The scan itself (search::Find) may run on another
// thread while the data stays unchanged; everything else runs on the editor's.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "hexeditor/editor/custom_hex_editor.h"
#include "hexeditor/model/byte_search.h"
#include "hexeditor/model/search_pattern.h"

namespace hexed::find {

// How the find bar's text is read.
enum class TextKind { kHex, kGbk, kUtf16Le, kUtf8 };

// The pattern for `text` (UTF-8); throws search::PatternError.
search::Pattern MakePattern(std::string_view text, TextKind kind, bool ignoreAsciiCase);

// The bytes a replacement text stands for; blank text is no bytes (the match
// is deleted). Hex text may not hold "??". Throws search::PatternError.
std::vector<std::uint8_t> ReplacementBytes(std::string_view text, TextKind kind);

// The editor's data as a search source; reads only.
class EditorSource : public search::ByteSource {
 public:
  explicit EditorSource(const TCustomQDHexEditor& editor) : editor_(editor) {}
  std::int64_t Size() const override { return editor_.DataSize(); }
  void Read(std::int64_t offset, std::uint8_t* buffer, std::size_t size) override;

 private:
  const TCustomQDHexEditor& editor_;
};

// Where a search from the caret starts: forward just after the start of the
// selection (so the next match is found, not the one shown) or at the caret;
// backward before the selection or the caret.
std::int64_t SearchStart(const TCustomQDHexEditor& editor, bool backward);

// Selects the match of `length` bytes at `position` and moves the caret to
// it, in the field the caret is in.
void SelectMatch(TCustomQDHexEditor& editor, std::int64_t position, std::size_t length);

// True when the selection is exactly a match of `pattern`.
bool SelectionMatches(const TCustomQDHexEditor& editor, const search::Pattern& pattern);

// Why the data may not be changed by a replacement; empty when it may.
// Sizes must stay the same while the editor refuses size changes.
std::string ReplaceRefusal(const TCustomQDHexEditor& editor, std::size_t patternSize, std::size_t replacementSize);

// Replaces the selected match with `replacement` as one undo step.
void ReplaceSelectedMatch(TCustomQDHexEditor& editor, const std::vector<std::uint8_t>& replacement);

// Most matches one replace-all changes: their positions are held in memory.
inline constexpr std::size_t kMaxReplaceAll = std::size_t{1} << 24;

// Replaces the matches at `positions` (ascending, not overlapping, each
// `patternSize` long) with `replacement` as one undo step: one change over the
// range from the first match to the end of the last. Selects what was written.
void ReplaceAll(TCustomQDHexEditor& editor, const std::vector<std::int64_t>& positions, std::size_t patternSize,
                const std::vector<std::uint8_t>& replacement);

// The bar's texts.
std::string PatternErrorText(search::PatternErrorKind kind);
std::string FoundText(bool wrapped, bool backward);
std::string NotFoundText();
std::string CancelledText();
std::string ProgressText(std::int64_t done, std::int64_t total);
std::string ReplacedText(std::size_t count);
std::string TooManyMatchesText();

}  // namespace hexed::find
