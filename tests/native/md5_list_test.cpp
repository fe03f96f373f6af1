#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "utils/md5_list.h"

namespace {

namespace fs = std::filesystem;

TEST(MD5List, SavedListIsGbkWithCrLfAndTxtExtension) {
  const fs::path dir = fs::temp_directory_path() / ("md5list-" + std::to_string(::getpid()));
  fs::create_directories(dir);
  ASSERT_TRUE(utils::SaveList(dir / "记录文件.log", {"  中.bin -> MD5:", "0CC175B9C0F1B6A831C399E269772661"}));
  std::ifstream in(dir / "记录文件.txt", std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(in)), {});
  EXPECT_EQ(bytes, "  \xD6\xD0.bin -> MD5:\r\n0CC175B9C0F1B6A831C399E269772661\r\n");
  EXPECT_FALSE(fs::exists(dir / "记录文件.log"));
  fs::remove_all(dir);
}

TEST(MD5List, AFailedReplaceIsAFailureAndNoOtherFileIsTouched) {
  const fs::path dir = fs::temp_directory_path() / ("md5fail-" + std::to_string(::getpid()));
  fs::create_directories(dir / "list.txt");  // a folder where the list would go: the replace fails
  std::ofstream(dir / "list.txt" / "inside") << "x";
  std::ofstream(dir / "list.txt.part", std::ios::binary) << "someone's file";
  EXPECT_FALSE(utils::SaveList(dir / "list.log", {"line"}));
  EXPECT_TRUE(fs::is_directory(dir / "list.txt"));
  std::ifstream part(dir / "list.txt.part", std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(part), {}), "someone's file");
  std::size_t entries = 0;
  for ([[maybe_unused]] const auto& e : fs::directory_iterator(dir)) ++entries;
  EXPECT_EQ(entries, 2u);  // no temporary left behind

  // A save beside that file works and leaves it as it was.
  EXPECT_TRUE(utils::SaveList(dir / "other.log", {"line"}));
  std::ifstream again(dir / "list.txt.part", std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(again), {}), "someone's file");
  fs::remove_all(dir);
}

TEST(MD5List, VerifyLines) {
  const fs::path dir = fs::temp_directory_path() / ("md5lines-" + std::to_string(::getpid()));
  fs::create_directories(dir);
  std::ofstream(dir / "a", std::ios::binary) << "a";
  std::ofstream(dir / "e").close();
  const std::string a = (dir / "a").string(), e = (dir / "e").string();
  EXPECT_EQ(utils::VerifyFileMD5(dir / "a", 7, nullptr).lines,
            (std::vector<std::string>{"  " + a + " -> MD5:", "0CC175B9C0F1B6A831C399E269772661"}));
  EXPECT_EQ(utils::VerifyFileMD5(dir / "e", 0, nullptr).lines,
            std::vector<std::string>{"  取消效验：" + e + "  -> 文件大小：0 字节。"});
  EXPECT_EQ(utils::VerifyFileMD5(dir / "gone", 0, nullptr).lines,
            std::vector<std::string>{"  \"" + (dir / "gone").string() + "\" 不存在，不能MD5效验。"});
  EXPECT_EQ(utils::VerifyFileMD5(dir / "a", 1, [](auto, auto, bool& c) { c = true; }).lines,
            std::vector<std::string>{"  取消效验：" + a});
  fs::resize_file(dir / "a", 2147483649u);
  EXPECT_EQ(utils::VerifyFileMD5(dir / "a", 1, nullptr).lines,
            std::vector<std::string>{"取消效验：" + a + "  -> 文件大小: 2147483649字节大于2GB，不能使用内存流(请使用文件流)进行MD5效验。"});
  fs::remove_all(dir);
}

}  // namespace
