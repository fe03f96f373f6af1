#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/file.h"
#include "platform/text.h"

namespace {

namespace fs = std::filesystem;

TEST(GbkOnWindows, ChineseRoundTripsThroughCodePage936) {
  const std::string utf8 = "星尘加密";
  const auto gbk = platform::Utf8ToGbk(utf8);
  ASSERT_TRUE(gbk.has_value());
  EXPECT_EQ(*gbk, "\xD0\xC7\xB3\xBE\xBC\xD3\xC3\xDC");
  const auto back = platform::GbkToUtf8(*gbk);
  ASSERT_TRUE(back.has_value());
  EXPECT_EQ(*back, utf8);
}

TEST(GbkOnWindows, MatchesTheLinuxTablesWhereTheyCouldDiffer) {
  // The euro sign is the single byte 0x80 in code page 936 on both systems,
  // so files written by either read the same.
  EXPECT_EQ(platform::Utf8ToGbk("€"), std::optional<std::string>("\x80"));
  EXPECT_EQ(platform::GbkToUtf8("\x80"), std::optional<std::string>("€"));
  EXPECT_EQ(platform::Utf8ToGbk("key 1"), std::optional<std::string>("key 1"));
  EXPECT_EQ(platform::Utf8ToGbk(""), std::optional<std::string>(""));
}

TEST(GbkOnWindows, RefusesWhatItCannotConvertExactly) {
  // A '?' in place of a missing character would make different keys equal.
  EXPECT_FALSE(platform::Utf8ToGbk("密\xF0\x9F\x98\x80").has_value());  // U+1F600
  EXPECT_FALSE(platform::Utf8ToGbk("\xE0\xB8\x81").has_value());       // Thai U+0E01
  EXPECT_FALSE(platform::Utf8ToGbk("\xC3\x28").has_value());           // broken UTF-8
  EXPECT_FALSE(platform::GbkToUtf8("\xD0\xC7\xB3").has_value());       // cut after a lead byte
}

// A fresh folder with a Chinese name in the temporary folder.
class FilesOnWindows : public testing::Test {
 protected:
  void SetUp() override {
    folder_ = platform::SystemTempFolder() /
              (L"星尘测试-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(GetTickCount64()));
    ASSERT_TRUE(fs::create_directories(folder_));
  }
  void TearDown() override {
    std::error_code ignored;
    fs::remove_all(folder_, ignored);
  }

  static void WriteFile(const fs::path& path, const std::string& bytes) {
    auto out = platform::OutputFile::CreateNew(path);
    ASSERT_TRUE(out.has_value());
    out->Write(bytes.data(), bytes.size());
    out->Close();
  }

  static std::string ReadFile(const fs::path& path) {
    platform::InputFile in(path);
    std::string bytes(static_cast<std::size_t>(in.Size()), '\0');
    EXPECT_EQ(in.Read(bytes.data(), bytes.size()), bytes.size());
    return bytes;
  }

  fs::path folder_;
};

TEST_F(FilesOnWindows, WrittenFileReadsBackUnderAChineseName) {
  const fs::path path = folder_ / L"星尘加密.jmz";
  const std::string bytes = std::string("\0\x01\xFF", 3) + "星尘";
  WriteFile(path, bytes);

  platform::InputFile in(path);
  EXPECT_EQ(in.Size(), bytes.size());
  std::string head(2, '\0');
  EXPECT_EQ(in.Read(head.data(), 2), 2u);
  EXPECT_EQ(head, bytes.substr(0, 2));
  in.Seek(3);
  EXPECT_EQ(in.Position(), 3u);
  std::string rest(100, '\0');
  EXPECT_EQ(in.Read(rest.data(), rest.size()), bytes.size() - 3);
  EXPECT_EQ(rest.substr(0, bytes.size() - 3), "星尘");
  EXPECT_EQ(in.Position(), bytes.size());
}

TEST_F(FilesOnWindows, OpenInputFileLetsOthersReadButNotWrite) {
  const fs::path path = folder_ / L"密钥.txt";
  WriteFile(path, "key");
  platform::InputFile in(path);

  HANDLE reader = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  EXPECT_NE(reader, INVALID_HANDLE_VALUE);
  if (reader != INVALID_HANDLE_VALUE) CloseHandle(reader);
  HANDLE writer = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  EXPECT_EQ(writer, INVALID_HANDLE_VALUE);
  if (writer != INVALID_HANDLE_VALUE) CloseHandle(writer);
}

TEST_F(FilesOnWindows, MissingInputFileThrows) {
  EXPECT_THROW(platform::InputFile(folder_ / L"没有.jmz"), platform::IoError);
}

TEST_F(FilesOnWindows, CreateNewNeverTouchesAnExistingFile) {
  const fs::path path = folder_ / L"星尘.jmz";
  WriteFile(path, "first");
  EXPECT_FALSE(platform::OutputFile::CreateNew(path).has_value());
  EXPECT_EQ(ReadFile(path), "first");
  EXPECT_THROW(platform::OutputFile::CreateNew(folder_ / L"没有文件夹" / L"星尘.jmz"), platform::IoError);
}

TEST_F(FilesOnWindows, RenameNoReplaceRefusesATakenName) {
  const fs::path from = folder_ / L"临时.tmp";
  const fs::path taken = folder_ / L"星尘.jmz";
  const fs::path free = folder_ / L"星尘(1).jmz";
  WriteFile(from, "new");
  WriteFile(taken, "old");

  EXPECT_FALSE(platform::RenameNoReplace(from, taken));
  EXPECT_EQ(ReadFile(taken), "old");
  EXPECT_EQ(ReadFile(from), "new");

  EXPECT_TRUE(platform::RenameNoReplace(from, free));
  EXPECT_FALSE(fs::exists(from));
  EXPECT_EQ(ReadFile(free), "new");
}

TEST_F(FilesOnWindows, DeleteIfExistsIsTrueWhenTheFileIsGone) {
  const fs::path path = folder_ / L"星尘.jmz";
  WriteFile(path, "x");
  EXPECT_TRUE(platform::DeleteIfExists(path));
  EXPECT_FALSE(fs::exists(path));
  EXPECT_TRUE(platform::DeleteIfExists(path));
  EXPECT_TRUE(platform::DeleteIfExists(folder_ / L"没有文件夹" / L"星尘.jmz"));

  // A file that is open without delete sharing stays and is reported.
  const fs::path held = folder_ / L"占用.jmz";
  WriteFile(held, "x");
  platform::InputFile in(held);
  EXPECT_FALSE(platform::DeleteIfExists(held));
  EXPECT_TRUE(fs::exists(held));
}

TEST(FoldersOnWindows, TempFolderExistsAndExecutableFolderHoldsThisProgram) {
  EXPECT_TRUE(fs::is_directory(platform::SystemTempFolder()));
  EXPECT_TRUE(fs::exists(platform::ExecutableFolder() / L"platform_win_tests.exe"));
}

}  // namespace
