#include "app/win32/registry_store.h"

#include <windows.h>

#include "platform/win32/wide.h"

namespace app {

namespace {

class Key {
 public:
  Key() = default;
  Key(const Key&) = delete;
  Key& operator=(const Key&) = delete;
  ~Key() {
    if (key_ != nullptr) RegCloseKey(key_);
  }
  HKEY* Out() { return &key_; }
  HKEY Get() const { return key_; }

 private:
  HKEY key_ = nullptr;
};

[[noreturn]] void Fail(const char* what, LSTATUS status) {
  throw SettingsError(std::string(what) + " failed (error " + std::to_string(status) + ")");
}

void OpenForWriting(const std::wstring& subkey, Key& key) {
  const LSTATUS status = RegCreateKeyExW(HKEY_CURRENT_USER, subkey.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                         KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, key.Out(), nullptr);
  if (status != ERROR_SUCCESS) Fail("RegCreateKeyExW", status);
}

}  // namespace

bool RegistrySettingsStore::KeyExists() {
  Key key;
  const LSTATUS status = RegOpenKeyExW(HKEY_CURRENT_USER, subkey_.c_str(), 0, KEY_QUERY_VALUE, key.Out());
  if (status == ERROR_FILE_NOT_FOUND) return false;
  if (status != ERROR_SUCCESS) Fail("RegOpenKeyExW", status);
  return true;
}

StoredValue RegistrySettingsStore::Read(std::string_view name) {
  Key key;
  LSTATUS status = RegOpenKeyExW(HKEY_CURRENT_USER, subkey_.c_str(), 0, KEY_QUERY_VALUE, key.Out());
  if (status != ERROR_SUCCESS) Fail("RegOpenKeyExW", status);
  const std::wstring wideName = platform::Widen(name);
  DWORD type = 0;
  DWORD size = 0;
  status = RegQueryValueExW(key.Get(), wideName.c_str(), nullptr, &type, nullptr, &size);
  if (status == ERROR_FILE_NOT_FOUND) return StoredValue::Absent();
  if (status != ERROR_SUCCESS) Fail("RegQueryValueExW", status);
  // Only a 32-bit integer is a value; any other type is present but unreadable.
  if (type != REG_DWORD || size != sizeof(DWORD)) return StoredValue::Unreadable();
  DWORD value = 0;
  status = RegQueryValueExW(key.Get(), wideName.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
  if (status != ERROR_SUCCESS) Fail("RegQueryValueExW", status);
  return StoredValue::Integer(static_cast<std::int32_t>(value));
}

void RegistrySettingsStore::Delete(std::string_view name) {
  Key key;
  OpenForWriting(subkey_, key);
  const LSTATUS status = RegDeleteValueW(key.Get(), platform::Widen(name).c_str());
  if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND) Fail("RegDeleteValueW", status);
}

void RegistrySettingsStore::Write(std::string_view name, std::uint32_t value) {
  Key key;
  OpenForWriting(subkey_, key);
  const DWORD data = value;
  const LSTATUS status = RegSetValueExW(key.Get(), platform::Widen(name).c_str(), 0, REG_DWORD,
                                        reinterpret_cast<const BYTE*>(&data), sizeof data);
  if (status != ERROR_SUCCESS) Fail("RegSetValueExW", status);
}

}  // namespace app
