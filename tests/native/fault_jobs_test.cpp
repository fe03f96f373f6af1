// Every job with one file call failing, for each call it makes: the k-th
// open, read, write, flush, rename or delete fails with an I/O error and with
// a full disk. The job must report its failure and leave the folders as they
// were: no result under a final name, no temporary file, the source and a
// file under the name the result would have taken untouched.
#include <errno.h>

#include <functional>
#include <map>

#include "engine/jobs/decrypt_job.h"
#include "engine/jobs/encrypt_job.h"
#include "engine/jobs/nokey_jobs.h"
#include "fault_layer.h"
#include "job_fixture.h"
#include "sfx/create_job.h"
#include "sfx/detect.h"
#include "sfx/separate_job.h"

namespace {

using testing_support::Content;
using testing_support::JobTest;
using testing_support::RecordingHost;
namespace faults = testing_support::faults;
using faults::Op;
namespace fs = std::filesystem;

using Tree = std::map<std::string, std::string>;  // relative path -> bytes

class FaultJobTest;

// A job as a table row: what it needs, how it runs, how it reports.
struct JobCase {
  const char* name;
  std::function<void(FaultJobTest&)> prepare;  // writes its inputs (no fault is armed)
  std::function<void(FaultJobTest&, engine::JobWindow&)> run;
  std::string done;                   // start of the completion line
  std::vector<std::string> failures;  // starts of its failure lines
  // Files the job writes beside its result and keeps whatever happens to
  // the result; when present after a failure, they are complete.
  std::vector<std::string> kept = {};
  // The start of the line when its last rename, the one that replaces an
  // existing result the user agreed to replace, fails.
  std::string replaceFailure = {};
};

void PrintTo(const JobCase& c, std::ostream* os) { *os << c.name; }

class FaultJobTest : public JobTest, public testing::WithParamInterface<JobCase> {
 public:
  using JobTest::Path;
  using JobTest::Read;
  using JobTest::Write;

 protected:
  Tree Snapshot() const {
    Tree tree;
    for (const auto& e : fs::recursive_directory_iterator(dir_))
      if (e.is_regular_file()) tree[fs::relative(e.path(), dir_).string()] = Read(fs::relative(e.path(), dir_).string());
    return tree;
  }

  // Puts the folder back as `tree` had it.
  void Restore(const Tree& tree) const {
    for (const auto& [name, bytes] : Snapshot())
      if (!tree.count(name)) fs::remove(Path(name));
    for (const auto& [name, bytes] : tree) Write(name, bytes);
  }

  struct Outcome {
    std::vector<std::string> log;
    bool unlocked = true;
  };

  Outcome RunOnce() {
    RecordingHost host;
    host.answers = {true, true, true};
    engine::JobState state;
    engine::TZnZip zip;
    engine::JobWindow w{host, state, zip};
    GetParam().run(*this, w);
    return Outcome{host.log, host.Events("unlock").size() >= host.Events("lock").size()};
  }

  bool Logged(const Outcome& o, const std::string& prefix) const {
    for (const std::string& line : o.log)
      if (line.rfind(prefix, 0) == 0) return true;
    return false;
  }

  bool LoggedFailure(const Outcome& o) const {
    for (const std::string& f : GetParam().failures)
      if (Logged(o, f)) return true;
    return false;
  }

  // `tree` without the files the job keeps beside its result.
  static Tree WithoutKept(Tree tree) {
    for (const std::string& name : GetParam().kept) tree.erase(name);
    return tree;
  }

  static std::vector<std::string> Added(const Tree& before, const Tree& after) {
    std::vector<std::string> added;
    for (const auto& [name, bytes] : after)
      if (!before.count(name)) added.push_back(name);
    return added;
  }
};

// A failure of the k-th call of `op`, the way a test names it.
std::string Fault(Op op, unsigned k, int error) {
  return faults::Name(op) + " #" + std::to_string(k) + (error == ENOSPC ? " (disk full)" : " (I/O error)");
}

TEST_P(FaultJobTest, EveryFailedCallEndsInAReportAndLeavesNothing) {
  faults::Off();
  GetParam().prepare(*this);
  Tree before = Snapshot();

  // A clean run gives the name the result takes; a file put there must stay.
  Outcome clean = RunOnce();
  ASSERT_TRUE(Logged(clean, GetParam().done)) << testing::PrintToString(clean.log);
  const std::vector<std::string> results = Added(before, WithoutKept(Snapshot()));
  ASSERT_EQ(results.size(), 1u);
  Restore(before);
  before[results[0]] = "an existing file under the result's name";
  Restore(before);

  faults::CountOnly();
  clean = RunOnce();
  faults::Off();
  ASSERT_TRUE(Logged(clean, GetParam().done));
  std::map<Op, unsigned> calls;
  for (Op op : faults::kOps) {
    calls[op] = faults::Calls(op);
    RecordProperty(faults::Name(op) + "_calls", static_cast<int>(calls[op]));
  }
  const Tree cleanTree = Snapshot();
  Restore(before);

  for (Op op : faults::kOps) {
    for (unsigned k = 1; k <= calls[op]; ++k) {
      for (int error : {EIO, ENOSPC}) {
        SCOPED_TRACE(Fault(op, k, error));
        faults::FailNth(op, k, error);
        const Outcome o = RunOnce();
        faults::Off();
        ASSERT_TRUE(faults::Fired());
        EXPECT_TRUE(o.unlocked);
        const Tree after = Snapshot();
        if (op == Op::kDelete && Logged(o, GetParam().done)) {
          // Deleting an intermediate is the only call whose failure leaves a
          // complete result: what stays is the intermediate, in the
          // temporary folder.
          for (const std::string& name : Added(cleanTree, after)) EXPECT_EQ(name.rfind("tmp/", 0), 0u) << name;
        } else {
          EXPECT_TRUE(LoggedFailure(o)) << testing::PrintToString(o.log);
          EXPECT_FALSE(Logged(o, GetParam().done)) << testing::PrintToString(o.log);
          EXPECT_EQ(Added(before, WithoutKept(after)), std::vector<std::string>{});
          EXPECT_TRUE(WithoutKept(after) == before) << "a file changed";
          for (const std::string& name : GetParam().kept) {
            if (after.count(name)) {
              EXPECT_EQ(after.at(name), cleanTree.at(name)) << name;
            }
          }
          // The replace text for the replace alone: a full disk at the flush
          // before it is no file that could not be replaced.
          const bool replaceFailed = op == Op::kRename && k == calls[op];
          if (!GetParam().replaceFailure.empty()) {
            EXPECT_EQ(Logged(o, GetParam().replaceFailure), replaceFailed) << testing::PrintToString(o.log);
          }
        }
        Restore(before);
      }
    }
  }
}

// The inputs, made by the jobs themselves before any fault is armed.
const std::string kPlain = Content(300 << 10, 7);

// Runs `job` on a window of its own: how the inputs are made, no fault armed.
void RunAside(const std::function<void(engine::JobWindow&)>& job) {
  RecordingHost host;
  engine::JobState state;
  engine::TZnZip zip;
  engine::JobWindow w{host, state, zip};
  job(w);
}

void Encrypt(FaultJobTest& t, const std::string& file, int level, const std::string& key, const std::string& folder) {
  fs::create_directories(t.Path(folder));
  RunAside([&](engine::JobWindow& w) {
    engine::RunEncryptJob(w, engine::EncryptJobInput{t.Path(file), key, "", "", level, t.Path(folder), false, {}, {}});
  });
}

// The authenticated container, compressed in the pipeline, with a small key derivation.
engine::EncryptJobInput AeadInput(FaultJobTest& t, const std::string& folder) {
  engine::EncryptJobInput in{t.Path("a.txt"), "", "", "", 2, t.Path(folder), false, {}, "key"};
  in.aead = {true, {64, 1, 1}, nullptr};
  return in;
}

void AeadDecrypt(FaultJobTest& t, engine::JobWindow& w) {
  engine::DecryptJobInput in;
  in.source = t.Path("a.jmz");
  in.decryptKeyText = "key";
  in.outputFolder = t.Path("out");
  engine::RunDecryptJob(w, in);
}

void NoKeyEncrypt(FaultJobTest& t, engine::JobWindow& w) {
  w.state.idleFlag = false;  // the dispatching window has prepared the batch
  engine::RunNoKeyEncryptBatch(w, engine::NoKeyBatchInput{{t.Path("a.txt")}, "key", t.Path("out"), false});
}

// Moves the only file of `folder` to `name`.
void TakeOnly(FaultJobTest& t, const std::string& folder, const std::string& name) {
  const fs::path only = fs::directory_iterator(t.Path(folder))->path();
  fs::rename(only, t.Path(name));
  fs::remove(t.Path(folder));
}

void PrepareContainer(FaultJobTest& t, int level) {
  t.Write("a.txt", kPlain);
  Encrypt(t, "a.txt", level, "key", "made");
  fs::remove(t.Path("a.txt"));
  TakeOnly(t, "made", "a.jmz");
}

void Put(std::string& b, std::size_t at, std::uint32_t v, int n) {
  for (int i = 0; i < n; ++i) b[at + i] = static_cast<char>(v >> (8 * i));
}

// The smallest program image the package reader accepts: one section of
// 0x1000 bytes after 0x200 bytes of headers.
std::string Stub() {
  std::string b(0x1200, '\x90');
  std::fill(b.begin(), b.begin() + 0x200, '\0');
  Put(b, 0, 0x5A4D, 2);
  Put(b, 0x3C, 0x80, 4);
  Put(b, 0x80, 0x00004550, 4);
  Put(b, 0x84 + 2, 1, 2);
  Put(b, 0x84 + 16, 240, 2);
  const std::size_t opt = 0x84 + 20;
  Put(b, opt, 0x20B, 2);
  Put(b, opt + 108, 16, 4);
  Put(b, opt + 240 + 16, 0x1000, 4);
  Put(b, opt + 240 + 20, 0x200, 4);
  return b;
}

void Decrypt(FaultJobTest& t, engine::JobWindow& w, const std::string& file) {
  engine::DecryptJobInput in;
  in.source = t.Path(file);
  in.decryptKey = "key";
  in.outputFolder = t.Path("out");
  engine::RunDecryptJob(w, in);
}

// A read error in the check for an earlier layer has a report of its own.
const std::vector<std::string> kEncryptFailures = {"加密文件出错!已停止:", "加密文件出错:", "效验文件标识出错！取消加密:",
                                                   "进行压缩文件...不能完成！"};
const std::vector<std::string> kDecryptFailures = {"解密文件出错!已停止:", "解密文件出错:",
                                                   "进行解压缩文件...不能完成！"};

sfx::PackageInfo g_package;  // the package the self-decryption and separation cases run on

// A package carrying a.jmz (compressed at `level`) as package.exe, detected.
void PreparePackage(FaultJobTest& t, int level) {
  PrepareContainer(t, level);
  t.Write("stub.exe", Stub());
  fs::create_directories(t.Path("made"));
  RunAside([&](engine::JobWindow& w) {
    sfx::PrepareSfxJob(w, sfx::SfxCreateInput{t.Path("a.jmz"), t.Path("stub.exe"), t.Path("made")});
  });
  fs::remove(t.Path("a.jmz"));
  fs::remove(t.Path("stub.exe"));
  TakeOnly(t, "made", "package.exe");
  // The window does this at its start.
  RunAside([&](engine::JobWindow& w) { g_package = sfx::DetectPackage(w.host, t.Path("package.exe")); });
}

const JobCase kJobs[] = {
    {"Encrypt", [](FaultJobTest& t) { t.Write("a.txt", kPlain); },
     [](FaultJobTest& t, engine::JobWindow& w) {
       engine::RunEncryptJob(w, engine::EncryptJobInput{t.Path("a.txt"), "key", "", "", 0, t.Path("out"), false, {}, {}});
     },
     "加密文件已完成:", kEncryptFailures},
    {"CompressAndEncrypt", [](FaultJobTest& t) { t.Write("a.txt", kPlain); },
     [](FaultJobTest& t, engine::JobWindow& w) {
       engine::RunEncryptJob(w, engine::EncryptJobInput{t.Path("a.txt"), "key", "", "", 2, t.Path("out"), false, {}, {}});
     },
     "加密文件已完成:", kEncryptFailures},
    {"CompressOnly", [](FaultJobTest& t) { t.Write("a.txt", kPlain); },
     [](FaultJobTest& t, engine::JobWindow& w) {
       engine::RunEncryptJob(w, engine::EncryptJobInput{t.Path("a.txt"), "", "", "", 2, t.Path("out"), false, {}, {}});
     },
     "进行压缩文件... 已完成:", kEncryptFailures},
    {"Decrypt", [](FaultJobTest& t) { PrepareContainer(t, 0); },
     [](FaultJobTest& t, engine::JobWindow& w) { Decrypt(t, w, "a.jmz"); }, "解密文件已完成:", kDecryptFailures},
    {"DecryptCompressed", [](FaultJobTest& t) { PrepareContainer(t, 2); },
     [](FaultJobTest& t, engine::JobWindow& w) { Decrypt(t, w, "a.jmz"); }, "解密文件已完成:", kDecryptFailures},
    {"AeadEncrypt", [](FaultJobTest& t) { t.Write("a.txt", kPlain); },
     [](FaultJobTest& t, engine::JobWindow& w) { engine::RunEncryptJob(w, AeadInput(t, "out")); },
     "认证加密(Argon2id + ChaCha20-Poly1305)加密文件已完成:", kEncryptFailures},
    {"AeadDecrypt",
     [](FaultJobTest& t) {
       t.Write("a.txt", kPlain);
       fs::create_directories(t.Path("made"));
       RunAside([&](engine::JobWindow& w) { engine::RunEncryptJob(w, AeadInput(t, "made")); });
       fs::remove(t.Path("a.txt"));
       TakeOnly(t, "made", "a.jmz");
     },
     AeadDecrypt, "认证加密格式的文件解密已完成:", kDecryptFailures},
    {"ExpandCompressedOnly",
     [](FaultJobTest& t) {
       t.Write("a.txt", kPlain);
       Encrypt(t, "a.txt", 2, "", "made");
       fs::remove(t.Path("a.txt"));
       TakeOnly(t, "made", "a.zak");
     },
     [](FaultJobTest& t, engine::JobWindow& w) { Decrypt(t, w, "a.zak"); }, "进行解压缩文件... 已完成:", kDecryptFailures},
    {"NoKeyEncrypt", [](FaultJobTest& t) { t.Write("a.txt", kPlain); }, NoKeyEncrypt, "加密(不保存密钥的)文件 ... 已完成:",
     {"加密文件“"}},
    {"NoKeyDecrypt",
     [](FaultJobTest& t) {
       t.Write("a.txt", kPlain);
       RecordingHost host;
       engine::JobState state;
       engine::TZnZip zip;
       engine::JobWindow w{host, state, zip};
       state.idleFlag = false;
       fs::create_directories(t.Path("made"));
       engine::RunNoKeyEncryptBatch(w, engine::NoKeyBatchInput{{t.Path("a.txt")}, "key", t.Path("made"), false});
       fs::remove(t.Path("a.txt"));
       TakeOnly(t, "made", "a.txt.jmz");
     },
     [](FaultJobTest& t, engine::JobWindow& w) {
       w.state.idleFlag = false;
       engine::RunNoKeyDecryptBatch(w, engine::NoKeyBatchInput{{t.Path("a.txt.jmz")}, "key", t.Path("out"), false});
     },
     "解密不保存密钥的加密文件已完成:", {"解密文件“"}},
    {"CreatePackage",
     [](FaultJobTest& t) {
       PrepareContainer(t, 0);
       t.Write("stub.exe", Stub());
     },
     [](FaultJobTest& t, engine::JobWindow& w) {
       sfx::PrepareSfxJob(w, sfx::SfxCreateInput{t.Path("a.jmz"), t.Path("stub.exe"), t.Path("out")});
     },
     "创建自解密文件已完成:", {"创建自解密文件出错"}},
    {"SelfDecrypt", [](FaultJobTest& t) { PreparePackage(t, 2); },
     [](FaultJobTest& t, engine::JobWindow& w) {
       const sfx::PackageInfo& package = g_package;
       engine::DecryptJobInput in;
       in.source = t.Path("package.exe");
       in.decryptKey = "key";
       in.outputFolder = t.Path("out");
       in.selfDecryption = true;
       in.containerStart = package.CarriedStart();
       in.containerSize = static_cast<std::uint64_t>(package.carriedSize);
       in.carriedName = "a.jmz";
       engine::RunDecryptJob(w, in);
     },
     "解密文件已完成:", kDecryptFailures},
    // The result's name is taken after the clean run: the user agrees to replace it.
    {"SeparatePackage", [](FaultJobTest& t) { PreparePackage(t, 0); },
     [](FaultJobTest& t, engine::JobWindow& w) {
       sfx::SeparatePackage(w, sfx::SeparateInput{t.Path("package.exe"), g_package, t.Path("out/a.jmz")});
     },
     "分离自解密文件已完成:", {"分离自解密文件出错!已停止:", "替换删除文件“"}, {"out/星尘 文件加密.exe"},
     "替换删除文件“"},
};

INSTANTIATE_TEST_SUITE_P(Jobs, FaultJobTest, testing::ValuesIn(kJobs),
                         [](const testing::TestParamInfo<JobCase>& info) { return std::string(info.param.name); });

}  // namespace
