#include "app/win32/shell_registry.h"

#include <windows.h>

#include "platform/win32/wide.h"

namespace app {
namespace {

HKEY RootKey(RegistryRoot root) { return root == RegistryRoot::kClassesRoot ? HKEY_CLASSES_ROOT : HKEY_CURRENT_USER; }

void Check(LSTATUS status, const char* what) {
  if (status != ERROR_SUCCESS) throw RegistryError(what, status == ERROR_ACCESS_DENIED);
}

HKEY Create(RegistryRoot root, std::string_view path) {
  HKEY key = nullptr;
  Check(RegCreateKeyExW(RootKey(root), platform::Widen(path).c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                        nullptr),
        "RegCreateKeyExW");
  return key;
}

}  // namespace

bool WindowsShellRegistry::KeyExists(RegistryRoot root, std::string_view path) {
  HKEY key = nullptr;
  const LSTATUS status = RegOpenKeyExW(RootKey(root), platform::Widen(path).c_str(), 0, KEY_READ, &key);
  if (status == ERROR_FILE_NOT_FOUND) return false;
  Check(status, "RegOpenKeyExW");
  RegCloseKey(key);
  return true;
}

void WindowsShellRegistry::DeleteTree(RegistryRoot root, std::string_view path) {
  Check(RegDeleteTreeW(RootKey(root), platform::Widen(path).c_str()), "RegDeleteTreeW");
  // RegDeleteTree empties the key; the key itself goes with RegDeleteKey.
  const LSTATUS status = RegDeleteKeyW(RootKey(root), platform::Widen(path).c_str());
  if (status != ERROR_FILE_NOT_FOUND) Check(status, "RegDeleteKeyW");
}

void WindowsShellRegistry::CreateKey(RegistryRoot root, std::string_view path) { RegCloseKey(Create(root, path)); }

void WindowsShellRegistry::WriteDefault(RegistryRoot root, std::string_view path, std::string_view value) {
  HKEY key = Create(root, path);
  const std::wstring text = platform::Widen(value);
  const LSTATUS status = RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                                        static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(key);
  Check(status, "RegSetValueExW");
}

}  // namespace app
