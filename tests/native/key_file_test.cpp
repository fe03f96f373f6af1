// Key files give exactly the key text the key box would hold.
#include <gtest/gtest.h>

#include "app/key_file.h"

namespace {

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
  // Line breaks grow the text before the cut.
  EXPECT_EQ(*app::KeyTextFromFile(std::string(2055, 'x') + "\n"), std::string(2055, 'x') + "\r");
}

TEST(KeyFile, BytesThatAreNotGbkTextAreRefused) {
  EXPECT_FALSE(app::KeyTextFromFile("\xFF\xFE"));
  EXPECT_FALSE(app::KeyTextFromFile("abc\xD0"));
  EXPECT_EQ(app::KeyTextFromFile("\xD0\xC7\xB3\xBE"), "\xD0\xC7\xB3\xBE");
}

}  // namespace
