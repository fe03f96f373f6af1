// The hex editor model: one file's bytes in memory, shown as a grid of
// offsets, nibbles and characters, with overwrite and insert editing, change
// marks, bookmarks and undo with one redo step. It owns no window: the control
// feeds it key codes, characters, cells and the font's metrics, and draws what
// it reports.
//
// The class spans several files by concern: editor_data.cpp (buffer, load,
// save, bookmarks), editor_undo.cpp, editor_layout.cpp (appearance, geometry,
// cells), editor_caret.cpp (caret and selection), editor_editing.cpp,
// key_handling.cpp and mouse_handling.cpp.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "hexeditor/view/cell_view.h"
#include "hexeditor/model/change_ranges.h"
#include "hexeditor/view/colors.h"
#include "hexeditor/model/data_buffer.h"
#include "hexeditor/editor/editor_host.h"
#include "hexeditor/view/grid_layout.h"
#include "hexeditor/editor/key_codes.h"
#include "hexeditor/editor/print_options.h"
#include "hexeditor/view/offset_format.h"
#include "hexeditor/view/translations.h"
#include "hexeditor/model/undo_record.h"
#include "hexeditor/model/undo_storage.h"

namespace hexed {

enum TQDHProgressKind { pkLoad, pkSave, pkFind };
enum TQDHCaretKind { ckAuto, ckFull, ckLeft, ckBottom };

// Progress of load and save: kind, name, percent 0 ... 100, set cancel to stop.
using TQDHProgressEvent = std::function<void(TQDHProgressKind kind, const std::string& name, int percent, bool& cancel)>;
// Supplies the gutter text for an offset.
using TQDHGetOffsetTextEvent = std::function<void(std::int64_t number, std::string& offsetText)>;
using TNotifyEvent = std::function<void()>;
// Runs before the editor handles a key; setting key to 0 stops it.
using TKeyEvent = std::function<void(int& key, ShiftState shift)>;
// Runs before the editor handles a character; it may change it (0 stops).
using TKeyPressEvent = std::function<void(char16_t& ch)>;

inline constexpr int kBookmarkCount = 10;
// The redo block keeps each bookmark as 10 bytes (position, field flag, pad)
// and the selection after them.
inline constexpr int kBookmarkRecordSize = 10;
inline constexpr int kBookmarkBytes = kBookmarkRecordSize * kBookmarkCount;
inline constexpr int kRedoTrailerSize = kBookmarkBytes + undo::kSelectionSize;
inline constexpr std::int32_t kDefaultMaxUndo = 1048576;
// Saves write chunks of this size, and report a percent step before each.
inline constexpr std::size_t kSaveChunkSize = std::size_t{16} << 20;

struct Bookmark {
  std::int64_t pos = -1;  // -1 = unset
  bool inCharField = false;
  bool operator==(const Bookmark&) const = default;
};

// The caret bitmap: cw wide, row height - 2 high, black, with the white part
// that the system caret inverts.
struct CaretShape {
  int width = 0;
  int height = 0;
  int whiteLeft = 0;
  int whiteTop = 0;
  int whiteWidth = 0;
  int whiteHeight = 0;
};

// A point inside a cell as the control hit it: rightHalf tells whether the
// point lies in the right half of the cell (insert-mode hit adjustment).
struct CellHit {
  int col = 0;
  GridRow row = 0;
  bool rightHalf = false;
};

enum class MouseCursor { kArrow, kTextBeam };

class TCustomQDHexEditor {
 public:
  TCustomQDHexEditor();
  virtual ~TCustomQDHexEditor();
  TCustomQDHexEditor(const TCustomQDHexEditor&) = delete;
  TCustomQDHexEditor& operator=(const TCustomQDHexEditor&) = delete;

  // The control that shows the editor (may be null).
  void SetHost(HexEditorHost* host) { host_ = host != nullptr ? host : &nullHost_; }

  // --- Events -------------------------------------------------------------
  TNotifyEvent OnChange;            // after every data change
  TNotifyEvent OnSelectionChanged;  // coalesced, see DeliverSelectionChanged
  TNotifyEvent OnBookmarkChanged;
  TNotifyEvent OnInvalidKey;        // a typed character was refused
  TNotifyEvent OnTopLeftChanged;    // the view scrolled
  TQDHProgressEvent OnProgress;
  TQDHGetOffsetTextEvent OnGetOffsetText;
  TKeyEvent OnKeyDown;
  TKeyPressEvent OnKeyPress;

  // --- Data buffer (no undo, no marks) --------------------------------------
  std::int64_t DataSize() const { return data_.Size(); }
  std::uint8_t GetByte(std::int64_t pos) const;
  void SetByte(std::int64_t pos, std::uint8_t b);  // fires OnChange
  void ReadBytes(void* dest, std::int64_t pos, std::int64_t n) const;
  // n bytes from pos as a vector (bounds-checked).
  std::vector<std::uint8_t> BytesAt(std::int64_t pos, std::int64_t n) const;
  void WriteBytes(const void* src, std::int64_t pos, std::int64_t n);  // fires OnChange
  // Overlapping-safe move inside the buffer.
  void MoveBytes(std::int64_t from, std::int64_t to, std::int64_t n);
  // Grows by n and writes src (zeros when null) at the old end; an empty
  // buffer first loses its change marks.
  void AppendBytes(const void* src, std::int64_t n);
  // Grows by n, moves the bytes from pos up by n and writes src (zeros when null).
  void InsertBytes(const void* src, std::int64_t n, std::int64_t pos);
  // Removes [from, to), places the caret and clears the selection.
  void DeleteBytes(std::int64_t from, std::int64_t to);
  // Nibble shifts (see nibble_shift.h); insert grows the buffer by one byte.
  void InsertNibble(std::int64_t pos, bool high);
  void DeleteNibble(std::int64_t pos, bool high);

  // --- File -----------------------------------------------------------------
  const std::filesystem::path& FileName() const { return fileName_; }
  void SetFileName(const std::filesystem::path& name) { fileName_ = name; }
  bool Modified() const { return modified_; }
  void SetModified(bool on) { modified_ = on; }
  // Set when the file cannot be opened for writing or there is no disk file.
  bool ReadOnlyFile() const { return readOnlyFile_; }
  // Empty buffer named name ("Untitled" when empty).
  void NewFile(const std::filesystem::path& name = {});
  // Shows a file of any size, reading only what is looked at; throws
  // FileError, OutOfMemoryError or EQDHexEditor (cancelled). The current data
  // stays when the file cannot be opened.
  void LoadFile(const std::filesystem::path& name);
  // Replaces the buffer with the whole content of a stream.
  void LoadData(std::istream& in);
  // Writes the buffer to a file through a temporary file beside it; with
  // markSaved it becomes the editor's file. The file may be the one shown; a
  // failed or cancelled save leaves it as it was.
  void SaveFile(const std::filesystem::path& name, bool markSaved);
  // Writes the whole buffer to a stream at its current position.
  void SaveData(std::ostream& out) const;
  // Called by SaveFile before overwriting FileName: refuses read-only files.
  virtual void CheckOverwrite();

  // --- Change marks ---------------------------------------------------------
  // True when the byte carries a change mark (never in insert mode).
  bool HasChangeMark(std::int64_t pos) const { return !InsertMode() && marks_.Get(pos); }

  // --- Undo -----------------------------------------------------------------
  std::int32_t MaxUndo() const { return maxUndo_; }
  void SetMaxUndo(std::int32_t bytes) { maxUndo_ = bytes; }
  // Records a change before it is made; throws "Cannot update undo storage"
  // when CanRecordUndo refuses. Sets Modified.
  void RecordUndo(UndoKind kind, std::int64_t pos, std::string_view description, std::int64_t replacedCount,
                  std::int64_t count);
  virtual bool CanRecordUndo(UndoKind kind, std::int64_t count, std::int64_t replacedCount) const;
  // While suspended nothing is recorded and edits do not move the bookmarks.
  void SuspendUndo() { undo_.Suspend(); }
  void ResumeUndo() { undo_.Resume(); }
  // Groups the previous count records into one undo step.
  void GroupUndo(std::int32_t count, std::string_view description);
  void Undo();
  void Redo();
  bool CanUndo() const;
  bool CanRedo() const;
  void ClearUndo() { undo_.Clear(); }
  // Description of the record that Undo would revert.
  const std::string& UndoDescription() const { return undo_.Description(); }
  const TQDHUndoStorage& UndoStorage() const { return undo_; }

  // --- Bookmarks ------------------------------------------------------------
  Bookmark GetBookmark(int index) const;
  // Sets bookmark index (0 ... 9); the same position and field again clears it.
  void SetBookmark(int index, std::int64_t pos, bool inCharField);
  void GotoBookmark(int index);
  // Moves every bookmark at or after from by delta; one beyond the data is cleared.
  void AdjustBookmarks(std::int64_t from, std::int64_t delta);

  // --- Appearance -------------------------------------------------------------
  int BytesPerRow() const { return bytesPerRow_; }
  void SetBytesPerRow(int v);  // ignored while AutoBytesPerRow
  bool AutoBytesPerRow() const { return autoBytesPerRow_; }
  void SetAutoBytesPerRow(bool on);
  int BytesPerColumn() const { return bytesPerColumn_; }
  void SetBytesPerColumn(int v);
  int BytesPerBlock() const { return bytesPerBlock_; }
  void SetBytesPerBlock(int v);
  bool SeparateBlocksInCharField() const { return separateBlocksInCharField_; }
  void SetSeparateBlocksInCharField(bool on);
  int BytesPerUnit() const { return bytesPerUnit_; }
  void SetBytesPerUnit(int v);
  int RulerBytesPerUnit() const { return rulerBytesPerUnit_; }
  void SetRulerBytesPerUnit(int v);
  // RulerBytesPerUnit, or BytesPerUnit when that is -1.
  int RulerUnit() const { return rulerBytesPerUnit_ != -1 ? rulerBytesPerUnit_ : bytesPerUnit_; }
  int RulerNumberBase() const { return rulerNumberBase_; }
  void SetRulerNumberBase(int base);
  bool ShowRuler() const { return showRuler_; }
  void SetShowRuler(bool on);
  const std::string& OffsetFormatText() const { return offsetFormat_.text; }
  // Parses and applies a format; an invalid one raises and the old one stays.
  void SetOffsetFormat(std::string_view text);
  const hexed::OffsetFormat& OffsetFormatRecord() const { return offsetFormat_; }
  bool HexLowerCase() const { return hexLowerCase_; }
  void SetHexLowerCase(bool on);
  bool SwapNibbles() const { return swapNibbles_; }
  void SetSwapNibbles(bool on);
  TQDHTranslationKind Translation() const { return translation_; }
  void SetTranslation(TQDHTranslationKind kind);
  bool UnicodeChars() const { return unicodeChars_; }
  void SetUnicodeChars(bool on);
  bool UnicodeBigEndian() const { return unicodeBigEndian_; }
  void SetUnicodeBigEndian(bool on);
  std::uint8_t MaskChar() const { return maskChar_; }
  void SetMaskChar(std::uint8_t c);
  const ByteSet& MaskedSet() const { return masked_; }
  void SetMaskedSet(const ByteSet& set);
  TQDHCaretKind CaretKind() const { return caretKind_; }
  void SetCaretKind(TQDHCaretKind kind);
  bool FocusFrame() const { return focusFrame_; }
  void SetFocusFrame(bool on);
  bool DrawGridLines() const { return drawGridLines_; }
  void SetDrawGridLines(bool on);
  bool DrawGutter3D() const { return drawGutter3D_; }
  void SetDrawGutter3D(bool on);
  int GutterWidth() const { return gutterWidth_; }
  void SetGutterWidth(int pixels);  // -1 = computed
  bool ShowPositionIfNotFocused() const { return showPositionIfNotFocused_; }
  void SetShowPositionIfNotFocused(bool on);
  bool HideSelection() const { return hideSelection_; }
  void SetHideSelection(bool on);
  bool GraySelectionIfNotFocused() const { return graySelectionIfNotFocused_; }
  void SetGraySelectionIfNotFocused(bool on);
  // Refuses a bookmark icon strip that is not 200 × 10 pixels.
  static void CheckBookmarkBitmap(int width, int height);
  const TQDHColors& Colors() const { return colors_; }
  void SetColors(const TQDHColors& colors);
  // The cell font (the control measures it and calls SetCharMetrics).
  const std::string& FontName() const { return fontName_; }
  int FontSize() const { return fontSize_; }
  void SetFont(const std::string& name, int size);
  Color FontColor() const { return fontColor_; }
  void SetFontColor(Color c);

  // --- Print settings (stored only) ---------------------------------------------
  const TQDHPrintOptions& PrintOptions() const { return printOptions_; }
  void SetPrintOptions(const TQDHPrintOptions& options) { printOptions_ = options; }
  // While UseEditorFontForPrinting, the print font is the editor's font;
  // assigning a print font turns that off.
  bool UseEditorFontForPrinting() const { return useEditorFontForPrinting_; }
  void SetUseEditorFontForPrinting(bool on) { useEditorFontForPrinting_ = on; }
  TQDHFontSpec PrintFont() const;
  void SetPrintFont(const TQDHFontSpec& font);

  // --- Editing state --------------------------------------------------------
  // True only while the stored flag is set and insertion is allowed.
  bool InsertMode() const { return insertMode_ && InsertionAllowed(); }
  void SetInsertMode(bool on);
  bool AllowInsertMode() const { return allowInsertMode_; }
  void SetAllowInsertMode(bool on);
  bool NoSizeChange() const { return noSizeChange_; }
  void SetNoSizeChange(bool on);
  bool ReadOnlyView() const { return readOnlyView_; }
  void SetReadOnlyView(bool on);
  bool WantTabs() const { return wantTabs_; }
  void SetWantTabs(bool on) { wantTabs_ = on; }
  bool ZoomOnWheel() const { return zoomOnWheel_; }
  void SetZoomOnWheel(bool on) { zoomOnWheel_ = on; }
  bool InsertionAllowed() const { return allowInsertMode_ && !readOnlyView_ && !noSizeChange_; }

  // --- Caret and selection --------------------------------------------------
  Cell Caret() const { return caret_; }
  // Byte position of the caret cell.
  std::int64_t CaretPosition() const;
  bool CaretInCharField() const { return caret_.col > SeparatorColumn(bytesPerRow_); }
  // The caret stands on the second nibble column of its byte.
  bool CaretOnSecondNibble() const { return !CaretInCharField() && (caret_.col - 2) % 2 == 1; }
  // Puts the caret on a byte in a field (no cell check).
  void SetCaretPosition(std::int64_t pos, bool charField, bool secondNibble = false);
  bool SelectionMode() const { return selectionMode_; }
  void SetSelectionMode(bool on) { selectionMode_ = on; }
  std::int64_t SelectionAnchor() const { return selAnchor_; }
  std::int64_t ExtensionAnchor() const { return extensionAnchor_; }
  // Selection start, or the caret position when nothing is selected.
  std::int64_t SelStart() const;
  // Selection end, -1 when nothing is selected.
  std::int64_t SelEnd() const { return selAnchor_ >= 0 ? selEnd_ : -1; }
  std::int64_t SelCount() const { return selAnchor_ >= 0 ? selEnd_ - selStart_ + 1 : 0; }
  void SetSelStart(std::int64_t v);
  void SetSelEnd(std::int64_t v);
  // Selects from ... to, widened to whole units.
  void SetSelection(std::int64_t from, std::int64_t to);
  void ClearSelection();
  void SelectAll();
  // Caret to an offset from the start (0), the caret (1) or the last byte (2).
  std::int64_t Seek(std::int64_t offset, int origin);
  // The selected bytes.
  std::vector<std::uint8_t> SelectedBytes() const;

  // --- Editing operations (each records undo first) ---------------------------
  void ChangeByte(std::int64_t pos, std::uint8_t oldByte, std::uint8_t newByte, std::string_view description = {});
  // oldWord / newWord hold the two bytes at pos, the byte at pos in the low half.
  void ChangeWord(std::int64_t pos, std::uint16_t oldWord, std::uint16_t newWord, std::string_view description = {});
  void InsertBuffer(const void* data, std::int64_t n, std::int64_t pos, bool moveCaret,
                    std::string_view description = {});
  void AppendBuffer(const void* data, std::int64_t n, bool moveCaret, std::string_view description = {});
  void ReplaceSelection(const void* data, std::int64_t n, bool moveCaret, std::string_view description = {});
  void DeleteSelection(std::string_view description = {});
  // Backspace in insert mode (backward) or the Delete key (forward).
  void DeleteUnit(bool backward);
  // Applies bytes taken from the clipboard or a drop: moves the caret to the
  // start of its unit, with NoSizeChange overwrites, then ReplaceSelection.
  void PasteBytes(const void* data, std::int64_t n, std::string_view description);
  // Runs a change of several steps as one: when a step fails, the steps made
  // before it are reverted from their undo records, and the buffer, the undo
  // storage, change marks, Modified, selection, caret, bookmarks and
  // NoSizeChange are as they were before; the error propagates. (While the
  // undo storage is suspended nothing is recorded, so only the state is put
  // back.)
  void ChangeAtomically(const std::function<void()>& steps);
  // The last byte an overwrite of n bytes from `from` reaches (not beyond
  // the last byte; the sum is taken in 64 bits).
  std::int64_t LastOverwritten(std::int64_t from, std::int64_t n) const;
  // Bytes the buffer can still take.
  std::int64_t RoomLeft() const { return TQDHMemoryStream::MaxSize() - DataSize(); }

  // Clipboard commands of the key table; the extended editor supplies them.
  bool CanCopy() const { return DataSize() > 0 && SelCount() > 0; }
  bool CanCut() const { return CanCopy() && !readOnlyView_ && !noSizeChange_; }
  virtual bool CanPaste() const { return false; }
  virtual void CopyToClipboard() {}
  virtual void CutToClipboard() {}
  virtual void PasteFromClipboard() {}

  // --- Keyboard and mouse -------------------------------------------------------
  // A key went down with the held modifiers.
  void KeyDown(int key, ShiftState shift);
  // A character was typed. Outside Unicode mode the character field takes
  // 8-bit characters of the ANSI code page (higher codes are refused).
  void KeyPress(char16_t ch);
  void MouseDown(MouseButton button, ShiftState shift, CellHit hit, bool doubleClick = false);
  void MouseMove(ShiftState shift, CellHit hit);
  void MouseUp(MouseButton button, ShiftState shift, CellHit hit);
  // One wheel step down (true) or up, with the held modifiers. Ctrl+wheel to
  // an odd row width in Unicode mode raises "Invalid bytes per line argument".
  void MouseWheel(bool down, ShiftState shift);
  // The cell a mouse point stands for after the insert-mode hit adjustment.
  Cell AdjustHit(CellHit hit) const;
  // The auto-scroll timer may run while selecting at this point.
  bool MayAutoScroll(CellHit hit) const;
  MouseCursor CursorAt(CellHit hit, ShiftState shift) const;
  // Moves the caret to a cell through the cell check; false when refused.
  bool FocusCell(int col, GridRow row, ShiftState shift);

  // --- Geometry -----------------------------------------------------------------
  // Width of "w" and height of "yY" in the cell font, in pixels.
  void SetCharMetrics(int charWidth, int textHeight);
  int CharWidth() const { return charWidth_; }
  // The control's client size; a resize also recomputes automatic bytes per row.
  void SetClientSize(int width, int height);
  int ColCount() const { return ColumnCount(bytesPerRow_, unicodeChars_); }
  GridRow RowCount() const { return hexed::RowCount(DataSize(), bytesPerRow_, InsertMode()); }
  int ColWidth(int col) const;
  int RowHeight(GridRow row) const;
  int DefaultRowHeight() const { return textHeight_ + 2; }
  GridRow TopRow() const { return topRow_; }
  void SetTopRow(GridRow row);
  int LeftCol() const { return leftCol_; }
  void SetLeftCol(int col);
  // Data rows that fit in the client area (at least 1).
  int VisibleRowCount() const;
  GridRow LastVisibleRow() const;
  // Scrolls so that the caret cell is visible.
  void ScrollCaretIntoView();
  // Left, top, right, bottom of a cell in client pixels (the cell may be off-view).
  std::array<int, 4> CellRect(int col, GridRow row) const;
  // The cell at a client point, with the half it lies in; col -1 when outside.
  CellHit HitTest(int x, int y) const;
  // Where the system caret goes: the caret cell's top-left, or (-50, -50).
  std::array<int, 2> CaretPoint() const;
  CaretShape GetCaretShape() const;
  // The caret kind in effect (ckAuto resolved).
  TQDHCaretKind EffectiveCaretKind() const;

  // --- Display --------------------------------------------------------------------
  // Recomputes the character width dependent widths, row heights and gutter width.
  void AdjustMetrics();
  // Gutter text for a byte position.
  virtual std::string GetOffsetText(std::int64_t pos);
  // The hex and character ruler strings.
  const std::string& HexRulerText() const { return hexRuler_; }
  const std::string& CharRulerText() const { return charRuler_; }
  void UpdateRuler();
  // The 8-bit character shown for a data byte / the byte for a typed character.
  std::uint8_t DisplayChar(std::uint8_t b) const;
  std::optional<std::uint8_t> TypedByte(std::uint8_t ch) const;
  // Everything a painter needs for one cell.
  CellView GetCellView(int col, GridRow row, bool focused);
  // Marks the cell a drag-and-drop points at (col -1 clears it).
  void SetDropTarget(int col, GridRow row);

  // --- Notifications ----------------------------------------------------------------
  // Handler of the private message posted for selection changes.
  void DeliverSelectionChanged();
  // While loading from a stored form nothing is posted.
  void SetLoadingFromForm(bool on) { loadingFromForm_ = on; }

 protected:
  // Shows the busy cursor for its lifetime, also when an error leaves the
  // scope; nested uses keep it until the outermost ends.
  class BusyCursor {
   public:
    explicit BusyCursor(TCustomQDHexEditor& editor) : editor_(editor) {
      if (editor_.busyDepth_++ == 0) editor_.Host().SetBusyCursor(true);
    }
    ~BusyCursor() {
      if (--editor_.busyDepth_ == 0) editor_.Host().SetBusyCursor(false);
    }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;

   private:
    TCustomQDHexEditor& editor_;
  };

  HexEditorHost& Host() const { return *host_; }
  void FireChange();
  void NotifySelectionChanged();
  // Gives the host a notice of a message and raises nothing.
  void ShowMessage(const std::string& text) { host_->ShowMessage(text); }
  // Set by CheckOverwrite: where SaveFile moves the old file, empty for none.
  void SetSaveBackup(const std::filesystem::path& path) { saveBackup_ = path; }

 private:
  // The editor fields a failed change puts back, named once for saving them
  // and for putting them back.
  template <class Self>
  static auto RestorableFields(Self& e) {
    return std::tie(e.marks_, e.bookmarks_, e.modified_, e.noSizeChange_, e.caret_, e.selStart_, e.selEnd_,
                    e.selAnchor_, e.extensionAnchor_, e.selectionMode_, e.topRow_, e.leftCol_);
  }
  // What ChangeAtomically puts back when a step fails.
  struct StateRestore {
    std::size_t undoSize = 0;
    std::int32_t undoCount = 0;
    std::string undoDescription;
    std::tuple<ChangeRanges, std::array<Bookmark, kBookmarkCount>, bool, bool, Cell, std::int64_t, std::int64_t,
               std::int64_t, std::int64_t, bool, GridRow, int>
        fields;
  };

  // editor_data.cpp
  // OnProgress; false when it cancels.
  bool ReportProgress(TQDHProgressKind kind, const std::string& name, int percent);
  void ResetAfterLoad();
  // Caret to the first cell, view to the top left, layout and OnChange.
  void ResetCaretAndView();
  void EmptyBufferAndUndo();
  void AdjustBookmarksWithin(std::int64_t from, std::int64_t delta, std::int64_t limit);

  // editor_undo.cpp
  // Checks the range a record saves and returns the length of its data.
  std::int64_t CheckedDataLength(UndoKind kind, std::int64_t pos, std::int64_t replacedCount,
                                 std::int64_t count) const;
  void AppendRecord(UndoKind kind, std::int64_t pos, std::string_view description, std::int64_t replacedCount,
                    std::int64_t count, std::int64_t dataLength);
  // Removes [from, to) without placing the caret or touching the selection.
  void RemoveBytesRaw(std::int64_t from, std::int64_t to);
  std::int32_t StateFlags() const;
  void BuildRedoRecord(const undo::RecordHead& head, UndoKind kind);
  void RevertRecord(const std::uint8_t* record, const undo::RecordHead& head, UndoKind kind);
  // Puts the n bytes a record keeps (as bytes or held pieces) in place of
  // [pos, pos + eraseSize), in one step.
  void PutSaved(const std::uint8_t* saved, std::int32_t flags, std::int64_t pos, std::int64_t eraseSize,
                std::int64_t n);
  // The buffer size a change of this kind leaves.
  std::int64_t SizeAfter(UndoKind kind, std::int64_t replacedCount, std::int64_t count) const;
  // What a new record discards once its change is complete: the redo and
  // last-undone records and the oldest records over the budget.
  void SettleUndo(std::size_t newestRecordSize);

  // editor_rollback.cpp
  StateRestore SaveState() const;
  // Reverts the records appended since `saved` newest first and puts back
  // the state it holds.
  void RollBack(StateRestore& saved);
  void RestoreState(std::int32_t flags, std::int64_t caret, std::uint8_t translation, std::int32_t bytesPerUnit,
                    bool hasSelection, std::int64_t selStart, std::int64_t selEnd, std::int64_t selAnchor);
  std::string RecordDescription(const std::vector<std::uint8_t>& record, const undo::RecordHead& head) const;
  void RefreshStorageDescription();

  // editor_layout.cpp
  void SyncOffsetUnit();
  void RecalcAutoBytesPerRow();
  void ApplyBytesPerRow(int v);
  void LayoutChanged();
  Color Resolve(Color c) const;
  // Parts of GetCellView.
  void FillRulerCell(CellView& v, int col, GridRow row) const;
  void FillGutterCell(CellView& v, GridRow row);
  void FillDataCell(CellView& v, int col, GridRow row, bool focused) const;
  void FillCaretFrame(CellView& v, int col, GridRow row, bool focused) const;
  int LastFullyVisibleCol() const;

  // editor_caret.cpp
  void SetCaretCell(Cell cell);
  std::int64_t LastCaretPosition() const;
  void PlaceCaretAfterDelete();
  void ClampCaretToGrid();
  void ExtendSelection(std::int64_t oldPos, std::int64_t newPos);
  void StepBack(ShiftState shift);
  void StepForward(ShiftState shift);
  std::int64_t UnitFloor(std::int64_t pos) const { return pos - pos % bytesPerUnit_; }
  void SetSelectionRaw(std::int64_t start, std::int64_t end, std::int64_t anchor);

  // key_handling.cpp
  // Caret keys of the key table; false for any other key.
  bool MoveKey(int key, ShiftState shift);
  // Editing, selection, clipboard, undo and bookmark keys.
  void CommandKey(int key, ShiftState shift);
  // The bytes a character typed into the character field stores, after the
  // translation; empty when it cannot be typed.
  std::optional<std::string> TypedBytes(char16_t ch) const;
  void TypeInCharField(char16_t ch);
  void TypeInHexField(int digit);
  void SwitchField(ShiftState shift);

  HexEditorHost nullHost_;
  HexEditorHost* host_ = &nullHost_;

  TQDHMemoryStream data_;
  ChangeRanges marks_;
  TQDHUndoStorage undo_;
  std::filesystem::path fileName_;
  std::filesystem::path saveBackup_;
  bool readOnlyFile_ = true;
  bool modified_ = false;
  std::int32_t maxUndo_ = kDefaultMaxUndo;
  std::array<Bookmark, kBookmarkCount> bookmarks_{};
  int busyDepth_ = 0;
  // Depth of ChangeAtomically calls running.
  int changeDepth_ = 0;

  // appearance
  int bytesPerRow_ = 16;
  bool autoBytesPerRow_ = false;
  int bytesPerColumn_ = 2;
  int bytesPerBlock_ = -1;
  bool separateBlocksInCharField_ = true;
  int bytesPerUnit_ = 1;
  int rulerBytesPerUnit_ = -1;
  int rulerNumberBase_ = 16;
  bool showRuler_ = false;
  hexed::OffsetFormat offsetFormat_;
  TQDHPrintOptions printOptions_;
  TQDHFontSpec printFont_;
  bool useEditorFontForPrinting_ = true;
  bool hexLowerCase_ = false;
  bool swapNibbles_ = false;
  TQDHTranslationKind translation_ = tkAsIs;
  bool unicodeChars_ = false;
  bool unicodeBigEndian_ = false;
  std::uint8_t maskChar_ = '.';
  ByteSet masked_ = DefaultMaskedSet();
  TQDHCaretKind caretKind_ = ckAuto;
  bool focusFrame_ = true;
  bool drawGridLines_ = false;
  bool drawGutter3D_ = true;
  int gutterWidth_ = -1;
  bool showPositionIfNotFocused_ = false;
  bool hideSelection_ = false;
  bool graySelectionIfNotFocused_ = false;
  TQDHColors colors_;
  std::string fontName_ = "Courier New";
  int fontSize_ = 11;
  Color fontColor_ = SystemColor(kSysWindowText);
  std::string hexRuler_;
  std::string charRuler_;
  std::vector<int> colWidths_;
  int gutterPixels_ = 0;
  bool inGetOffsetText_ = false;

  // geometry
  int charWidth_ = 8;
  int textHeight_ = 14;
  int clientWidth_ = 0;
  int clientHeight_ = 0;
  GridRow topRow_ = 2;
  int leftCol_ = 2;
  Cell dropTarget_{-1, -1};

  // editing state
  bool insertMode_ = false;
  bool allowInsertMode_ = true;
  bool noSizeChange_ = false;
  bool readOnlyView_ = false;
  bool wantTabs_ = true;
  bool zoomOnWheel_ = true;
  Cell caret_{2, 2};
  bool selectionMode_ = false;
  std::int64_t selStart_ = -1;
  std::int64_t selEnd_ = -1;
  std::int64_t selAnchor_ = -1;
  std::int64_t extensionAnchor_ = -1;

  // mouse
  bool mouseSelecting_ = false;
  bool pressedOnSelection_ = false;
  Cell pressedCell_{-1, -1};

  // notifications
  int selectionChangeCount_ = 0;
  bool loadingFromForm_ = false;
};

}  // namespace hexed
