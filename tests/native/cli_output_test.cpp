// What jmz prints where: the version, error lines on standard error, the
// quiet mode, and the manual page and completion that document the options.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <regex>
#include <set>

#include "cli/error_line.h"
#include "cli/jmz.h"
#include "cli/options.h"

namespace {

namespace fs = std::filesystem;

struct Printed {
  int status;
  std::string out, err;
};

Printed RunJmzCaptured(const std::vector<std::string>& args) {
  testing::internal::CaptureStdout();
  testing::internal::CaptureStderr();
  const int status = cli::RunJmz(args);
  std::string out = testing::internal::GetCapturedStdout();
  return {status, out, testing::internal::GetCapturedStderr()};
}

std::string ReadText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

class JmzOutputTest : public testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("xcjm-out-" + std::string(testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    std::ofstream(P("a.txt")) << "some text";
  }
  void TearDown() override { fs::remove_all(dir_); }
  std::string P(const std::string& name) const { return (dir_ / name).string(); }
  fs::path dir_;
};

TEST_F(JmzOutputTest, VersionIsTheBuildsVersion) {
  for (const char* flag : {"--version", "-V"}) {
    const Printed r = RunJmzCaptured({flag});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, std::string("jmz ") + XCJM_VERSION + "\n");
  }
}

TEST_F(JmzOutputTest, AFailedFileGetsOneErrorLineWithItsCause) {
  const Printed r = RunJmzCaptured({"encrypt", "-k", "k", P("a.txt"), P("missing.txt")});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "加密文件已完成:" + P("a.txt") + "\n加密文件出错:" + P("missing.txt") + "\n");
  EXPECT_EQ(r.err, "jmz: " + P("missing.txt") + ": 加密文件出错 (cannot open " + P("missing.txt") +
                       ": No such file or directory)\n");
}

TEST_F(JmzOutputTest, QuietKeepsOnlyTheErrors) {
  std::ofstream(P("empty.txt")).close();
  const Printed enc = RunJmzCaptured({"encrypt", "--quiet", "-k", "k", P("a.txt"), P("empty.txt")});
  EXPECT_EQ(enc.status, 1);
  EXPECT_EQ(enc.out, "");
  EXPECT_EQ(enc.err, "jmz: " + P("empty.txt") + ": 文件(大小0字节)是空的!(不需要)压缩/加密已取消\n");
  ASSERT_TRUE(fs::exists(P("a.jmz")));

  const Printed dec = RunJmzCaptured({"decrypt", "-q", "-k", "wrong", "-o", P(""), P("a.jmz")});
  EXPECT_EQ(dec.out, "");
  EXPECT_EQ(dec.err, "jmz: " + P("a.jmz") + ": 解密的密钥与加密的文件里的密钥不相同,不能解密\n");

  const Printed shred = RunJmzCaptured({"shred", "-q", "--yes", P("missing.txt")});
  EXPECT_EQ(shred.status, 1);
  EXPECT_EQ(shred.out, "");
  EXPECT_NE(shred.err.find("jmz: " + P("missing.txt") + ": 粉碎文件出错"), std::string::npos) << shred.err;
  EXPECT_EQ(std::count(shred.err.begin(), shred.err.end(), '\n'), 1);

  const Printed sfx = RunJmzCaptured({"sfx-create", "-q", "--stub", P("missing.exe"), P("a.jmz")});
  EXPECT_EQ(sfx.status, 1);
  EXPECT_EQ(sfx.out, "");
  EXPECT_TRUE(sfx.err.starts_with("jmz: 创建自解密文件出错")) << sfx.err;
  EXPECT_NE(sfx.err.find("(cannot open " + P("missing.exe") + ": No such file or directory)"), std::string::npos);
  EXPECT_EQ(std::count(sfx.err.begin(), sfx.err.end(), '\n'), 1);
}

TEST_F(JmzOutputTest, QuietChecklistPrintsOnlyFailures) {
  std::ofstream(P("b.txt")) << "other";
  std::ofstream(P("list.md5")) << "552e21cd4cd9918678e3c1a0df491bc3  " << P("a.txt") << "\n"
                               << "00000000000000000000000000000000  " << P("b.txt") << "\n";
  const Printed r = RunJmzCaptured({"md5", "-q", "-c", P("list.md5")});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, P("b.txt") + ": FAILED\n");
}

TEST(ErrorLineTest, NamesTheFileThenTheMessageOnOneLine) {
  struct Case {
    std::string log, cause, want;
  } cases[] = {
      {"加密文件出错:/d/a.txt", "", "jmz: /d/a.txt: 加密文件出错\n"},
      {"加密文件出错:/d/a.txt", "disk full", "jmz: /d/a.txt: 加密文件出错 (disk full)\n"},
      {"加密文件“/d/a.txt”出错!已停止。", "", "jmz: /d/a.txt: 加密文件“/d/a.txt”出错!已停止。\n"},
      {"粉碎文件出错，已停止:文件不能被删除:/d/ab.txt", "", "jmz: /d/ab.txt: 粉碎文件出错，已停止:文件不能被删除\n"},
      {"未知\r\n第二行", "x\ny", "jmz: 未知  第二行 (x y)\n"},
  };
  for (const Case& c : cases) EXPECT_EQ(cli::ErrorLine(c.log, {"/d/a.txt", "/d/ab.txt"}, c.cause), c.want) << c.log;
}

// Every option the help names, as the help spells it.
std::set<std::string> HelpOptions() {
  const std::string help = cli::kUsage;
  std::set<std::string> options;
  const std::regex option(R"((^|[\s,(])(--?[A-Za-z][-A-Za-z]*))");
  for (auto it = std::sregex_iterator(help.begin(), help.end(), option); it != std::sregex_iterator(); ++it)
    options.insert((*it)[2]);
  return options;
}

TEST(JmzManualTest, ManualPageAndCompletionNameEveryOptionOfTheHelp) {
  const std::set<std::string> options = HelpOptions();
  ASSERT_GT(options.size(), 20u);  // the parse found the option table
  std::string manual = ReadText(fs::path(XCJM_SOURCE_DIR) / "docs/jmz.1.in");
  ASSERT_FALSE(manual.empty());
  manual = std::regex_replace(manual, std::regex(R"(\\-)"), "-");
  manual = std::regex_replace(manual, std::regex(R"(\\f[BIR])"), "");
  const std::string completion = ReadText(fs::path(XCJM_SOURCE_DIR) / "cli/jmz.bash-completion");
  ASSERT_FALSE(completion.empty());
  const std::regex whole(R"((^|[^-A-Za-z])(--?[A-Za-z][-A-Za-z]*)(?![-A-Za-z]))");
  auto names = [&](const std::string& text) {
    std::set<std::string> found;
    for (auto it = std::sregex_iterator(text.begin(), text.end(), whole); it != std::sregex_iterator(); ++it)
      found.insert((*it)[2]);
    return found;
  };
  const std::set<std::string> inManual = names(manual), inCompletion = names(completion);
  for (const std::string& o : options) {
    EXPECT_TRUE(inManual.count(o)) << o << " is missing from the manual page";
    EXPECT_TRUE(inCompletion.count(o)) << o << " is missing from the completion";
  }
  for (const char* command : {"encrypt", "decrypt", "nokey-encrypt", "nokey-decrypt", "info", "md5", "shred"}) {
    EXPECT_NE(manual.find(std::string(".B ") + command), std::string::npos) << command;
    EXPECT_NE(completion.find(command), std::string::npos) << command;
  }
  for (const char* section : {".SH EXIT STATUS", ".SH ENVIRONMENT", ".SH OPTIONS", ".SH COMMANDS"})
    EXPECT_NE(manual.find(section), std::string::npos) << section;
}

// The completion offers what a command takes: commands first, then that
// command's options, option values, folders after -o.
TEST(JmzManualTest, CompletionOffersCommandsOptionsAndValues) {
  const fs::path script = fs::path(XCJM_SOURCE_DIR) / "cli/jmz.bash-completion";
  struct Case {
    std::string words, want;
  } cases[] = {
      {"jmz nokey-", "nokey-encrypt nokey-decrypt"},
      {"jmz shred -", "--yes -q --quiet --"},
      {"jmz md5 --mode ", "auto map stream"},
      {"jmz nokey-encrypt --format-version ", "38 30 20"},
      {"jmz encrypt -l ", "0 1 2 3"},
      {"jmz encrypt --old-key-", "--old-key-file --old-key-env"},
  };
  for (const Case& c : cases) {
    const std::string command = "bash -c 'source \"" + script.string() + "\"; COMP_WORDS=(" + c.words +
                                "\"\"); COMP_CWORD=$((${#COMP_WORDS[@]}-1)); _jmz; echo \"${COMPREPLY[*]}\"' 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::string got;
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, pipe)) got += buffer;
    pclose(pipe);
    EXPECT_EQ(got, c.want + "\n") << c.words;
  }
}

}  // namespace
