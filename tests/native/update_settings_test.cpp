// The update check's portable rules: the settings files (version, notices,
// addresses, the order of two files), the INI reading, the URL split and the
// filter that keeps anything but web addresses away from the shell.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/text.h"
#include "utils/update/profile_ini.h"
#include "utils/update/update_settings.h"
#include "utils/update/url_parts.h"
#include "utils/update/web_address.h"

namespace {

using utils::ProfileIni;
using utils::UpdateOutcome;
using utils::UpdateState;

constexpr char kFirst[] = "xc.test";
constexpr char kSecond[] = "xcjm.test";

UpdateOutcome Apply(UpdateState& state, const std::string& utf8Ini) {
  return utils::ApplyUpdateSettings(state, ProfileIni::Parse(*platform::Utf8ToGbk(utf8Ini)), kFirst, kSecond);
}

TEST(UpdateSettings, VersionAboveOursAnnouncesTheBuiltInTextWhenTheFilesTextIsEmpty) {
  UpdateState old;
  EXPECT_TRUE(Apply(old, "[xcwjjm]\nVersion=42560\nxcjmUP=\n").notices.empty());
  UpdateState newer;
  const auto outcome = Apply(newer, "[xcwjjm]\nVersion=42561\nxcjmUP=\n");
  const std::string text = "星尘 文件加密软件有更新版本，请到主页(xc.test或者xcjm.test)下载更新版本。 ";
  EXPECT_EQ(outcome.notices, std::vector<std::string>{text});
  EXPECT_EQ(outcome.logLines, std::vector<std::string>{" " + text});
  EXPECT_EQ(newer.announcedVersion, 42561);
}

TEST(UpdateSettings, AddressesOnlyWithXcjwyNormalisedAndCut) {
  UpdateState without;
  Apply(without, "[xcwjjm]\nxcjmzy=a.test\nxcjmbzy=b.test\nxcjmgxy=c.test\n");
  EXPECT_EQ(without.homeUrl + without.helpUrl + without.updateUrl, "");

  UpdateState with;
  const std::string longAddress = "http://l.test/" + std::string(300, 'x');
  Apply(with, "[xcwjjm]\nxcjwy=\nxcjmzy=a.test/p\nxcjmbzy=HTTPS://B.test/\nxcjmgxy=" + longAddress + "\n");
  EXPECT_EQ(with.homeUrl, "http://a.test/p");
  EXPECT_EQ(with.helpUrl, "HTTPS://B.test/");
  EXPECT_EQ(with.updateUrl, longAddress.substr(0, 212));
}

TEST(UpdateSettings, NoticesInTheirOrderOrb2BeforeOrb1AndCutAt512) {
  UpdateState state;
  const std::string longNotice(600, 'n');
  const auto outcome = Apply(state, "[ORB]\nORB6=six\nORB1=one\nORB3=" + longNotice + "\nORB2=two\nORB4=four\nORB5=\n");
  EXPECT_EQ(outcome.notices, (std::vector<std::string>{"two", longNotice.substr(0, 512), "six"}));
  EXPECT_EQ(outcome.logLines.front(), " two");
  UpdateState onlyOrb1;
  EXPECT_EQ(Apply(onlyOrb1, "[ORB]\nORB1=one\n").notices, std::vector<std::string>{"one"});
}

TEST(UpdateSettings, TheFirstFileWinsAndASharedNoticeIsShownOnce) {
  UpdateState state;
  const auto first = Apply(state, "[xcwjjm]\nVersion=50000\nxcjmUP=new\nxcjwy=1\nxcjmzy=first.test\n[ORB]\nORB3=same\n");
  const auto second = Apply(state, "[xcwjjm]\nVersion=60000\nxcjmUP=newer\nxcjwy=1\nxcjmzy=second.test\n"
                                   "xcjmbzy=help.test\n[ORB]\nORB3=same\nORB5=five\n");
  EXPECT_EQ(first.notices, (std::vector<std::string>{"new", "same"}));
  EXPECT_EQ(second.notices, std::vector<std::string>{"five"});
  EXPECT_EQ(state.announcedVersion, 50000);
  EXPECT_EQ(state.homeUrl, "http://first.test");
  EXPECT_EQ(state.helpUrl, "http://help.test");
}

TEST(ProfileIni, FollowsTheWindowsProfileRules) {
  const std::string text = "; comment\r\n [ Main ] \r\n KEY = \" quoted \" \r\nkey=second\r\nother=中文\r\n"
                           "[main]\r\nlate=ignored\r\n[Num]\r\na=12\r\nb=$1F\r\nc=12x\r\nd=-7\r\n";
  const auto ini = ProfileIni::Parse(*platform::Utf8ToGbk(text));
  EXPECT_EQ(ini.Read("MAIN", "key"), " quoted ");
  EXPECT_EQ(ini.Read("main", "Other"), "中文");
  EXPECT_FALSE(ini.HasKey("main", "late"));
  EXPECT_FALSE(ini.HasKey("none", "key"));
  EXPECT_EQ(ini.ReadInteger("num", "a", 0), 12);
  EXPECT_EQ(ini.ReadInteger("num", "b", 0), 31);
  EXPECT_EQ(ini.ReadInteger("num", "c", 0), 0);
  EXPECT_EQ(ini.ReadInteger("num", "d", 0), -7);
  // Bytes that are not text neither crash nor vanish silently.
  EXPECT_EQ(ProfileIni::Parse("[s]\nk=a\xFF\x81\n").Read("s", "k"), "a\xEF\xBF\xBD\xEF\xBF\xBD");
}

TEST(UpdateFile, IsReadOnceAndDeleted) {
  const auto file = std::filesystem::temp_directory_path() / "xcjm_update_test.ini";
  std::ofstream(file) << "[ORB]\nORB5=hello\n";
  UpdateState state;
  EXPECT_EQ(utils::ProcessUpdateFile(state, file, kFirst, kSecond).notices, std::vector<std::string>{"hello"});
  EXPECT_FALSE(std::filesystem::exists(file));
  EXPECT_TRUE(utils::ProcessUpdateFile(state, file, kFirst, kSecond).notices.empty());
}

TEST(SplitUrl, HostUpToTheNextSlashPortAndScheme) {
  struct Case {
    const char* url;
    const char* host;
    int port;
    const char* object;
    bool secure;
  };
  for (const Case& c : std::vector<Case>{{"http://xc.test/xcwjjm1.htm", "xc.test", 80, "/xcwjjm1.htm", false},
                                         {"HTTPS://xc.test/a/b?c", "xc.test", 443, "/a/b?c", true},
                                         {"xc.test", "xc.test", 80, "", false},
                                         {"http://127.0.0.1:8080/x", "127.0.0.1", 8080, "/x", false},
                                         {"http://127.0.0.1:99999/x", "", 80, "", false}}) {
    const auto parts = utils::SplitUrl(c.url);
    EXPECT_EQ(parts.host, c.host) << c.url;
    EXPECT_EQ(parts.port, c.port) << c.url;
    EXPECT_EQ(parts.object, c.object) << c.url;
    EXPECT_EQ(parts.secure, c.secure) << c.url;
  }
}

TEST(WebAddress, OnlyAbsoluteWebAddressesWithAHostPass) {
  for (const char* good : {"http://xc.test/", "HTTPS://a-b.test:8080/p?q=1#f", "http://127.0.0.1", "http://x.test/中"})
    EXPECT_TRUE(utils::IsWebAddress(good)) << good;
  for (const char* bad : {"file:///C:/Windows/system32/calc.exe", "calc.exe", "C:\\Windows\\notepad.exe",
                          "\\\\server\\share\\x.exe", "httpcalc.exe", "http:calc", "http://", "http:///x",
                          "http://user@evil.test/", "http://a.test/\" x.exe", "http://a.test/ b",
                          "http://a.test\\..\\x", "javascript:alert(1)", "mailto:a@b", "ftp://a.test/",
                          "http://-a.test/", "http://a.test:/", "http://a.test/\x01"})
    EXPECT_FALSE(utils::IsWebAddress(bad)) << bad;
}

}  // namespace
