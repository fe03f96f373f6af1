// The settings store in the registry: 32-bit values of one key under
// HKEY_CURRENT_USER.
#pragma once

#include <string>

#include "app/settings.h"

namespace app {

class RegistrySettingsStore final : public SettingsStore {
 public:
  static constexpr wchar_t kKey[] = L"SOFTWARE\\星尘 文件加密";

  explicit RegistrySettingsStore(std::wstring subkey = kKey) : subkey_(std::move(subkey)) {}

  bool KeyExists() override;
  StoredValue Read(std::string_view name) override;
  void Delete(std::string_view name) override;
  void Write(std::string_view name, std::uint32_t value) override;

 private:
  std::wstring subkey_;
};

}  // namespace app
