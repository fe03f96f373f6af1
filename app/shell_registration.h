// Shell integration: the association of ".jmz" files, the entry in every
// file's context menu, and the removal of everything the program wrote to
// the registry. The steps run against a registry interface; the program
// uses the real registry, the tests one in memory.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace app {

enum class RegistryRoot { kClassesRoot, kCurrentUser };

// A failed registry call. `accessDenied` marks the refusal of a key that
// needs administrator rights.
class RegistryError : public std::runtime_error {
 public:
  RegistryError(const std::string& what, bool accessDenied) : std::runtime_error(what), accessDenied(accessDenied) {}
  bool accessDenied;
};

// Keys are given as UTF-8 paths with "\" separators. Every member throws
// RegistryError when the registry fails.
class ShellRegistry {
 public:
  virtual ~ShellRegistry() = default;
  virtual bool KeyExists(RegistryRoot root, std::string_view path) = 0;
  // Deletes the key with all its subkeys (the key exists).
  virtual void DeleteTree(RegistryRoot root, std::string_view path) = 0;
  // Opens the key, creating the whole path when missing.
  virtual void CreateKey(RegistryRoot root, std::string_view path) = 0;
  // Opens the key, creating it, and writes its default value as REG_SZ.
  virtual void WriteDefault(RegistryRoot root, std::string_view path, std::string_view value) = 0;
};

namespace shell_key {
inline constexpr std::string_view kExtension = ".jmz";
inline constexpr std::string_view kFileType = "xcwjjm";
inline constexpr std::string_view kOpenCommand = "xcwjjm\\shell\\open\\command";
inline constexpr std::string_view kDefaultIcon = "xcwjjm\\DefaultIcon";
inline constexpr std::string_view kAllFilesShell = "*\\shell";
inline constexpr std::string_view kMenuEntry = "*\\shell\\星尘 文件加密";
inline constexpr std::string_view kMenuCommand = "*\\shell\\星尘 文件加密\\command";
inline constexpr std::string_view kMenuCaption = "星尘 文件加密(&H)";
inline constexpr std::string_view kSoftware = "Software";
inline constexpr std::string_view kSettings = "Software\\星尘 文件加密";
// The per-user part of the classes view, which needs no rights.
inline constexpr std::string_view kUserClasses = "Software\\Classes\\";
}  // namespace shell_key

// The command the shell starts: the program's path and the file's path, each
// in quotation marks, so a path with blanks arrives as one argument.
std::string ShellCommandText(std::string_view exePath);

// Each returns false when a registry error ended its work (the window beeps);
// the steps done before the error stay done. Where the classes root refuses
// to be written, association and menu entry go to the per-user classes
// instead; the removal clears both places.
bool RegisterAssociation(ShellRegistry& registry, std::string_view exePath);   // N6
bool RegisterContextMenu(ShellRegistry& registry, std::string_view exePath);   // N7
bool RemoveRegistration(ShellRegistry& registry);                              // N9

}  // namespace app
