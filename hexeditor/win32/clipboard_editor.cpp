#include "hexeditor/win32/clipboard_editor.h"

#include "hexeditor/errors.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace hexwin {

namespace {

constexpr std::uint32_t kPrivateVersion = 65537;  // 1 in each 16-bit half

HGLOBAL GlobalCopy(const void* data, std::size_t n) {
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, n > 0 ? n : 1);
  if (block == nullptr) return nullptr;
  void* p = GlobalLock(block);
  if (n > 0) std::memcpy(p, data, n);
  GlobalUnlock(block);
  return block;
}

void Put(std::vector<std::uint8_t>& out, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

std::uint32_t Get32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
         (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The bytes of a clipboard block, empty when there is none.
std::vector<std::uint8_t> BlockBytes(UINT format) {
  std::vector<std::uint8_t> bytes;
  HANDLE block = GetClipboardData(format);
  if (block == nullptr) return bytes;
  const auto* p = static_cast<const std::uint8_t*>(GlobalLock(block));
  if (p == nullptr) return bytes;
  bytes.assign(p, p + GlobalSize(block));
  GlobalUnlock(block);
  return bytes;
}

// Closes the clipboard on every way out.
class OpenedClipboard {
 public:
  explicit OpenedClipboard(HWND owner) : open_(OpenClipboard(owner) != FALSE) {}
  ~OpenedClipboard() {
    if (open_) CloseClipboard();
  }
  OpenedClipboard(const OpenedClipboard&) = delete;
  OpenedClipboard& operator=(const OpenedClipboard&) = delete;
  bool Open() const { return open_; }

 private:
  bool open_;
};

}  // namespace

UINT PrivateClipboardFormat() {
  static const UINT format = RegisterClipboardFormatW(L"TQDHexeditorEx Clipboard Format");
  return format;
}

UINT RegEditHexDataFormat() {
  static const UINT format = RegisterClipboardFormatW(L"RegEdit_HexData");
  return format;
}

ClipboardEditor::~ClipboardEditor() { ReleaseClipboard(); }

void ClipboardEditor::ReleaseClipboard() {
  // The system drops the ownership while the window is destroyed, so the
  // clipboard's sequence number tells whether it still holds our copy.
  if (copySequence_ == 0 || GetClipboardSequenceNumber() != copySequence_ || flushClipboardAtShutDown_) return;
  copySequence_ = 0;
  OpenedClipboard clipboard(nullptr);
  if (clipboard.Open()) EmptyClipboard();
}

bool ClipboardEditor::CanPaste() const {
  if (ReadOnlyView() || (NoSizeChange() && DataSize() == 0)) return false;
  return IsClipboardFormatAvailable(PrivateClipboardFormat()) || IsClipboardFormatAvailable(RegEditHexDataFormat()) ||
         IsClipboardFormatAvailable(CF_TEXT);
}

void ClipboardEditor::CopyToClipboard() {
  if (!CanCopy()) return;
  const std::vector<std::uint8_t> bytes = SelectedBytes();
  std::vector<std::uint8_t> own = {'Q', 'D', 'T', 'H'};
  Put(own, kPrivateVersion);
  Put(own, static_cast<std::uint32_t>(bytes.size()));
  own.insert(own.end(), bytes.begin(), bytes.end());
  std::vector<std::uint8_t> regEdit;
  Put(regEdit, static_cast<std::uint32_t>(bytes.size()));
  regEdit.insert(regEdit.end(), bytes.begin(), bytes.end());
  std::string text;
  if (clipboardAsHexText_) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    for (std::uint8_t b : bytes) {
      const int first = SwapNibbles() ? b & 0x0F : b >> 4;
      const int second = SwapNibbles() ? b >> 4 : b & 0x0F;
      text += kDigits[first];
      text += kDigits[second];
    }
  } else {
    // Plain text ends at the first zero byte.
    for (std::uint8_t b : bytes) {
      if (b == 0) break;
      text += static_cast<char>(b);
    }
  }
  {
    OpenedClipboard clipboard(hwnd_);
    if (!clipboard.Open() || !EmptyClipboard()) throw hexed::EQDHexEditor("Cannot open clipboard");
    SetClipboardData(PrivateClipboardFormat(), GlobalCopy(own.data(), own.size()));
    SetClipboardData(CF_TEXT, GlobalCopy(text.c_str(), text.size() + 1));
    SetClipboardData(RegEditHexDataFormat(), GlobalCopy(regEdit.data(), regEdit.size()));
  }
  copySequence_ = GetClipboardSequenceNumber();
}

void ClipboardEditor::CutToClipboard() {
  if (!CanCut()) return;
  CopyToClipboard();
  DeleteSelection("Cut to clipboard");
}

std::optional<std::vector<std::uint8_t>> ClipboardEditor::ReadClipboard() const {
  OpenedClipboard clipboard(hwnd_);
  if (!clipboard.Open()) return std::nullopt;
  if (IsClipboardFormatAvailable(PrivateClipboardFormat())) {
    const std::vector<std::uint8_t> b = BlockBytes(PrivateClipboardFormat());
    if (b.size() < 12 || std::memcmp(b.data(), "QDTH", 4) != 0 || Get32(b.data() + 4) != kPrivateVersion)
      return std::nullopt;
    const std::size_t n = std::min<std::size_t>(Get32(b.data() + 8), b.size() - 12);
    return std::vector<std::uint8_t>(b.begin() + 12, b.begin() + 12 + static_cast<std::ptrdiff_t>(n));
  }
  if (IsClipboardFormatAvailable(RegEditHexDataFormat())) {
    const std::vector<std::uint8_t> b = BlockBytes(RegEditHexDataFormat());
    if (b.size() < 4) return std::nullopt;
    const std::size_t n = std::min<std::size_t>(Get32(b.data()), b.size() - 4);
    return std::vector<std::uint8_t>(b.begin() + 4, b.begin() + 4 + static_cast<std::ptrdiff_t>(n));
  }
  std::vector<std::uint8_t> text = BlockBytes(CF_TEXT);
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == 0) {
      text.resize(i);
      break;
    }
  }
  if (!clipboardAsHexText_) return text;
  // Hexadecimal text: characters other than digits are skipped.
  std::vector<std::uint8_t> bytes;
  int pending = -1;
  for (std::uint8_t c : text) {
    const int d = HexDigit(static_cast<char>(c));
    if (d < 0) continue;
    if (pending < 0) {
      pending = d;
    } else {
      bytes.push_back(static_cast<std::uint8_t>(SwapNibbles() ? (d << 4) | pending : (pending << 4) | d));
      pending = -1;
    }
  }
  return bytes;
}

void ClipboardEditor::PasteFromClipboard() {
  if (!CanPaste()) return;
  const std::optional<std::vector<std::uint8_t>> bytes = ReadClipboard();
  if (!bytes || bytes->empty()) return;
  PasteBytes(bytes->data(), static_cast<std::int32_t>(bytes->size()), "Paste from clipboard");
}

}  // namespace hexwin
