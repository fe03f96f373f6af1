// The Windows file routines on a path of more than 300 characters.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/file.h"
#include "platform/mapped_file.h"
#include "platform/shred_file.h"
#include "platform/win32/api_path.h"

namespace {

namespace fs = std::filesystem;
using platform::win32io::ApiPath;

bool Exists(const fs::path& path) { return GetFileAttributesW(ApiPath(path).c_str()) != INVALID_FILE_ATTRIBUTES; }

TEST(LongPathsOnWindows, FilesBeyond300CharactersAreCreatedReadRenamedAndDeleted) {
  // Three folders of 90 characters below the temporary folder.
  std::vector<fs::path> folders;
  fs::path folder = platform::SystemTempFolder() / (L"星尘长路径-" + std::to_wstring(GetCurrentProcessId()));
  ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr)) << GetLastError();
  for (int level = 0; level < 3; ++level) {
    folder /= std::wstring(80, static_cast<wchar_t>(L'a' + level)) + L"-目录-" + std::to_wstring(level);
    folders.push_back(folder);
    ASSERT_TRUE(CreateDirectoryW(ApiPath(folder).c_str(), nullptr)) << GetLastError();
  }
  const fs::path file = folder / L"星尘 文件加密的一个长名字.txt";
  const fs::path renamed = folder / L"改名以后.txt";
  ASSERT_GT(file.wstring().size(), 300u);

  const std::string bytes = "long path \x01\x02\x03";
  auto out = platform::OutputFile::CreateNew(file);
  ASSERT_TRUE(out.has_value());
  out->Write(bytes.data(), bytes.size());
  out->Close();
  EXPECT_FALSE(platform::OutputFile::CreateNew(file).has_value());  // taken, not overwritten

  {
    platform::InputFile in(file);
    std::string back(bytes.size(), '\0');
    EXPECT_EQ(in.Read(back.data(), back.size()), bytes.size());
    EXPECT_EQ(back, bytes);
    platform::MappedReadOnlyFile mapped(file, "");
    ASSERT_EQ(mapped.Size(), bytes.size());
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(mapped.Data()), bytes.size()), bytes);
  }
  EXPECT_TRUE(platform::RenameNoReplace(file, renamed));
  EXPECT_FALSE(Exists(file));
  {
    platform::ShredTarget target(renamed);
    EXPECT_EQ(target.Size(), bytes.size());
  }
  EXPECT_TRUE(platform::DeleteIfExists(renamed));
  EXPECT_FALSE(Exists(renamed));

  for (auto it = folders.rbegin(); it != folders.rend(); ++it) EXPECT_TRUE(RemoveDirectoryW(ApiPath(*it).c_str()));
  RemoveDirectoryW(ApiPath(folders.front().parent_path()).c_str());
}

}  // namespace
