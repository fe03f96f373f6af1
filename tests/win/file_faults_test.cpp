// The jobs on Windows files that another process holds, that are read-only,
// or that are gone by the time the job starts: each ends in its report and
// leaves nothing behind.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>

#include "../native/recording_host.h"
#include "engine/jobs/decrypt_job.h"
#include "engine/jobs/encrypt_job.h"
#include "platform/file.h"
#include "utils/shred_job.h"

namespace {

namespace fs = std::filesystem;
using testing_support::RecordingHost;

const std::string kBytes(100000, 'x');

// Through the Windows file routines: the C++ streams of this runtime take
// narrow names only.
std::string Read(const fs::path& p) {
  platform::InputFile in(p);
  std::string bytes(static_cast<std::size_t>(in.Size()), '\0');
  in.ReadExact(bytes.data(), bytes.size());
  return bytes;
}

void Write(const fs::path& p, const std::string& bytes) {
  std::error_code ignored;
  fs::remove(p, ignored);
  auto out = platform::OutputFile::CreateNew(p);
  out->Write(bytes.data(), bytes.size());
  out->Close();
}

std::vector<std::string> Names(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(folder)) names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

// One job on `source`, results into `out`; returns its log.
using Job = std::function<std::vector<std::string>(const fs::path& source, const fs::path& out)>;

std::vector<std::string> Encrypt(const fs::path& source, const fs::path& out) {
  RecordingHost host;
  engine::JobState state;
  engine::TZnZip zip;
  engine::JobWindow w{host, state, zip};
  engine::RunEncryptJob(w, engine::EncryptJobInput{source, "key", "", "", 0, out, false, {}, {}});
  return host.log;
}

std::vector<std::string> Decrypt(const fs::path& source, const fs::path& out) {
  RecordingHost host;
  engine::JobState state;
  engine::TZnZip zip;
  engine::JobWindow w{host, state, zip};
  engine::DecryptJobInput in;
  in.source = source;
  in.decryptKey = "key";
  in.outputFolder = out;
  engine::RunDecryptJob(w, in);
  return host.log;
}

std::vector<std::string> Shred(const fs::path& source, const fs::path&) {
  RecordingHost host;
  host.answers = {true};
  engine::JobState state;
  utils::ShredWindow w{host, state, [](bool) {}, nullptr};
  utils::ShredBatch(w, {source});
  return host.log;
}

struct JobCase {
  const char* name;
  Job run;
  bool container;          // the source is a container made by the encryption job
  std::string heldReport;  // the report for a source another process holds
  std::string goneReport;  // the report for a source that is gone
};

void PrintTo(const JobCase& c, std::ostream* os) { *os << c.name; }

const std::string kShredRefused = "粉碎文件出错，已停止: 要粉碎的文件正在使用中或者有只读属性等:";

const JobCase kJobs[] = {
    {"Encrypt", Encrypt, false, "加密文件出错:", "加密文件出错:"},
    {"Decrypt", Decrypt, true, "解密文件出错!已停止:可能要解密的文件正在被使用读写等:", "要解密的文件:“"},
    {"Shred", Shred, false, kShredRefused, kShredRefused},
};

class FileFaultsOnWindows : public testing::TestWithParam<JobCase> {
 protected:
  void SetUp() override {
    static const fs::path base = fs::temp_directory_path();  // before TMP points into the test's folder
    folder_ = base /
              (L"星尘故障-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(GetTickCount64()));
    fs::create_directories(folder_ / "out");
    fs::create_directories(folder_ / "tmp");
    // The jobs' intermediates go to the temporary folder: one of the test's own.
    for (int i = 0; i < 2; ++i) {
      wchar_t value[MAX_PATH + 1] = {};
      if (GetEnvironmentVariableW(i == 0 ? L"TMP" : L"TEMP", value, MAX_PATH + 1) <= MAX_PATH) saved_[i] = value;
    }
    SetEnvironmentVariableW(L"TMP", (folder_ / "tmp").c_str());
    SetEnvironmentVariableW(L"TEMP", (folder_ / "tmp").c_str());
    source_ = folder_ / "a.txt";
    Write(source_, kBytes);
    if (GetParam().container) {
      fs::create_directories(folder_ / "made");
      ASSERT_EQ(Encrypt(source_, folder_ / "made").size(), 1u);
      fs::remove(source_);
      source_ = folder_ / "a.jmz";
      fs::rename(folder_ / "made" / "a.jmz", source_);
      fs::remove(folder_ / "made");
    }
    sourceBytes_ = Read(source_);
  }

  void TearDown() override {
    SetEnvironmentVariableW(L"TMP", saved_[0].empty() ? nullptr : saved_[0].c_str());
    SetEnvironmentVariableW(L"TEMP", saved_[1].empty() ? nullptr : saved_[1].c_str());
    SetFileAttributesW(source_.c_str(), FILE_ATTRIBUTE_NORMAL);
    std::error_code ignored;
    fs::remove_all(folder_, ignored);
  }

  std::string Display() const { return engine::DisplayPath(source_); }

  // Nothing new beside the source, in the output or in the temporary folder.
  void ExpectNothingLeft() const {
    EXPECT_EQ(Names(folder_ / "out"), std::vector<std::string>{});
    EXPECT_EQ(Names(folder_ / "tmp"), std::vector<std::string>{});
    EXPECT_EQ(Names(folder_).size(), 3u);  // the source, out and tmp
  }

  std::wstring saved_[2];  // TMP and TEMP before the test
  fs::path folder_;
  fs::path source_;
  std::string sourceBytes_;
};

// Another process of this program opens `file` shared with nobody and keeps
// it open for as long as this object lives.
class HeldByAnotherProcess {
 public:
  explicit HeldByAnotherProcess(const fs::path& file) {
    const std::wstring event = L"xcjm-held-" + std::to_wstring(GetCurrentProcessId());
    ready_ = CreateEventW(nullptr, TRUE, FALSE, event.c_str());
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring command = L"\"" + std::wstring(self) + L"\" --hold \"" + file.wstring() + L"\" " + event;
    STARTUPINFOW si{};
    si.cb = sizeof si;
    started_ = CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &process_);
    held_ = started_ && WaitForSingleObject(ready_, 30000) == WAIT_OBJECT_0;
  }
  ~HeldByAnotherProcess() {
    if (started_) {
      TerminateProcess(process_.hProcess, 0);
      WaitForSingleObject(process_.hProcess, 30000);
      CloseHandle(process_.hProcess);
      CloseHandle(process_.hThread);
    }
    CloseHandle(ready_);
  }
  bool Held() const { return held_; }

 private:
  HANDLE ready_ = nullptr;
  PROCESS_INFORMATION process_{};
  bool started_ = false;
  bool held_ = false;
};

TEST_P(FileFaultsOnWindows, ASourceAnotherProcessHoldsIsReportedAndLeftAlone) {
  std::vector<std::string> log;
  {
    HeldByAnotherProcess holder(source_);
    ASSERT_TRUE(holder.Held());
    log = GetParam().run(source_, folder_ / "out");
  }
  EXPECT_EQ(log, std::vector<std::string>{GetParam().heldReport + Display()});
  EXPECT_TRUE(Read(source_) == sourceBytes_);
  ExpectNothingLeft();
}

TEST_P(FileFaultsOnWindows, ASourceGoneBeforeTheJobIsReported) {
  fs::remove(source_);  // chosen in the dialog, deleted before the job starts
  const std::vector<std::string> log = GetParam().run(source_, folder_ / "out");
  ASSERT_EQ(log.size(), 1u);
  EXPECT_EQ(log[0].rfind(GetParam().goneReport, 0), 0u) << log[0];
  EXPECT_NE(log[0].find(Display()), std::string::npos) << log[0];
  EXPECT_EQ(Names(folder_ / "out"), std::vector<std::string>{});
  EXPECT_EQ(Names(folder_ / "tmp"), std::vector<std::string>{});
}

INSTANTIATE_TEST_SUITE_P(Jobs, FileFaultsOnWindows, testing::ValuesIn(kJobs),
                         [](const testing::TestParamInfo<JobCase>& info) { return std::string(info.param.name); });

class ReadOnlyOnWindows : public testing::Test {
 protected:
  void SetUp() override {
    folder_ = fs::temp_directory_path() / (L"星尘只读-" + std::to_wstring(GetTickCount64()));
    fs::create_directories(folder_ / "out");
  }
  void TearDown() override {
    for (const auto& e : fs::recursive_directory_iterator(folder_))
      SetFileAttributesW(e.path().c_str(), FILE_ATTRIBUTE_NORMAL);
    std::error_code ignored;
    fs::remove_all(folder_, ignored);
  }
  fs::path folder_;
};

TEST_F(ReadOnlyOnWindows, AReadOnlyFileUnderTheResultsNameStaysAndTheResultIsNumbered) {
  Write(folder_ / "a.txt", kBytes);
  const fs::path taken = folder_ / "out" / "a.jmz";
  Write(taken, "read-only");
  ASSERT_TRUE(SetFileAttributesW(taken.c_str(), FILE_ATTRIBUTE_READONLY));
  EXPECT_EQ(Encrypt(folder_ / "a.txt", folder_ / "out"),
            std::vector<std::string>{"加密文件已完成:" + engine::DisplayPath(folder_ / "a.txt")});
  EXPECT_EQ(Names(folder_ / "out"), (std::vector<std::string>{"a(1).jmz", "a.jmz"}));
  EXPECT_EQ(Read(taken), "read-only");
  EXPECT_NE(GetFileAttributesW(taken.c_str()) & FILE_ATTRIBUTE_READONLY, 0u);
}

TEST_F(ReadOnlyOnWindows, AReadOnlyFileIsNotShredded) {
  const fs::path file = folder_ / "ro.bin";
  Write(file, kBytes);
  ASSERT_TRUE(SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_READONLY));
  EXPECT_EQ(Shred(file, {}), std::vector<std::string>{kShredRefused + engine::DisplayPath(file)});
  EXPECT_TRUE(fs::exists(file));
  EXPECT_TRUE(Read(file) == kBytes);
}

}  // namespace
