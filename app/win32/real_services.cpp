#include "app/win32/real_services.h"

#include <cderr.h>
#include <commdlg.h>
#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <vector>

namespace app {

std::wstring DialogFilter(const std::wstring& filter) {
  std::wstring out = filter;
  for (wchar_t& c : out)
    if (c == L'|') c = L'\0';
  out.push_back(L'\0');
  out.push_back(L'\0');
  return out;
}

std::vector<std::wstring> SelectedFiles(const wchar_t* buffer) {
  std::vector<std::wstring> parts;
  for (const wchar_t* p = buffer; *p != L'\0'; p += parts.back().size() + 1) parts.emplace_back(p);
  if (parts.size() <= 1) return parts;
  std::wstring folder = parts.front();
  if (!folder.empty() && folder.back() != L'\\') folder += L'\\';
  std::vector<std::wstring> files;
  for (std::size_t i = 1; i < parts.size(); ++i) files.push_back(folder + parts[i]);
  return files;
}

namespace {

// The most a selection may take: more names than any batch is meant to hold.
constexpr DWORD kLargestSelection = 1u << 24;
constexpr wchar_t kSelectionCaption[] = L"选择文件";
constexpr wchar_t kSelectionGrown[] = L"所选文件的名称太多太长,超出了能接收的长度。已加大接收的长度,请再选择一次。";
constexpr wchar_t kSelectionTooLarge[] = L"所选文件的名称太多太长,超出了能接收的长度。请分批选择。";
// The longest path the system takes.
constexpr DWORD kLongestPath = 32768;

// The fields both file dialogs share.
OPENFILENAMEW DialogFields(HWND owner, const std::wstring& filter, std::vector<wchar_t>& buffer,
                           const FileDialogRequest& request) {
  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = owner;
  ofn.lpstrFilter = filter.c_str();
  ofn.nFilterIndex = static_cast<DWORD>(request.filterIndex);
  ofn.lpstrFile = buffer.data();
  ofn.nMaxFile = static_cast<DWORD>(buffer.size());
  ofn.lpstrTitle = request.title.c_str();
  ofn.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_ENABLESIZING;
  return ofn;
}

}  // namespace

std::optional<std::vector<std::wstring>> SystemFileDialogs::OpenFiles(HWND owner, const FileDialogRequest& request) {
  const std::wstring filter = DialogFilter(request.filter);
  // A selection longer than the buffer fails like a cancel; the user is told
  // and asked again with a larger one, so a choice is never dropped silently.
  for (DWORD chars = std::max<DWORD>(selectionChars_, 2);; chars = std::min(chars * 8, kLargestSelection)) {
    std::vector<wchar_t> buffer(chars, L'\0');
    request.fileName.copy(buffer.data(), std::min<std::size_t>(request.fileName.size(), chars - 2));
    OPENFILENAMEW ofn = DialogFields(owner, filter, buffer, request);
    ofn.Flags |= OFN_ALLOWMULTISELECT;
    if (openDialog_(&ofn)) return SelectedFiles(buffer.data());
    if (dialogError_() != FNERR_BUFFERTOOSMALL) return std::nullopt;
    const bool grown = chars < kLargestSelection;
    MessageBoxW(owner, grown ? kSelectionGrown : kSelectionTooLarge, kSelectionCaption, MB_OK | MB_ICONINFORMATION);
    if (!grown) return std::nullopt;
  }
}

std::optional<SavedFile> SystemFileDialogs::SaveFile(HWND owner, const FileDialogRequest& request) {
  const std::wstring filter = DialogFilter(request.filter);
  std::vector<wchar_t> buffer(kLongestPath, L'\0');
  request.fileName.copy(buffer.data(), std::min<std::size_t>(request.fileName.size(), buffer.size() - 1));
  OPENFILENAMEW ofn = DialogFields(owner, filter, buffer, request);
  if (!GetSaveFileNameW(&ofn)) return std::nullopt;
  return SavedFile{buffer.data(), static_cast<int>(ofn.nFilterIndex)};
}

std::optional<std::wstring> SystemFileDialogs::BrowseFolder(HWND owner) {
  BROWSEINFOW info{};
  info.hwndOwner = owner;
  info.ulFlags = BIF_RETURNONLYFSDIRS;
  PIDLIST_ABSOLUTE chosen = SHBrowseForFolderW(&info);
  if (chosen == nullptr) return std::nullopt;
  // A folder deeper than 260 characters needs the call with a length.
  std::wstring path(kLongestPath, L'\0');
  const BOOL ok = SHGetPathFromIDListEx(chosen, path.data(), kLongestPath, GPFIDL_DEFAULT);
  CoTaskMemFree(chosen);
  if (!ok) return std::nullopt;
  path.resize(path.find(L'\0'));
  return path;
}

std::optional<COLORREF> SystemFileDialogs::ChooseColour(HWND owner, COLORREF initial) {
  CHOOSECOLORW choose{};
  choose.lStructSize = sizeof choose;
  choose.hwndOwner = owner;
  choose.rgbResult = initial;
  choose.lpCustColors = customColours_;
  choose.Flags = CC_RGBINIT;
  if (!ChooseColorW(&choose)) return std::nullopt;
  return choose.rgbResult;
}

int SystemMessageBoxes::Show(HWND owner, const std::wstring& text, const std::wstring& caption, UINT flags) {
  return MessageBoxW(owner, text.c_str(), caption.c_str(), flags);
}

void SystemMessageBoxes::Beep() { MessageBeep(MB_OK); }

namespace {

// Message boxes and common dialogs are of the dialog class "#32770". A
// Yes/No box ends on IDNO, the others on IDCANCEL; a box ignores the button
// it does not have.
BOOL CALLBACK DismissIfOwned(HWND window, LPARAM owner) {
  wchar_t className[16] = {};
  GetClassNameW(window, className, 16);
  if (GetWindow(window, GW_OWNER) == reinterpret_cast<HWND>(owner) && std::wstring_view(className) == L"#32770") {
    PostMessageW(window, WM_COMMAND, IDNO, 0);
    PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
  }
  return TRUE;
}

}  // namespace

void SystemMessageBoxes::DismissOwnedBy(HWND owner) {
  EnumThreadWindows(GetCurrentThreadId(), DismissIfOwned, reinterpret_cast<LPARAM>(owner));
}

bool SystemShell::Open(HWND owner, const std::wstring& verb, const std::wstring& target, int showCommand) {
  // ShellExecute reports success as a value above 32.
  const HINSTANCE result =
      ShellExecuteW(owner, verb.empty() ? nullptr : verb.c_str(), target.c_str(), nullptr, nullptr, showCommand);
  return reinterpret_cast<INT_PTR>(result) > 32;
}

void SystemShell::AssociationsChanged() { SHChangeNotify(SHCNE_ASSOCCHANGED, 0, nullptr, nullptr); }

Date SystemClock::Today() {
  SYSTEMTIME now{};
  GetLocalTime(&now);
  return Date{now.wYear, now.wMonth, now.wDay};
}

std::uint32_t SystemClock::Ticks() { return GetTickCount(); }

}  // namespace app
