// The editor's OLE side under Wine: the data object's formats and
// refusals, the "Select data format" dialog, and drops on the registered
// drop target, including a real drag of the selection within one editor.
#include <windows.h>
#include <ole2.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "hexeditor/errors.h"
#include "hexeditor/model/allocation_limits.h"
#include "hexeditor/win32/ole/hex_data_object.h"
#include "hexeditor/win32/hex_view_window.h"
#include "hexeditor/win32/ole/ole_formats.h"
#include "tests/win/format_dialog_answer.h"
#include "tests/win/window_fixture.h"

namespace {

// The first n bytes of the editor's data as text.
[[maybe_unused]] std::string EditorText(const hexed::TCustomQDHexEditor& e, std::int64_t n) {
  const std::vector<std::uint8_t> bytes = e.BytesAt(0, n);
  return std::string(bytes.begin(), bytes.end());
}

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

Bytes Take(IDataObject* data, CLIPFORMAT cf, LONG index = -1) {
  FORMATETC etc{cf, nullptr, DVASPECT_CONTENT, index, TYMED_HGLOBAL};
  STGMEDIUM m{};
  if (data->GetData(&etc, &m) != S_OK) return {};
  const auto* p = static_cast<const std::uint8_t*>(GlobalLock(m.hGlobal));
  Bytes out(p, p + GlobalSize(m.hGlobal));
  GlobalUnlock(m.hGlobal);
  ReleaseStgMedium(&m);
  return out;
}

HRESULT Ask(IDataObject* data, CLIPFORMAT cf, DWORD aspect, LONG index, DWORD tymed) {
  FORMATETC etc{cf, nullptr, aspect, index, tymed};
  return data->QueryGetData(&etc);
}

void LoadBytes(hexwin::ClipboardEditor& e, const std::string& bytes) {
  e.NewFile("report.final.txt");
  e.AppendBytes(bytes.data(), static_cast<std::int32_t>(bytes.size()));
}

void PutUnicodeText(const wchar_t* text) {
  ASSERT_TRUE(OpenClipboard(nullptr));
  EmptyClipboard();
  const std::size_t size = (std::wcslen(text) + 1) * sizeof(wchar_t);
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size);
  std::memcpy(GlobalLock(block), text, size);
  GlobalUnlock(block);
  SetClipboardData(CF_UNICODETEXT, block);
  CloseClipboard();
}

TEST(HexDataObject, OffersItsFormatsInOrderAndRefusesTheRest) {
  hexwin::ClipboardEditor e;
  LoadBytes(e, std::string("\x41\x00\x42", 3));
  e.SelectAll();
  IDataObject* data = e.MakeDataObject();
  const hexwin::RegisteredFormats& f = hexwin::Formats();

  IEnumFORMATETC* formats = nullptr;
  ASSERT_EQ(data->EnumFormatEtc(DATADIR_GET, &formats), S_OK);
  std::vector<CLIPFORMAT> order;
  FORMATETC etc;
  while (formats->Next(1, &etc, nullptr) == S_OK) order.push_back(etc.cfFormat);
  formats->Release();
  EXPECT_EQ(order, (std::vector<CLIPFORMAT>{f.privateFormat, CF_TEXT, f.fileGroupDescriptor, f.fileContents,
                                            f.regEditHexData}));
  EXPECT_EQ(data->EnumFormatEtc(DATADIR_SET, &formats), E_NOTIMPL);

  EXPECT_EQ(Take(data, f.privateFormat), (Bytes{'Q', 'D', 'T', 'H', 1, 0, 1, 0, 3, 0, 0, 0, 0x41, 0, 0x42}));
  EXPECT_EQ(Take(data, CF_TEXT), (Bytes{'A', 0}));
  EXPECT_EQ(Take(data, f.fileContents, 7), (Bytes{0x41, 0, 0x42})) << "any index";
  EXPECT_EQ(Take(data, f.regEditHexData, 0), (Bytes{3, 0, 0, 0, 0x41, 0, 0x42}));
  const Bytes group = Take(data, f.fileGroupDescriptor);
  ASSERT_EQ(group.size(), 336u);
  EXPECT_EQ(group[4], 0x60);
  EXPECT_EQ(group[72], 3) << "size low";
  EXPECT_STREQ(reinterpret_cast<const char*>(group.data() + 76), "Dump of report.final.bin");

  EXPECT_EQ(Ask(data, CF_BITMAP, DVASPECT_CONTENT, -1, TYMED_HGLOBAL), DV_E_FORMATETC);
  EXPECT_EQ(Ask(data, CF_TEXT, DVASPECT_ICON, -1, TYMED_HGLOBAL), DV_E_DVASPECT);
  EXPECT_EQ(Ask(data, CF_TEXT, DVASPECT_CONTENT, -1, TYMED_ISTREAM), DV_E_TYMED);
  EXPECT_EQ(Ask(data, f.privateFormat, DVASPECT_CONTENT, 2, TYMED_HGLOBAL), DV_E_LINDEX);

  // Only the drop-effect formats can be set; the object remembers the effect.
  HGLOBAL effect = GlobalAlloc(GMEM_MOVEABLE, sizeof(DWORD));
  *static_cast<DWORD*>(GlobalLock(effect)) = DROPEFFECT_MOVE;
  GlobalUnlock(effect);
  STGMEDIUM m{TYMED_HGLOBAL, {nullptr}, nullptr};
  m.hGlobal = effect;
  FORMATETC set{f.performedDropEffect, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
  FORMATETC other{CF_TEXT, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
  EXPECT_EQ(data->SetData(&other, &m, FALSE), E_NOTIMPL);
  EXPECT_EQ(data->SetData(&set, &m, TRUE), S_OK);
  EXPECT_EQ(static_cast<hexwin::TQDHDataObject*>(data)->PerformedEffect(), static_cast<DWORD>(DROPEFFECT_MOVE));
  data->Release();
}

TEST(HexFormatDialog, ListsTheOfferedFormatsAndStoresTheHexTextBox) {
  hexwin::ClipboardEditor e;
  LoadBytes(e, "xyz");
  e.SetCaretPosition(0, false);
  PutUnicodeText(L"4142");

  wintest::FormatDialogAnswer cancel;  // no pick: cancel
  wintest::AnswerNextFormatDialog(cancel);
  e.PasteFromClipboard();
  ASSERT_TRUE(cancel.shown);
  EXPECT_EQ(cancel.names, (std::vector<std::wstring>{L"Text", L"Unicode Text", L"OEM Text", L"Text Locale"}));
  EXPECT_EQ(e.DataSize(), 3) << "cancelling ends the import";
  EXPECT_FALSE(e.ClipboardAsHexText()) << "a cancelled dialog stores nothing";

  wintest::FormatDialogAnswer unicode;
  unicode.pick = L"Unicode Text";
  unicode.hexText = true;
  wintest::AnswerNextFormatDialog(unicode);
  e.PasteFromClipboard();
  EXPECT_TRUE(e.ClipboardAsHexText());
  EXPECT_EQ(e.DataSize(), 11) << "Unicode text is taken as its bytes, never as hex digits";
  EXPECT_EQ(e.GetByte(0), '4');
  EXPECT_EQ(e.GetByte(1), 0);

  e.ClearSelection();
  wintest::FormatDialogAnswer text;
  text.pick = L"Text";
  text.hexText = true;
  wintest::AnswerNextFormatDialog(text);
  e.PasteFromClipboard();
  EXPECT_TRUE(text.hexTextAtStart);
  EXPECT_EQ(e.DataSize(), 13) << "hex text 4142 gives two bytes";
  EXPECT_EQ(e.UndoDescription(), "Paste from clipboard");
}

TEST(HexClipboard, AnEditorGoingAwayFlushesOrEmptiesItsCopy) {
  for (const bool flush : {true, false}) {
    {
      hexwin::ClipboardEditor e;
      LoadBytes(e, "abc");
      e.SelectAll();
      e.SetFlushClipboardAtShutDown(flush);
      e.CopyToClipboard();
      ASSERT_TRUE(IsClipboardFormatAvailable(hexwin::PrivateClipboardFormat()));
    }
    EXPECT_EQ(IsClipboardFormatAvailable(hexwin::PrivateClipboardFormat()) != FALSE, flush) << flush;
    EXPECT_EQ(IsClipboardFormatAvailable(CF_TEXT) != FALSE, flush) << flush;
  }
}

// Puts `files` on the clipboard as dropped files.
void PutDroppedFiles(const std::vector<fs::path>& files) {
  std::wstring names;
  for (const fs::path& f : files) names += f.wstring() + L'\0';
  names += L'\0';
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DROPFILES) + names.size() * sizeof(wchar_t));
  auto* drop = static_cast<DROPFILES*>(GlobalLock(block));
  drop->pFiles = sizeof(DROPFILES);
  drop->fWide = TRUE;
  std::memcpy(drop + 1, names.data(), names.size() * sizeof(wchar_t));
  GlobalUnlock(block);
  ASSERT_TRUE(OpenClipboard(nullptr));
  EmptyClipboard();
  SetClipboardData(CF_HDROP, block);
  CloseClipboard();
}

class HexImportTest : public wintest::WindowTest {};

TEST_F(HexImportTest, DroppedFilesGiveTheirContentAndABitmapItsFile) {
  const fs::path a = File(L"一.bin"), b = File(L"b.bin");
  wintest::WriteFileBytes(a, "abc");
  wintest::WriteFileBytes(b, "XY");
  PutDroppedFiles({a, b});
  hexwin::ClipboardEditor e;
  LoadBytes(e, "");
  e.PasteFromClipboard();
  ASSERT_EQ(e.DataSize(), 5) << "files come before every other format, without a question";
  EXPECT_EQ(EditorText(e, 5), "abcXY");

  // A 3 × 2 bitmap: the picture saved as a bitmap file.
  HDC screen = GetDC(nullptr);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, 3, 2);
  ReleaseDC(nullptr, screen);
  ASSERT_TRUE(OpenClipboard(nullptr));
  EmptyClipboard();
  SetClipboardData(CF_BITMAP, bitmap);
  CloseClipboard();
  hexwin::ClipboardEditor picture;
  LoadBytes(picture, "");
  wintest::FormatDialogAnswer answer;
  answer.pick = L"Bitmap Picture";
  wintest::AnswerNextFormatDialog(answer);
  picture.PasteFromClipboard();
  EXPECT_TRUE(answer.shown) << "the system adds a device-independent bitmap";
  ASSERT_EQ(picture.DataSize(), 14 + 40 + 2 * 12);
  EXPECT_EQ(picture.GetByte(0), 'B');
  EXPECT_EQ(picture.GetByte(1), 'M');
  EXPECT_EQ(picture.GetByte(18), 3) << "width";
}

// Counts the busy cursor's calls.
struct BusyHost : hexed::HexEditorHost {
  int depth = 0;
  int shown = 0;
  void SetBusyCursor(bool on) override {
    depth += on ? 1 : -1;
    shown += on ? 1 : 0;
  }
};

// Puts the allocation limits back at the end of a test.
struct LimitScope {
  ~LimitScope() { hexed::TestAllocationLimits() = hexed::AllocationLimits{}; }
};


TEST_F(HexImportTest, MoreThanTheBufferCanTakeIsRefusedAndTheBusyCursorGoesOff) {
  LimitScope limits;
  hexwin::ClipboardEditor source;
  LoadBytes(source, "abcdef");
  source.SelectAll();
  source.CopyToClipboard();
  BusyHost host;
  hexwin::ClipboardEditor e;
  e.SetHost(&host);
  LoadBytes(e, "0123456789");
  hexed::TestAllocationLimits().dataBlock = e.DataSize() + 3;
  ASSERT_EQ(e.RoomLeft(), 3);

  IDataObject* data = nullptr;
  ASSERT_EQ(OleGetClipboard(&data), S_OK);
  EXPECT_THROW(e.ImportBytes(data, true), hexed::OutOfMemoryError) << "refused before the bytes are copied";
  data->Release();
  EXPECT_EQ(host.shown, 1);
  EXPECT_EQ(host.depth, 0) << "the busy cursor went off with the error";
  EXPECT_THROW(e.PasteFromClipboard(), hexed::OutOfMemoryError);
  EXPECT_EQ(EditorText(e, 10), "0123456789");
  EXPECT_FALSE(e.CanUndo());

  const fs::path a = File(L"a.bin"), b = File(L"b.bin");
  wintest::WriteFileBytes(a, "ab");
  wintest::WriteFileBytes(b, "XY");
  PutDroppedFiles({a, b});
  EXPECT_THROW(e.PasteFromClipboard(), hexed::OutOfMemoryError) << "4 bytes of files, room for 3";
  EXPECT_EQ(host.depth, 0);
  PutDroppedFiles({a});
  e.PasteFromClipboard();
  EXPECT_EQ(EditorText(e, 12), "ab0123456789") << "what fits goes in";
}

class HexDropTest : public wintest::WindowTest {
 protected:
  void TearDown() override {
    for (HWND w : wintest::ThreadWindowsOfClass(L"TForm2")) DestroyWindow(w);
    wintest::WindowTest::TearDown();
  }
  hexwin::HexViewWindow* OpenWith(const std::string& bytes, const wchar_t* name) {
    const fs::path file = File(name);
    wintest::WriteFileBytes(file, bytes);
    hexwin::HexViewWindow* w = hexwin::HexViewWindow::Open(file.wstring(), dialogs_, boxes_);
    w->EditorControl().SetOleDragDrop(true);
    return w;
  }
  // The screen point at the middle of a cell.
  static POINTL CellPoint(hexwin::HexViewWindow* w, int col, hexed::GridRow row) {
    const auto r = w->Editor().CellRect(col, row);
    POINT p{(r[0] + r[2]) / 2, (r[1] + r[3]) / 2};
    ClientToScreen(w->EditorControl().Handle(), &p);
    return POINTL{p.x, p.y};
  }
};

TEST_F(HexDropTest, ForeignDropsCopyOrMoveAndReadOnlyRefuses) {
  hexwin::HexViewWindow* source = OpenWith("ABCD", L"src.bin");
  hexwin::HexViewWindow* target = OpenWith("0123456789", L"dst.bin");
  IDropTarget* drop = target->EditorControl().DropTarget();
  ASSERT_NE(drop, nullptr);
  source->Editor().SetSelection(1, 2);
  IDataObject* data = source->Editor().MakeDataObject();
  const POINTL at = CellPoint(target, 2 + 2 * 4, 2);  // byte 4

  DWORD effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
  EXPECT_EQ(drop->DragEnter(data, MK_LBUTTON, at, &effect), S_OK);
  EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_COPY));
  effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
  drop->DragOver(MK_LBUTTON | MK_SHIFT, at, &effect);
  EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_MOVE)) << "Shift moves";
  effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
  drop->DragOver(MK_LBUTTON, at, &effect);
  EXPECT_EQ(target->Editor().GetCellView(2 + 2 * 4, 2, false).dropMark, true);
  drop->Drop(data, MK_LBUTTON, at, &effect);
  EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_COPY));
  EXPECT_EQ(EditorText(target->Editor(), 12), "0123BC456789");
  EXPECT_EQ(target->Editor().UndoDescription(), "Data dropped");
  EXPECT_FALSE(target->Editor().GetCellView(2 + 2 * 4, 2, false).dropMark) << "mark cleared";

  target->Editor().SetReadOnlyView(true);
  effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
  drop->DragEnter(data, MK_LBUTTON, at, &effect);
  EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_NONE));
  drop->DragLeave();
  data->Release();
}

TEST_F(HexDropTest, DraggingTheSelectionWithinOneEditorIsOneUndoStep) {
  hexwin::HexViewWindow* w = OpenWith("0123456789", L"move.bin");
  SetWindowPos(w->Handle(), HWND_TOPMOST, 0, 0, 800, 400, SWP_SHOWWINDOW);
  w->Editor().SetSelection(1, 2);
  // No button is held, so the drag drops at once where the pointer is.
  const POINTL at = CellPoint(w, 2 + 2 * 7, 2);  // byte 7
  SetCursorPos(at.x, at.y);
  wintest::PumpFor(100);
  const DWORD effect = w->EditorControl().StartDrag();
  EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_MOVE));
  EXPECT_EQ(EditorText(w->Editor(), 10), "0345612789");
  EXPECT_EQ(w->Editor().UndoDescription(), "Data moved");
  w->Editor().Undo();
  EXPECT_EQ(EditorText(w->Editor(), 10), "0123456789");
}

}  // namespace

namespace {

TEST(HexBookmarkIcons, TheStripIsAResourceOfTwentyIconsWithATransparentCorner) {
  auto* strip = static_cast<HBITMAP>(
      LoadImageW(GetModuleHandleW(nullptr), L"BOOKMARKICONS", IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  ASSERT_NE(strip, nullptr);
  BITMAP info{};
  GetObjectW(strip, sizeof info, &info);
  EXPECT_NO_THROW(hexed::TCustomQDHexEditor::CheckBookmarkBitmap(info.bmWidth, info.bmHeight));
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, strip);
  const COLORREF corner = GetPixel(dc, 0, 0);
  // Every icon has pixels other than the transparent colour, and the two
  // halves differ (hex field and character field).
  for (int icon = 0; icon < 20; ++icon) EXPECT_NE(GetPixel(dc, icon * 10 + 4, 5), corner) << icon;
  EXPECT_NE(GetPixel(dc, 1, 1), GetPixel(dc, 101, 1));
  SelectObject(dc, old);
  DeleteDC(dc);
  DeleteObject(strip);
}

}  // namespace

namespace {

// Shows the format dialog for a screenshot; it cancels itself after 15 s.
TEST(HexFormatDialog, DISABLED_ShowForScreenshot) {
  hexwin::ClipboardEditor e;
  LoadBytes(e, "xyz");
  PutUnicodeText(L"41 42");
  SetTimer(nullptr, 0, 15000, [](HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    if (HWND d = FindWindowW(L"#32770", L"Select data format")) SendMessageW(d, WM_COMMAND, IDCANCEL, 0);
  });
  e.PasteFromClipboard();
}

}  // namespace
