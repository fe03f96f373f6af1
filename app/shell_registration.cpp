#include "app/shell_registration.h"

#include <functional>

namespace app {
namespace {

// The classes view as one place to write: the classes root, or the
// per-user classes under HKEY_CURRENT_USER.
struct ClassesPlace {
  RegistryRoot root;
  std::string prefix;

  std::string Key(std::string_view path) const { return prefix + std::string(path); }
};

const ClassesPlace kMachineClasses{RegistryRoot::kClassesRoot, ""};
const ClassesPlace kUserClasses{RegistryRoot::kCurrentUser, std::string(shell_key::kUserClasses)};

void DeleteIfExists(ShellRegistry& registry, const ClassesPlace& place, std::string_view path) {
  if (registry.KeyExists(place.root, place.Key(path))) registry.DeleteTree(place.root, place.Key(path));
}

void WriteAssociation(ShellRegistry& registry, const ClassesPlace& place, std::string_view exePath) {
  DeleteIfExists(registry, place, shell_key::kExtension);
  registry.WriteDefault(place.root, place.Key(shell_key::kExtension), shell_key::kFileType);
  DeleteIfExists(registry, place, shell_key::kFileType);
  registry.WriteDefault(place.root, place.Key(shell_key::kOpenCommand), ShellCommandText(exePath));
  registry.WriteDefault(place.root, place.Key(shell_key::kDefaultIcon), std::string(exePath) + ",0");
}

void WriteContextMenu(ShellRegistry& registry, const ClassesPlace& place, std::string_view exePath) {
  registry.CreateKey(place.root, place.Key(shell_key::kAllFilesShell));
  DeleteIfExists(registry, place, shell_key::kMenuEntry);
  registry.WriteDefault(place.root, place.Key(shell_key::kMenuEntry), shell_key::kMenuCaption);
  registry.WriteDefault(place.root, place.Key(shell_key::kMenuCommand), ShellCommandText(exePath));
}

void RemoveClasses(ShellRegistry& registry, const ClassesPlace& place) {
  if (registry.KeyExists(place.root, place.Key(shell_key::kAllFilesShell)))
    DeleteIfExists(registry, place, shell_key::kMenuEntry);
  DeleteIfExists(registry, place, shell_key::kFileType);
  DeleteIfExists(registry, place, shell_key::kExtension);
}

// Writes into the classes root; a refusal there (no administrator rights)
// writes the same keys into the per-user classes.
bool WriteWithFallBack(const std::function<void(const ClassesPlace&)>& write) {
  try {
    write(kMachineClasses);
    return true;
  } catch (const RegistryError& error) {
    if (!error.accessDenied) return false;
  }
  try {
    write(kUserClasses);
    return true;
  } catch (const RegistryError&) {
    return false;
  }
}

}  // namespace

std::string ShellCommandText(std::string_view exePath) {
  std::string command;
  command.reserve(exePath.size() + 7);
  command.append("\"").append(exePath).append("\" \"%1\"");
  return command;
}

bool RegisterAssociation(ShellRegistry& registry, std::string_view exePath) {
  return WriteWithFallBack([&](const ClassesPlace& place) { WriteAssociation(registry, place, exePath); });
}

bool RegisterContextMenu(ShellRegistry& registry, std::string_view exePath) {
  return WriteWithFallBack([&](const ClassesPlace& place) { WriteContextMenu(registry, place, exePath); });
}

bool RemoveRegistration(ShellRegistry& registry) {
  bool ok = true;
  // A refused classes root does not stop the removal of the per-user keys.
  try {
    RemoveClasses(registry, kMachineClasses);
  } catch (const RegistryError& error) {
    if (!error.accessDenied) return false;
    ok = false;
  }
  try {
    RemoveClasses(registry, kUserClasses);
    if (registry.KeyExists(RegistryRoot::kCurrentUser, shell_key::kSoftware) &&
        registry.KeyExists(RegistryRoot::kCurrentUser, shell_key::kSettings))
      registry.DeleteTree(RegistryRoot::kCurrentUser, shell_key::kSettings);
  } catch (const RegistryError&) {
    return false;
  }
  return ok;
}

}  // namespace app
