// Appearance properties, grid geometry, offsets, ruler and what each cell shows.
#include <algorithm>

#include "hexeditor/editor/custom_hex_editor.h"
#include "hexeditor/errors.h"
#include "hexeditor/messages.h"

namespace hexed {

namespace {

bool IsUnitValue(int v) { return v == 1 || v == 2 || v == 4 || v == 8; }

std::size_t Utf8Length(const std::string& s) {
  return static_cast<std::size_t>(
      std::count_if(s.begin(), s.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

int DigitCount(std::uint64_t v, int radix) {
  int n = 1;
  while (v >= static_cast<std::uint64_t>(radix)) {
    v /= static_cast<std::uint64_t>(radix);
    ++n;
  }
  return n;
}

}  // namespace

// --- metrics -----------------------------------------------------------------------

void TCustomQDHexEditor::SyncOffsetUnit() {
  if (offsetFormat_.flags & kOffsetUnitFollowsRow) offsetFormat_.unit = bytesPerRow_;
  if (offsetFormat_.flags & kOffsetUnitFollowsColumn) offsetFormat_.unit = bytesPerColumn_;
  if (offsetFormat_.flags & kOffsetUnitFollowsRuler) offsetFormat_.unit = RulerUnit();
}

void TCustomQDHexEditor::AdjustMetrics() {
  LayoutParams p;
  p.bytesPerRow = bytesPerRow_;
  p.bytesPerColumn = bytesPerColumn_;
  p.bytesPerBlock = bytesPerBlock_;
  p.separateBlocksInCharField = separateBlocksInCharField_;
  p.rulerUnit = RulerUnit();
  p.unicode = unicodeChars_;
  p.charWidth = charWidth_;
  colWidths_ = ColumnWidths(p);

  const std::int64_t lastRowOffset = (RowCount() - 3) * bytesPerRow_;
  if ((offsetFormat_.flags & kOffsetDigitsFollowSize) && !offsetFormat_.text.empty()) {
    const std::int64_t unit = std::max(offsetFormat_.unit, 1);
    offsetFormat_.minDigits = DigitCount(static_cast<std::uint64_t>(lastRowOffset / unit), offsetFormat_.radix);
  }
  const std::size_t length = Utf8Length(GetOffsetText(lastRowOffset));
  gutterPixels_ = gutterWidth_ != -1 ? gutterWidth_ : static_cast<int>(length + 1) * charWidth_ + 21;
  colWidths_[0] = gutterPixels_;
}

void TCustomQDHexEditor::LayoutChanged() {
  AdjustMetrics();
  ClampCaretToGrid();
  SetTopRow(topRow_);
  SetLeftCol(leftCol_);
  Host().LayoutChanged();
}

void TCustomQDHexEditor::UpdateRuler() {
  hexRuler_ = HexRuler(bytesPerRow_, RulerUnit(), rulerNumberBase_, hexLowerCase_);
  charRuler_ = CharRuler(bytesPerRow_, RulerUnit(), rulerNumberBase_, hexLowerCase_, unicodeChars_);
}

std::string TCustomQDHexEditor::GetOffsetText(std::int64_t pos) {
  std::string text = FormatOffset(offsetFormat_, pos, hexLowerCase_);
  if (OnGetOffsetText && !inGetOffsetText_) {
    inGetOffsetText_ = true;
    try {
      OnGetOffsetText(pos, text);
    } catch (...) {
      inGetOffsetText_ = false;
      throw;
    }
    inGetOffsetText_ = false;
  }
  return text;
}

void TCustomQDHexEditor::SetCharMetrics(int charWidth, int textHeight) {
  charWidth_ = std::max(charWidth, 1);
  textHeight_ = std::max(textHeight, 1);
  if (autoBytesPerRow_) RecalcAutoBytesPerRow();
  LayoutChanged();
  Host().CaretShapeChanged();
  Host().Invalidate();
}

void TCustomQDHexEditor::SetClientSize(int width, int height) {
  clientWidth_ = std::max(width, 0);
  clientHeight_ = std::max(height, 0);
  if (autoBytesPerRow_) RecalcAutoBytesPerRow();
  LayoutChanged();
  Host().CaretMoved();
}

void TCustomQDHexEditor::RecalcAutoBytesPerRow() {
  LayoutParams p;
  p.bytesPerRow = bytesPerRow_;
  p.bytesPerColumn = bytesPerColumn_;
  p.bytesPerBlock = bytesPerBlock_;
  p.separateBlocksInCharField = separateBlocksInCharField_;
  p.rulerUnit = RulerUnit();
  p.unicode = unicodeChars_;
  p.charWidth = charWidth_;
  const int available = clientWidth_ - ColWidth(0) - ColWidth(1) - 8;
  try {
    ApplyBytesPerRow(AutoBytesPerRowFor(p, available));
  } catch (const EQDHexEditor&) {
    // The automatic width never raises: a value the mode refuses keeps the old one.
  }
}

int TCustomQDHexEditor::ColWidth(int col) const {
  if (col < 0 || col >= static_cast<int>(colWidths_.size())) return 0;
  return colWidths_[static_cast<std::size_t>(col)];
}

int TCustomQDHexEditor::RowHeight(GridRow row) const {
  if (row == 0) return showRuler_ ? DefaultRowHeight() + 3 : 0;
  if (row == 1) return 0;
  return DefaultRowHeight();
}

// --- appearance properties ---------------------------------------------------------

void TCustomQDHexEditor::SetBytesPerRow(int v) {
  if (autoBytesPerRow_) return;
  ApplyBytesPerRow(v);
}

void TCustomQDHexEditor::ApplyBytesPerRow(int v) {
  if (v < 1 || v > 256 || (unicodeChars_ && v % 2 != 0)) throw EQDHexEditor(msg::kInvalidBytesPerLine);
  if (v == bytesPerRow_) return;
  const bool charField = CaretInCharField();
  const bool second = CaretOnSecondNibble();
  std::int64_t pos = CaretPosition();
  bytesPerRow_ = v;
  SyncOffsetUnit();
  UpdateRuler();
  pos = std::clamp<std::int64_t>(pos, 0, std::max<std::int64_t>(LastCaretPosition(), 0));
  Cell cell = PositionToCell(pos, bytesPerRow_, unicodeChars_, charField);
  if (second && pos < DataSize()) ++cell.col;
  caret_ = cell;
  leftCol_ = 2;
  LayoutChanged();
  ScrollCaretIntoView();
  Host().Invalidate();
  Host().CaretMoved();
}

void TCustomQDHexEditor::SetAutoBytesPerRow(bool on) {
  autoBytesPerRow_ = on;
  if (on) RecalcAutoBytesPerRow();
}

void TCustomQDHexEditor::SetBytesPerColumn(int v) {
  if (v < 1 || v > 256 || (unicodeChars_ && v % 2 != 0)) throw EQDHexEditor(msg::kInvalidBytesPerColumn);
  bytesPerColumn_ = v;
  SyncOffsetUnit();
  LayoutChanged();
  Host().Invalidate();
}

void TCustomQDHexEditor::SetBytesPerBlock(int v) {
  bytesPerBlock_ = v;
  LayoutChanged();
  Host().Invalidate();
}

void TCustomQDHexEditor::SetSeparateBlocksInCharField(bool on) {
  separateBlocksInCharField_ = on;
  LayoutChanged();
  Host().Invalidate();
}

void TCustomQDHexEditor::SetBytesPerUnit(int v) {
  if (!IsUnitValue(v)) throw EQDHexEditor(FormatText(msg::kInvalidBytesPerUnit, {std::to_string(v)}));
  if (unicodeChars_ && v != 2) throw EQDHexEditor(msg::kUnitInUnicodeMode);
  bytesPerUnit_ = v;
  if (SelCount() % v != 0) ClearSelection();
  SyncOffsetUnit();
  UpdateRuler();
  LayoutChanged();
  Host().Invalidate();
}

void TCustomQDHexEditor::SetRulerBytesPerUnit(int v) {
  if (v != -1 && !IsUnitValue(v)) throw EQDHexEditor(FormatText(msg::kInvalidRulerUnit, {std::to_string(v)}));
  rulerBytesPerUnit_ = v;
  SyncOffsetUnit();
  UpdateRuler();
  LayoutChanged();
  Host().Invalidate();
}

void TCustomQDHexEditor::SetRulerNumberBase(int base) {
  // Digits exist for radixes 2 to 16 only; others would loop or divide by zero.
  if (base < 2 || base > 16) throw EQDHexEditor(FormatText(msg::kInvalidRulerBase, {std::to_string(base)}));
  rulerNumberBase_ = base;
  UpdateRuler();
  Host().Invalidate();
}

void TCustomQDHexEditor::SetShowRuler(bool on) {
  showRuler_ = on;
  LayoutChanged();
  Host().Invalidate();
}

void TCustomQDHexEditor::SetOffsetFormat(std::string_view text) {
  offsetFormat_ = ParseOffsetFormat(text, bytesPerRow_, bytesPerColumn_, RulerUnit());
  LayoutChanged();
  Host().Invalidate();
}

void TCustomQDHexEditor::SetHexLowerCase(bool on) {
  hexLowerCase_ = on;
  UpdateRuler();
  LayoutChanged();
  Host().Invalidate();
}

void TCustomQDHexEditor::SetSwapNibbles(bool on) {
  swapNibbles_ = on;
  Host().Invalidate();
}

void TCustomQDHexEditor::SetTranslation(TQDHTranslationKind kind) {
  if (unicodeChars_ && kind != tkAsIs) throw EQDHexEditor(msg::kTranslationsInUnicode);
  translation_ = kind;
  Host().Invalidate();
}

void TCustomQDHexEditor::SetUnicodeChars(bool on) {
  if (on == unicodeChars_) return;
  if (on) {
    if (bytesPerRow_ % 2 != 0) throw EQDHexEditor(msg::kInvalidBytesPerLine);
    if (bytesPerColumn_ % 2 != 0) throw EQDHexEditor(msg::kInvalidBytesPerColumn);
    if (DataSize() % 2 != 0) throw EQDHexEditor(msg::kOddSizedUnicode);
  }
  const bool charField = CaretInCharField();
  const bool second = CaretOnSecondNibble();
  const std::int64_t pos = CaretPosition();
  unicodeChars_ = on;
  if (on) translation_ = tkAsIs;
  bytesPerUnit_ = on ? 2 : 1;
  if (SelCount() % bytesPerUnit_ != 0) ClearSelection();
  SyncOffsetUnit();
  UpdateRuler();
  Cell cell = PositionToCell(pos, bytesPerRow_, unicodeChars_, charField);
  if (second) ++cell.col;
  caret_ = cell;
  leftCol_ = 2;
  LayoutChanged();
  ScrollCaretIntoView();
  Host().Invalidate();
  Host().CaretMoved();
}

void TCustomQDHexEditor::SetUnicodeBigEndian(bool on) {
  unicodeBigEndian_ = on;
  Host().Invalidate();
}

void TCustomQDHexEditor::SetMaskChar(std::uint8_t c) {
  maskChar_ = c;
  Host().Invalidate();
}

void TCustomQDHexEditor::SetMaskedSet(const ByteSet& set) {
  masked_ = set;
  Host().Invalidate();
}

void TCustomQDHexEditor::SetCaretKind(TQDHCaretKind kind) {
  caretKind_ = kind;
  Host().CaretShapeChanged();
}

void TCustomQDHexEditor::SetFocusFrame(bool on) {
  focusFrame_ = on;
  Host().Invalidate();
}

void TCustomQDHexEditor::SetDrawGridLines(bool on) {
  drawGridLines_ = on;
  Host().Invalidate();
}

void TCustomQDHexEditor::SetDrawGutter3D(bool on) {
  drawGutter3D_ = on;
  Host().Invalidate();
}

void TCustomQDHexEditor::SetGutterWidth(int pixels) {
  gutterWidth_ = pixels;
  LayoutChanged();
  Host().Invalidate();
}

void TCustomQDHexEditor::SetShowPositionIfNotFocused(bool on) {
  showPositionIfNotFocused_ = on;
  Host().Invalidate();
}

void TCustomQDHexEditor::SetHideSelection(bool on) {
  hideSelection_ = on;
  Host().Invalidate();
}

void TCustomQDHexEditor::SetGraySelectionIfNotFocused(bool on) {
  graySelectionIfNotFocused_ = on;
  Host().Invalidate();
}

void TCustomQDHexEditor::CheckBookmarkBitmap(int width, int height) {
  if (width != 200 || height != 10) throw EQDHexEditor(msg::kInvalidBookmarkBitmap);
}

void TCustomQDHexEditor::SetColors(const TQDHColors& colors) {
  colors_ = colors;
  Host().Invalidate();
}

void TCustomQDHexEditor::SetFont(const std::string& name, int size) {
  fontName_ = name;
  fontSize_ = size;
  Host().FontChanged();
}

TQDHFontSpec TCustomQDHexEditor::PrintFont() const {
  if (!useEditorFontForPrinting_) return printFont_;
  // The editor's size is in points; print heights are pixels at 96 dots per inch.
  return {fontName_, -((fontSize_ * 96 + 36) / 72)};
}

void TCustomQDHexEditor::SetPrintFont(const TQDHFontSpec& font) {
  printFont_ = font;
  useEditorFontForPrinting_ = false;
}

void TCustomQDHexEditor::SetFontColor(Color c) {
  fontColor_ = c;
  Host().Invalidate();
}

// --- view geometry -------------------------------------------------------------------

int TCustomQDHexEditor::VisibleRowCount() const {
  const int rows = (clientHeight_ - RowHeight(0) - RowHeight(1)) / DefaultRowHeight();
  return std::max(rows, 1);
}

GridRow TCustomQDHexEditor::LastVisibleRow() const {
  return std::min(AddRows(topRow_, VisibleRowCount() - 1), RowCount() - 1);
}

void TCustomQDHexEditor::SetTopRow(GridRow row) {
  const GridRow maxTop = std::max<GridRow>(2, RowCount() - VisibleRowCount());
  row = std::clamp<GridRow>(row, 2, maxTop);
  if (row == topRow_) return;
  topRow_ = row;
  Host().Invalidate();
  Host().CaretMoved();
  if (OnTopLeftChanged) OnTopLeftChanged();
}

void TCustomQDHexEditor::SetLeftCol(int col) {
  // The last left column that still fills the view with the rightmost columns.
  const int area = clientWidth_ - ColWidth(0) - ColWidth(1);
  int maxLeft = ColCount() - 1;
  int used = ColWidth(maxLeft);
  while (maxLeft > 2 && used + ColWidth(maxLeft - 1) <= area) used += ColWidth(--maxLeft);
  col = std::clamp(col, 2, std::max(maxLeft, 2));
  if (col == leftCol_) return;
  leftCol_ = col;
  Host().Invalidate();
  Host().CaretMoved();
  if (OnTopLeftChanged) OnTopLeftChanged();
}

int TCustomQDHexEditor::LastFullyVisibleCol() const {
  const int area = clientWidth_ - ColWidth(0) - ColWidth(1);
  int used = 0;
  int col = leftCol_;
  while (col < ColCount() && used + ColWidth(col) <= area) used += ColWidth(col++);
  return std::max(col - 1, leftCol_);
}

void TCustomQDHexEditor::ScrollCaretIntoView() {
  // Without a client size there is no view to scroll.
  if (clientWidth_ <= 0 || clientHeight_ <= 0) return;
  const int visible = VisibleRowCount();
  if (caret_.row < topRow_) {
    SetTopRow(caret_.row);
  } else if (caret_.row > AddRows(topRow_, visible - 1)) {
    SetTopRow(AddRows(caret_.row, 1 - visible));
  }
  if (caret_.col < leftCol_) {
    SetLeftCol(caret_.col);
  } else {
    int left = leftCol_;
    const int area = clientWidth_ - ColWidth(0) - ColWidth(1);
    int used = 0;
    for (int c = left; c <= caret_.col; ++c) used += ColWidth(c);
    while (used > area && left < caret_.col) used -= ColWidth(left++);
    SetLeftCol(left);
  }
}

std::array<int, 4> TCustomQDHexEditor::CellRect(int col, GridRow row) const {
  int x = 0;
  if (col == 1) {
    x = ColWidth(0);
  } else if (col >= 2) {
    x = ColWidth(0) + ColWidth(1);
    if (col >= leftCol_) {
      for (int c = leftCol_; c < col; ++c) x += ColWidth(c);
    } else {
      for (int c = col; c < leftCol_; ++c) x -= ColWidth(c);
    }
  }
  int y = 0;
  if (row == 1) {
    y = RowHeight(0);
  } else if (row >= 2) {
    y = RowTop(row, topRow_, RowHeight(0) + RowHeight(1), DefaultRowHeight());
  }
  return {x, y, x + ColWidth(col), y + RowHeight(row)};
}

CellHit TCustomQDHexEditor::HitTest(int x, int y) const {
  CellHit hit{-1, -1, false};
  int left = 0;
  if (x < 0) return hit;
  if (x < ColWidth(0)) {
    hit.col = 0;
  } else if (x < ColWidth(0) + ColWidth(1)) {
    hit.col = 1;
    left = ColWidth(0);
  } else {
    left = ColWidth(0) + ColWidth(1);
    for (int c = leftCol_; c < ColCount(); ++c) {
      if (x < left + ColWidth(c)) {
        hit.col = c;
        break;
      }
      left += ColWidth(c);
    }
  }
  if (hit.col < 0) return hit;
  hit.rightHalf = 2 * (x - left) >= ColWidth(hit.col);
  const int fixed = RowHeight(0) + RowHeight(1);
  if (y < 0) {
    hit.col = -1;
  } else if (y < RowHeight(0)) {
    hit.row = 0;
  } else {
    const GridRow row = RowAtPixel(y, topRow_, fixed, DefaultRowHeight());
    if (row < RowCount()) {
      hit.row = row;
    } else {
      hit.col = -1;
    }
  }
  return hit;
}

std::array<int, 2> TCustomQDHexEditor::CaretPoint() const {
  const std::array<int, 4> r = CellRect(caret_.col, caret_.row);
  const bool visible = caret_.row >= topRow_ && r[1] < clientHeight_ && caret_.col >= leftCol_ && r[0] < clientWidth_;
  if (!visible) return {-50, -50};
  return {r[0], r[1]};
}

TQDHCaretKind TCustomQDHexEditor::EffectiveCaretKind() const {
  if (caretKind_ != ckAuto) return caretKind_;
  if (readOnlyView_) return ckBottom;
  return InsertMode() ? ckLeft : ckFull;
}

CaretShape TCustomQDHexEditor::GetCaretShape() const {
  CaretShape s;
  s.width = charWidth_;
  s.height = std::max(DefaultRowHeight() - 2, 1);
  switch (EffectiveCaretKind()) {
    case ckLeft:
      s.whiteWidth = std::min(2, s.width);
      s.whiteHeight = s.height;
      break;
    case ckBottom:
      s.whiteTop = std::max(s.height - 2, 0);
      s.whiteWidth = s.width;
      s.whiteHeight = s.height - s.whiteTop;
      break;
    default:
      s.whiteWidth = s.width;
      s.whiteHeight = s.height;
      break;
  }
  return s;
}

// --- what cells show -------------------------------------------------------------------

std::uint8_t TCustomQDHexEditor::DisplayChar(std::uint8_t b) const {
  return hexed::DisplayChar(translation_, b, masked_, maskChar_);
}

std::optional<std::uint8_t> TCustomQDHexEditor::TypedByte(std::uint8_t ch) const {
  return hexed::TypedByte(translation_, ch, masked_);
}

Color TCustomQDHexEditor::Resolve(Color c) const {
  if (IsSystemColor(c)) return host_->ResolveSystemColor(static_cast<int>(c & ~kSystemColorFlag)) & 0xFFFFFFU;
  return c & 0xFFFFFFU;
}

void TCustomQDHexEditor::SetDropTarget(int col, GridRow row) {
  dropTarget_ = col < 0 ? Cell{-1, -1} : Cell{col, row};
  Host().Invalidate();
}

CellView TCustomQDHexEditor::GetCellView(int col, GridRow row, bool focused) {
  CellView v;
  const int separator = SeparatorColumn(bytesPerRow_);
  v.gridBottom = drawGridLines_;
  v.gridRight = drawGridLines_ && col == ColCount() - 1;
  v.gridColor = Resolve(colors_.Grid);
  v.dropMark = dropTarget_ == Cell{col, row};
  if (row <= 1) {
    FillRulerCell(v, col, row);
  } else if (col == 0) {
    FillGutterCell(v, row);
  } else if (col == 1 || col == separator) {
    v.kind = col == 1 ? CellKind::kSpacer : CellKind::kSeparator;
    v.fill = v.textBackground = Resolve(colors_.Background);
  } else {
    FillDataCell(v, col, row, focused);
    FillCaretFrame(v, col, row, focused);
  }
  return v;
}

void TCustomQDHexEditor::FillRulerCell(CellView& v, int col, GridRow row) const {
  const int separator = SeparatorColumn(bytesPerRow_);
  v.kind = col < 2 ? CellKind::kRulerFixed : CellKind::kRuler;
  v.fill = v.textBackground = Resolve(colors_.OffsetBackground);
  v.textColor = Resolve(colors_.Offset);
  if (row != 0 || col < 2) return;
  if (col == caret_.col) {
    v.textBackground = Resolve(colors_.CurrentOffsetBackground);
    v.textColor = Resolve(colors_.CurrentOffset);
  }
  if (col < separator) {
    const auto i = static_cast<std::size_t>(col - 2);
    if (i < hexRuler_.size()) v.text = hexRuler_.substr(i, 1);
  } else if (col == separator) {
    v.text = "  ";
  } else {
    const auto i = static_cast<std::size_t>(col - FirstCharColumn(bytesPerRow_));
    if (i < charRuler_.size()) v.text = charRuler_.substr(i, 1);
  }
}

void TCustomQDHexEditor::FillGutterCell(CellView& v, GridRow row) {
  v.kind = CellKind::kGutter;
  v.align = TextAlign::kRight;
  v.text = GetOffsetText(CellToPosition(2, row, bytesPerRow_, false).pos);
  const bool current = row == caret_.row;
  v.fill = Resolve(colors_.OffsetBackground);
  v.textBackground = Resolve(current ? colors_.CurrentOffsetBackground : colors_.OffsetBackground);
  v.textColor = Resolve(current ? colors_.CurrentOffset : colors_.Offset);
  for (int i = 0; i < kBookmarkCount; ++i) {
    const Bookmark& b = bookmarks_[static_cast<std::size_t>(i)];
    if (b.pos >= 0 && RowOfPosition(b.pos, bytesPerRow_) == row) v.bookmarkIcons.push_back(i + (b.inCharField ? 10 : 0));
  }
}

void TCustomQDHexEditor::FillDataCell(CellView& v, int col, GridRow row, bool focused) const {
  static constexpr char kUpperDigits[] = "0123456789ABCDEF";
  static constexpr char kLowerDigits[] = "0123456789abcdef";
  const int bpr = bytesPerRow_;
  const bool charField = col > SeparatorColumn(bpr);
  v.kind = charField ? CellKind::kChar : CellKind::kHex;
  const bool active = charField == CaretInCharField();
  const bool edgeColumn = col == LastNibbleColumn(bpr) || col == ColCount() - 1;
  v.fill = Resolve(active && !edgeColumn ? colors_.ActiveFieldBackground : colors_.Background);
  v.textBackground = Resolve(active ? colors_.ActiveFieldBackground : colors_.Background);
  if (charField) {
    v.textColor = Resolve(fontColor_);
  } else {
    v.textColor = Resolve(((col - 2) / (2 * bytesPerColumn_)) % 2 == 0 ? colors_.OddColumn : colors_.EvenColumn);
  }

  const std::int64_t p = CellToPosition(col, row, bpr, unicodeChars_).pos;
  const std::int64_t size = DataSize();
  if (p >= size) return;
  v.hasChar = true;
  const std::uint8_t b = GetByte(p);
  if (!charField) {
    const bool high = (col - 2) % 2 == (swapNibbles_ ? 1 : 0);
    const int nibble = high ? b >> 4 : b & 0x0F;
    v.ch = static_cast<std::uint16_t>((hexLowerCase_ ? kLowerDigits : kUpperDigits)[nibble]);
  } else if (unicodeChars_) {
    const std::uint8_t next = p + 1 < size ? GetByte(p + 1) : 0;
    const std::uint16_t value = unicodeBigEndian_ ? static_cast<std::uint16_t>((b << 8) | next)
                                                  : static_cast<std::uint16_t>((next << 8) | b);
    v.ch = value < 256 && masked_.test(value) ? maskChar_ : value;
  } else {
    v.ch = DisplayChar(b);
    v.ansiChar = true;
  }
  v.changed = HasChangeMark(p) || (unicodeChars_ && charField && HasChangeMark(p + 1));
  if (v.changed) {
    v.textColor = Resolve(colors_.ChangedText);
    v.textBackground = Resolve(colors_.ChangedBackground);
  }
  const bool inSelection = [&] {
    if (selAnchor_ < 0) return false;
    if (p >= selStart_ && p <= selEnd_) return true;
    return unicodeChars_ && charField && p + 1 >= selStart_ && p + 1 <= selEnd_;
  }();
  v.selected = inSelection;
  if (inSelection && (focused || !hideSelection_)) {
    const bool grey = !focused && graySelectionIfNotFocused_;
    const auto paint = [grey](Color c) { return grey ? GrayColor(InvertColor(c)) : InvertColor(c); };
    v.textColor = paint(v.textColor);
    v.textBackground = paint(v.textBackground);
    if (!edgeColumn && p != selEnd_) v.fill = paint(v.fill);
  }
}

void TCustomQDHexEditor::FillCaretFrame(CellView& v, int col, GridRow row, bool focused) const {
  const int bpr = bytesPerRow_;
  const bool charField = col > SeparatorColumn(bpr);
  if (focused && row == caret_.row) {
    if (CaretInCharField() && !charField) {
      if (col == PositionToCell(CaretPosition(), bpr, unicodeChars_, false).col) {
        v.frame = focusFrame_ ? FrameKind::kFocusRect : FrameKind::kColored;
        v.frameColor = Resolve(colors_.CursorFrame);
        v.frameSpan = unicodeChars_ ? 4 : 2;
      }
    } else if (!CaretInCharField() && charField && col == OtherFieldColumn(caret_.col, bpr, unicodeChars_)) {
      v.frame = focusFrame_ ? FrameKind::kFocusRect : FrameKind::kColored;
      v.frameColor = Resolve(colors_.CursorFrame);
      v.frameSpan = 1;
    }
  } else if (!focused && showPositionIfNotFocused_ && Cell{col, row} == caret_) {
    v.frame = focusFrame_ ? FrameKind::kFocusRect : FrameKind::kColored;
    v.frameColor = Resolve(colors_.NonFocusCursorFrame);
    v.frameSpan = 1;
  }
}

}  // namespace hexed
