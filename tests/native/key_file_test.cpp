// Key files give exactly the key text the key box would hold.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "app/key_file.h"

namespace {

namespace fs = std::filesystem;

TEST(KeyFile, LineBreaksBecomeCrLfAndTheTextEndsAtTheFirstZeroByte) {
  EXPECT_EQ(app::KeyTextFromFile("a\nb\rc\r\nd"), "a\r\nb\r\nc\r\nd");
  EXPECT_EQ(app::KeyTextFromFile("a\n\n"), "a\r\n\r\n");
  EXPECT_EQ(app::KeyTextFromFile("\r\r\n"), "\r\n\r\n");
  EXPECT_EQ(app::KeyTextFromFile(std::string("key\0rest", 8)), "key");
  EXPECT_EQ(app::KeyTextFromFile(std::string("\0abc", 4)), "");
}

TEST(KeyFile, CutTo2056BytesWithoutSplittingACharacter) {
  EXPECT_EQ(app::KeyTextFromFile(std::string(3000, 'x'))->size(), 2056u);
  // 2,055 ASCII bytes and a double-byte character: the character would end at 2,057.
  const std::string gbkChar = "\xD0\xC7";
  EXPECT_EQ(app::KeyTextFromFile(std::string(2055, 'x') + gbkChar + "yy")->size(), 2055u);
  EXPECT_EQ(app::KeyTextFromFile(std::string(2054, 'x') + gbkChar + "yy")->size(), 2056u);
  // Line breaks grow the text before the cut, which never keeps half of one.
  EXPECT_EQ(*app::KeyTextFromFile(std::string(2055, 'x') + "\n"), std::string(2055, 'x'));
  EXPECT_EQ(*app::KeyTextFromFile(std::string(2054, 'x') + "\n"), std::string(2054, 'x') + "\r\n");
}

TEST(KeyFile, BytesThatAreNotGbkTextAreRefused) {
  EXPECT_FALSE(app::KeyTextFromFile("\xFF\xFE"));
  EXPECT_FALSE(app::KeyTextFromFile("abc\xD0"));
  EXPECT_EQ(app::KeyTextFromFile("\xD0\xC7\xB3\xBE"), "\xD0\xC7\xB3\xBE");
  // Only the kept bytes count: what the cut drops may be anything.
  EXPECT_EQ(app::KeyTextFromFile(std::string(2056, 'x') + "\xFF\xFF"), std::string(2056, 'x'));
}

TEST(KeyFile, LoadingTakesTheKeptStartAndAFailedReadIsNoKey) {
  const fs::path folder = fs::temp_directory_path() / ("key-file-" + std::to_string(::getpid()));
  fs::create_directories(folder);
  const auto write = [&](const char* name, const std::string& bytes) {
    std::ofstream(folder / name, std::ios::binary) << bytes;
    return folder / name;
  };
  using Outcome = app::LoadedKey::Outcome;
  struct Case {
    fs::path file;
    Outcome outcome;
    std::string text;
  } cases[] = {
      {write("big.txt", std::string(2056, 'k') + std::string(1 << 20, '\xFF')), Outcome::kKey, std::string(2056, 'k')},
      {write("bad.txt", "ab\xFF"), Outcome::kNotGbk, ""},
      {folder / "missing.txt", Outcome::kUnreadable, ""},
      {folder, Outcome::kUnreadable, ""},  // opens, but every read fails
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file.string());
    const app::LoadedKey loaded = app::LoadKeyFile(c.file);
    EXPECT_EQ(loaded.outcome, c.outcome);
    EXPECT_EQ(loaded.text, c.text);
  }
  fs::remove_all(folder);
}

}  // namespace
