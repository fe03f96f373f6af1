// The shell registration's keys in the real registry.
#pragma once

#include "app/shell_registration.h"

namespace app {

class WindowsShellRegistry final : public ShellRegistry {
 public:
  bool KeyExists(RegistryRoot root, std::string_view path) override;
  void DeleteTree(RegistryRoot root, std::string_view path) override;
  void CreateKey(RegistryRoot root, std::string_view path) override;
  void WriteDefault(RegistryRoot root, std::string_view path, std::string_view value) override;
};

}  // namespace app
