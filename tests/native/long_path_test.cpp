// The "\\?\" form of long Windows paths.
#include <gtest/gtest.h>

#include <string>

#include "platform/long_path.h"

namespace {

using platform::ExtendedLengthPath;

TEST(LongPath, LongPathsGetTheExtendedFormShortAndOddOnesStay) {
  const std::wstring deep = std::wstring(300, L'd');
  struct Case {
    std::wstring given;
    std::wstring expected;
  };
  const Case cases[] = {
      {L"C:\\short\\file.txt", L"C:\\short\\file.txt"},
      {L"C:\\" + deep, L"\\\\?\\C:\\" + deep},
      {L"z:/" + deep + L"/名字.txt", L"\\\\?\\z:\\" + deep + L"\\名字.txt"},
      {L"\\\\server\\share\\" + deep, L"\\\\?\\UNC\\server\\share\\" + deep},
      {L"\\\\?\\C:\\" + deep, L"\\\\?\\C:\\" + deep},
      {L"\\\\.\\pipe\\" + deep, L"\\\\.\\pipe\\" + deep},
      {L"relative\\" + deep, L"relative\\" + deep},
      {L"\\" + deep, L"\\" + deep},
      {L"", L""},
  };
  for (const Case& c : cases) EXPECT_EQ(ExtendedLengthPath(c.given), c.expected) << c.given.size();
}

TEST(LongPath, TheFormStartsAtTheSmallestLimitOfTheFileApi) {
  const std::wstring below = L"C:\\" + std::wstring(platform::kLongPathThreshold - 4, L'a');
  const std::wstring at = below + L"a";
  EXPECT_EQ(ExtendedLengthPath(below), below);
  EXPECT_EQ(ExtendedLengthPath(at), L"\\\\?\\" + at);
}

}  // namespace
