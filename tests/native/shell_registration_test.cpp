// Shell integration against a registry in memory: the keys and values each
// command leaves, the deletion of earlier keys, the per-user fall-back and
// the failure rule.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "app/shell_registration.h"

namespace {

using app::RegistryRoot;

// Keys as "root:path" (lower case, as the registry compares them) → default value.
class MemoryRegistry final : public app::ShellRegistry {
 public:
  std::map<std::string, std::string> keys;
  bool refuseClassesRoot = false;  // no administrator rights
  std::string failOn;              // any call on this key fails otherwise

  bool KeyExists(RegistryRoot root, std::string_view path) override {
    Check(root, path, false);
    return keys.contains(Name(root, path));
  }
  void DeleteTree(RegistryRoot root, std::string_view path) override {
    Check(root, path, true);
    const std::string name = Name(root, path);
    std::erase_if(keys, [&](const auto& key) { return key.first == name || key.first.starts_with(name + "\\"); });
  }
  void CreateKey(RegistryRoot root, std::string_view path) override {
    Check(root, path, true);
    std::string name = Name(root, path);
    for (std::size_t cut = name.find('\\'); cut != std::string::npos; cut = name.find('\\', cut + 1))
      keys.try_emplace(name.substr(0, cut));
    keys.try_emplace(name);
  }
  void WriteDefault(RegistryRoot root, std::string_view path, std::string_view value) override {
    CreateKey(root, path);
    keys[Name(root, path)] = std::string(value);
  }

  static std::string Name(RegistryRoot root, std::string_view path) {
    std::string name = root == RegistryRoot::kClassesRoot ? "HKCR:" : "HKCU:";
    for (char c : path) name += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return name;
  }

 private:
  void Check(RegistryRoot root, std::string_view path, bool writes) {
    if (writes && refuseClassesRoot && root == RegistryRoot::kClassesRoot)
      throw app::RegistryError("access denied", true);
    if (!failOn.empty() && Name(root, path) == failOn) throw app::RegistryError("fails", false);
  }
};

constexpr char kExe[] = "C:\\Program Files\\xc jm\\xcjm.exe";
constexpr char kCommand[] = "\"C:\\Program Files\\xc jm\\xcjm.exe\" \"%1\"";

std::string Value(MemoryRegistry& registry, const std::string& key) {
  const auto it = registry.keys.find(key);
  return it == registry.keys.end() ? "<absent>" : it->second;
}

TEST(ShellRegistration, AssociationTwiceLeavesOneSetOfKeysWithTheSecondRunsValues) {
  MemoryRegistry registry;
  registry.keys["HKCR:xcwjjm\\shell\\edit"] = "old";
  ASSERT_TRUE(app::RegisterAssociation(registry, "D:\\old\\xcjm.exe"));
  ASSERT_TRUE(app::RegisterAssociation(registry, kExe));
  EXPECT_EQ(Value(registry, "HKCR:.jmz"), "xcwjjm");
  EXPECT_EQ(Value(registry, "HKCR:xcwjjm"), "");
  EXPECT_EQ(Value(registry, "HKCR:xcwjjm\\shell\\open\\command"), kCommand);
  EXPECT_EQ(Value(registry, "HKCR:xcwjjm\\defaulticon"), std::string(kExe) + ",0");
  EXPECT_FALSE(registry.keys.contains("HKCR:xcwjjm\\shell\\edit"));  // earlier keys deleted
  EXPECT_EQ(registry.keys.size(), 6u);  // .jmz, xcwjjm, shell, open, command, DefaultIcon
}

TEST(ShellRegistration, ContextMenuEntryReplacesAnEarlierOne) {
  MemoryRegistry registry;
  registry.WriteDefault(RegistryRoot::kClassesRoot, "*\\shell\\星尘 文件加密\\extra", "old");
  ASSERT_TRUE(app::RegisterContextMenu(registry, kExe));
  EXPECT_EQ(Value(registry, "HKCR:*\\shell\\星尘 文件加密"), "星尘 文件加密(&H)");
  EXPECT_EQ(Value(registry, "HKCR:*\\shell\\星尘 文件加密\\command"), kCommand);
  EXPECT_FALSE(registry.keys.contains("HKCR:*\\shell\\星尘 文件加密\\extra"));
}

TEST(ShellRegistration, RemovalClearsEverythingAndSucceedsWhenNothingIsThere) {
  MemoryRegistry registry;
  EXPECT_TRUE(app::RemoveRegistration(registry));
  ASSERT_TRUE(app::RegisterAssociation(registry, kExe));
  ASSERT_TRUE(app::RegisterContextMenu(registry, kExe));
  registry.keys["HKCR:*\\shell\\other"] = "kept";
  registry.keys["HKCU:software"] = "";
  registry.keys["HKCU:software\\星尘 文件加密"] = "";
  registry.keys["HKCU:software\\other"] = "kept";
  EXPECT_TRUE(app::RemoveRegistration(registry));
  EXPECT_EQ(registry.keys, (std::map<std::string, std::string>{{"HKCR:*", ""},
                                                               {"HKCR:*\\shell", ""},
                                                               {"HKCR:*\\shell\\other", "kept"},
                                                               {"HKCU:software", ""},
                                                               {"HKCU:software\\other", "kept"}}));
}

TEST(ShellRegistration, RefusedClassesRootFallsBackToThePerUserClasses) {
  MemoryRegistry registry;
  registry.refuseClassesRoot = true;
  ASSERT_TRUE(app::RegisterAssociation(registry, kExe));
  ASSERT_TRUE(app::RegisterContextMenu(registry, kExe));
  EXPECT_EQ(Value(registry, "HKCU:software\\classes\\.jmz"), "xcwjjm");
  EXPECT_EQ(Value(registry, "HKCU:software\\classes\\xcwjjm\\shell\\open\\command"), kCommand);
  EXPECT_EQ(Value(registry, "HKCU:software\\classes\\*\\shell\\星尘 文件加密\\command"), kCommand);
  for (const auto& key : registry.keys) EXPECT_FALSE(key.first.starts_with("HKCR:")) << key.first;
  // Removal clears the per-user keys; the classes root had nothing to delete.
  EXPECT_TRUE(app::RemoveRegistration(registry));
  for (const auto& key : registry.keys) EXPECT_FALSE(key.first.find("jmz") != std::string::npos) << key.first;
  EXPECT_FALSE(registry.keys.contains("HKCU:software\\classes\\xcwjjm"));
}

TEST(ShellRegistration, AnErrorEndsTheWorkAndKeepsTheStepsBeforeIt) {
  MemoryRegistry registry;
  registry.failOn = "HKCR:xcwjjm\\defaulticon";
  EXPECT_FALSE(app::RegisterAssociation(registry, kExe));
  EXPECT_EQ(Value(registry, "HKCR:.jmz"), "xcwjjm");
  EXPECT_EQ(Value(registry, "HKCR:xcwjjm\\shell\\open\\command"), kCommand);
  EXPECT_FALSE(registry.keys.contains("HKCU:software\\classes\\.jmz"));  // no fall-back for other errors
}

}  // namespace
