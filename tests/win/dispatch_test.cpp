// Batches over windows: three files give three windows that each write
// their container; a cancel during the dispatch stops further windows; the
// job lock while a job runs and after it; closing while jobs run.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>

#include "app/win32/ui_texts.h"
#include "platform/paths.h"
#include "window_fixture.h"

namespace {

using namespace wintest;
using namespace app;

std::wstring Display(const fs::path& file) { return platform::Widen(engine::DisplayPath(file)); }

class DispatchTest : public WindowTest {
 protected:
  // Waits until every window of the thread has no running worker and its
  // log holds `lines` lines with `part`.
  bool WaitForLines(const std::wstring& part, std::size_t lines) {
    return PumpUntil([&] {
      std::size_t found = 0;
      for (HWND w : TysjmWindows())
        for (const std::wstring& line : LogLines(w))
          if (line.find(part) != std::wstring::npos) ++found;
      return found >= lines;
    });
  }

  static std::wstring LineWith(HWND window, const std::wstring& part) {
    for (const std::wstring& line : LogLines(window))
      if (line.find(part) != std::wstring::npos) return line;
    return L"";
  }
};

TEST_F(DispatchTest, ThreeFilesGiveThreeWindowsThatEachWriteTheirContainerAndDecryptBack) {
  StartPrimary();
  const fs::path a = MakeFile(L"a 甲.txt", 70000, 1);
  const fs::path b = MakeFile(L"b.bin", 5000, 2);
  const fs::path c = MakeFile(L"c.doc", 1, 3);
  SetKey(Primary(), kIdJm1, L"星尘 key");
  dialogs_.openAnswers.push_back(std::vector<std::wstring>{a.wstring(), b.wstring(), c.wstring()});
  Click(Primary(), kIdButton1);

  ASSERT_EQ(dialogs_.openRequests.size(), 1u);
  EXPECT_EQ(dialogs_.openRequests[0].title, L"选择要加密的文件进行加密(可多选):");
  EXPECT_EQ(dialogs_.openRequests[0].filter, L"全部文件(*.*)|*.*");
  ASSERT_TRUE(WaitForLines(L"加密文件已完成:", 3));
  const std::vector<HWND> windows = TysjmWindows();
  ASSERT_EQ(windows.size(), 3u);
  EXPECT_EQ(TextOf(Primary()), L"星尘 文件加密 (主程序)");
  EXPECT_EQ(primary_->Tag(), 1);
  std::vector<HWND> secondary;
  for (HWND w : windows)
    if (w != Primary()) secondary.push_back(w);
  ASSERT_EQ(secondary.size(), 2u);
  // The further windows cascade down from this one by one caption each.
  RECT first{};
  GetWindowRect(Primary(), &first);
  POINT client{0, 0};
  ClientToScreen(Primary(), &client);
  const int step = client.y - first.top;
  std::vector<LONG> offsets;
  for (HWND w : secondary) {
    RECT r{};
    GetWindowRect(w, &r);
    EXPECT_EQ(r.left - first.left, r.top - first.top);
    offsets.push_back(r.top - first.top);
  }
  std::sort(offsets.begin(), offsets.end());
  EXPECT_EQ(offsets, (std::vector<LONG>{step, 2 * step}));
  for (HWND w : secondary) {
    EXPECT_EQ(TextOf(w), L"星尘 文件加密 (副程序)");
    EXPECT_TRUE(IsWindowVisible(w));
    // Each window shows the keys it was given and runs the same compression.
    EXPECT_EQ(TextOf(GetDlgItem(w, kIdJm1)), L"星尘 key");
    EXPECT_TRUE(Checked(w, kIdRgysl2));
  }
  // One line per window, each naming its own file.
  EXPECT_TRUE(HasLine(Primary(), L" 加密文件已完成:" + Display(a)));
  std::vector<std::wstring> others = {LineWith(secondary[0], L"已完成"), LineWith(secondary[1], L"已完成")};
  std::sort(others.begin(), others.end());
  std::vector<std::wstring> expected = {L" 加密文件已完成:" + Display(b), L" 加密文件已完成:" + Display(c)};
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(others, expected);
  // The output folder is the first file's folder; the log list shows it.
  const std::wstring folder = folder_.wstring() + L"\\";
  EXPECT_EQ(primary_->Hint(kIdComboBox1), folder);
  EXPECT_EQ(TextOf(GetDlgItem(Primary(), kIdComboBox1)), folder);
  for (const wchar_t* name : {L"a 甲.jmz", L"b.jmz", L"c.jmz"}) EXPECT_TRUE(fs::exists(File(name))) << name;

  // Decrypt the three containers into another folder, by the output folder command.
  const fs::path out = folder_ / L"解密";
  fs::create_directories(out);
  dialogs_.folderAnswers.push_back(out.wstring());
  Command(Primary(), kIdN28);
  EXPECT_EQ(primary_->OutputFolder(), platform::PathToUtf8(out) + "\\");
  SetKey(Primary(), kIdJm2, L"星尘 key");
  dialogs_.openAnswers.push_back(
      std::vector<std::wstring>{File(L"a 甲.jmz").wstring(), File(L"b.jmz").wstring(), File(L"c.jmz").wstring()});
  Click(Primary(), kIdButton2);
  EXPECT_EQ(dialogs_.openRequests.back().filter, L"jmz文件(*.jmz)|*.jmz|zak文件(*.zak)|*.zak|全部文件(*.*)|*.*");
  ASSERT_TRUE(WaitForLines(L"解密文件已完成:", 3));
  EXPECT_EQ(TysjmWindows().size(), 5u);
  EXPECT_EQ(TextOf(Primary()), L"星尘 文件加密 (主程序)");  // the suffix is added once
  EXPECT_EQ(ReadFileBytes(out / L"a 甲.txt"), ReadFileBytes(a));
  EXPECT_EQ(ReadFileBytes(out / L"b.bin"), ReadFileBytes(b));
  EXPECT_EQ(ReadFileBytes(out / L"c.doc"), ReadFileBytes(c));
  EXPECT_EQ(group_->table.SecondaryCount(), 4);
  EXPECT_EQ(group_->table.WindowCounter(), 4);
}

TEST_F(DispatchTest, OneFileCreatesNoWindowAndLeavesTheCaption) {
  StartPrimary();
  const fs::path a = MakeFile(L"one.txt", 300);
  SetKey(Primary(), kIdJm1, L"k");
  dialogs_.openAnswers.push_back(std::vector<std::wstring>{a.wstring()});
  Click(Primary(), kIdButton1);
  ASSERT_TRUE(WaitForLines(L"加密文件已完成:", 1));
  EXPECT_EQ(TysjmWindows().size(), 1u);
  EXPECT_EQ(TextOf(Primary()), L"星尘 文件加密");
  EXPECT_EQ(primary_->Tag(), 0);
}

TEST_F(DispatchTest, CancelDuringTheDispatchStopsFurtherWindows) {
  clock_.pacePercent = 100;
  StartPrimary();
  // The first file is large, so its job still runs when the cancel comes.
  std::vector<std::wstring> files = {MakeFile(L"big.bin", 48 << 20).wstring()};
  for (int i = 1; i < 6; ++i) files.push_back(MakeFile(L"f" + std::to_wstring(i) + L".txt", 100, i).wstring());
  SetKey(Primary(), kIdJm1, L"key");
  Click(Primary(), kIdRgysl0);  // no compression
  dialogs_.openAnswers.push_back(files);
  boxes_.answers = {IDYES};
  bool clicked = false;
  clock_.onUiPause = [&] {
    // Once the first secondary window exists and this window's job is
    // locked, the user clicks the cancel button.
    if (clicked || TysjmWindows().size() < 2 || TextOf(GetDlgItem(Primary(), kIdButton1)) != L"取消加密") return;
    clicked = true;
    Click(Primary(), kIdButton1);
  };
  Click(Primary(), kIdButton1);
  clock_.onUiPause = nullptr;
  ASSERT_TRUE(clicked);
  EXPECT_EQ(TysjmWindows().size(), 2u);
  ASSERT_EQ(boxes_.shown.size(), 1u);
  EXPECT_EQ(boxes_.shown[0].caption, L"取消加密");
  EXPECT_EQ(boxes_.shown[0].text, L"真的要取消加密：“" + Display(files[0]) + L"”吗?");
  EXPECT_EQ(boxes_.shown[0].flags, static_cast<UINT>(MB_YESNO | MB_ICONQUESTION));
  EXPECT_TRUE(HasLine(Primary(), L" 加密文件已取消:" + Display(files[0])));
  ASSERT_TRUE(PumpUntil([&] { return !primary_->WorkerRunning(); }));
  ASSERT_TRUE(WaitForLines(L"加密文件已完成:", 1));  // the second file's window finishes its job
  EXPECT_FALSE(fs::exists(File(L"big.jmz")));
  EXPECT_TRUE(fs::exists(File(L"f1.jmz")));
  for (int i = 2; i < 6; ++i) EXPECT_FALSE(fs::exists(File(L"f" + std::to_wstring(i) + L".jmz")));
  // Nothing half-written stays behind.
  std::size_t entries = 0;
  for (const auto& entry : fs::directory_iterator(folder_)) entries += entry.is_regular_file();
  EXPECT_EQ(entries, 7u);  // six sources and one container
  EXPECT_EQ(TextOf(GetDlgItem(Primary(), kIdButton1)), L"加密文件");
}

TEST_F(DispatchTest, JobLockWhileAJobRunsAndAfterIt) {
  StartPrimary();
  // Eight counted clicks make the job ask for the format version, so the
  // window can be looked at while its job waits for the answer.
  for (int i = 0; i < 8; ++i) Command(Primary(), kIdSiteLeft, STN_CLICKED);
  ASSERT_EQ(primary_->HiddenClickCount(), 8);
  const fs::path a = MakeFile(L"lock.txt", 4000);
  SetKey(Primary(), kIdJm1, L"k");
  struct Seen {
    std::wstring button1, button2;
    bool b1, b2, b6, b7, b8, sf, jm1, jm2, md5Enabled, md5Ticked;
    int tag;
  };
  std::vector<Seen> seen;
  boxes_.onShow = [&](const ShownBox& box) {
    if (box.caption != L"加密算法") return;
    HWND w = Primary();
    seen.push_back({TextOf(GetDlgItem(w, kIdButton1)), TextOf(GetDlgItem(w, kIdButton2)), Enabled(w, kIdButton1),
                    Enabled(w, kIdButton2), Enabled(w, kIdButton6), Enabled(w, kIdButton7), Enabled(w, kIdButton8),
                    Enabled(w, kIdSf), Enabled(w, kIdJm1), Enabled(w, kIdJm2), Enabled(w, kIdCheckBox2),
                    Checked(w, kIdCheckBox2), primary_->ButtonTag(kIdButton1)});
  };
  boxes_.answers = {IDNO};  // the current version
  dialogs_.openAnswers.push_back(std::vector<std::wstring>{a.wstring()});
  Click(Primary(), kIdButton1);
  ASSERT_TRUE(WaitForLines(L"加密文件已完成:", 1));
  ASSERT_EQ(seen.size(), 1u);
  const Seen& during = seen[0];
  EXPECT_EQ(during.button1, L"取消加密");
  EXPECT_EQ(during.tag, 1);
  EXPECT_TRUE(during.b1);
  EXPECT_FALSE(during.b2 || during.b6 || during.b7 || during.b8 || during.jm1 || during.jm2 || during.md5Enabled);
  EXPECT_FALSE(during.md5Ticked);
  EXPECT_TRUE(during.sf);
  EXPECT_EQ(during.button2, L"解密文件");

  ASSERT_TRUE(PumpUntil([&] { return !primary_->WorkerRunning(); }));
  EXPECT_EQ(TextOf(GetDlgItem(Primary(), kIdButton1)), L"加密文件");
  EXPECT_EQ(primary_->ButtonTag(kIdButton1), 0);
  EXPECT_TRUE(Enabled(Primary(), kIdButton2) && Enabled(Primary(), kIdJm1) && Enabled(Primary(), kIdJm2));
  EXPECT_TRUE(Checked(Primary(), kIdCheckBox2));
  EXPECT_FALSE(Enabled(Primary(), kIdButton7) || Enabled(Primary(), kIdButton8));
  // The MD5 box was unticked during the job (stored) and ticked after it (removed).
  EXPECT_FALSE(StoredDword(L"md5"));
  EXPECT_EQ(primary_->Hint(kIdProgressBar1), L"加密后的文件：" + Display(File(L"lock.jmz")));
  EXPECT_EQ(StatusPanel(Primary()), L"加密文件已完成:" + Display(a));
  EXPECT_EQ(primary_->Hint(kIdStatusBar1), L"加密文件已完成:" + Display(a));
  // The progress bar stands at its end.
  HWND bar = GetDlgItem(Primary(), kIdProgressBar1);
  EXPECT_EQ(SendMessageW(bar, PBM_GETPOS, 0, 0), SendMessageW(bar, PBM_GETRANGE, FALSE, 0));
}

TEST_F(DispatchTest, CancellingAJobDeletesItsOutputAndUnlocks) {
  StartPrimary();
  for (int i = 0; i < 8; ++i) Command(Primary(), kIdSiteRight, STN_CLICKED);
  const fs::path a = MakeFile(L"cancel.txt", 4000);
  SetKey(Primary(), kIdJm1, L"k");
  Click(Primary(), kIdRgysl0);
  boxes_.onShow = [&](const ShownBox& box) {
    if (box.caption != L"加密算法") return;
    boxes_.onShow = nullptr;
    boxes_.answers.push_front(IDYES);  // "真的要取消加密…吗?"
    Click(Primary(), kIdButton1);
  };
  boxes_.answers = {IDNO};
  dialogs_.openAnswers.push_back(std::vector<std::wstring>{a.wstring()});
  Click(Primary(), kIdButton1);
  ASSERT_TRUE(PumpUntil([&] { return !primary_->WorkerRunning() && HasLine(Primary(), L" 加密文件已取消:" + Display(a)); }));
  EXPECT_EQ(boxes_.Count(L"真的要取消加密"), 1);
  EXPECT_FALSE(fs::exists(File(L"cancel.jmz")));
  EXPECT_EQ(TextOf(GetDlgItem(Primary(), kIdButton1)), L"加密文件");
  EXPECT_TRUE(Enabled(Primary(), kIdButton2));
  // The window runs the next job at once.
  SetKey(Primary(), kIdJm1, L"k");
  dialogs_.openAnswers.push_back(std::vector<std::wstring>{a.wstring()});
  boxes_.answers = {IDNO};
  Click(Primary(), kIdButton1);
  ASSERT_TRUE(WaitForLines(L"加密文件已完成:", 1));
  EXPECT_TRUE(fs::exists(File(L"cancel.jmz")));
}

TEST_F(DispatchTest, AKeyThatGbkCannotWriteIsRefusedBeforeTheDialog) {
  StartPrimary();
  SetKey(Primary(), kIdJm1, L"key \x0E01");  // a Thai letter
  Click(Primary(), kIdButton1);
  EXPECT_TRUE(dialogs_.openRequests.empty());
  ASSERT_EQ(boxes_.shown.size(), 1u);
  EXPECT_EQ(boxes_.shown[0].caption, L"星尘 文件加密(当此提示窗体后置(线程运行造成),请点桌面再点回此程序窗体)");
  EXPECT_EQ(boxes_.shown[0].flags, 0xF0u);
  EXPECT_NE(boxes_.shown[0].text.find(L"GBK"), std::wstring::npos);
  EXPECT_EQ(StatusPanel(Primary()), boxes_.shown[0].text);
}

// The key a batch uses is the key that was checked when the button was
// clicked: a box changed while the dialog was open (here to a text that GBK
// cannot write) neither becomes an empty key nor leaves a file unencrypted.
TEST_F(DispatchTest, TheKeyCheckedAtTheClickIsTheKeyTheBatchUses) {
  StartPrimary();
  SetKey(Primary(), kIdJm1, L"checked key");
  const fs::path a = MakeFile(L"a.txt", 5000);
  dialogs_.onOpen = [&] { SetKey(Primary(), kIdJm1, L"a\U0001F600"); };
  dialogs_.openAnswers.push_back(std::vector<std::wstring>{a.wstring()});
  Click(Primary(), kIdButton1);
  ASSERT_TRUE(WaitForLines(L"加密文件已完成:", 1));
  ASSERT_TRUE(PumpUntil([&] { return !primary_->WorkerRunning(); }));
  EXPECT_TRUE(fs::exists(File(L"a.jmz")));
  EXPECT_FALSE(fs::exists(File(L"a.txt.zak")));
  dialogs_.onOpen = nullptr;
  SetKey(Primary(), kIdJm2, L"checked key");
  dialogs_.openAnswers.push_back(std::vector<std::wstring>{File(L"a.jmz").wstring()});
  Click(Primary(), kIdButton2);
  ASSERT_TRUE(WaitForLines(L"解密文件已完成:", 1));
}

TEST_F(DispatchTest, ASecondClickDuringTheResetPauseIsRefusedNotRunNested) {
  StartPrimary();
  SetKey(Primary(), kIdJm1, L"k");
  SetKey(Primary(), kIdJm2, L"k");
  // A double click, or Enter twice, arrives while the command serves messages
  // before its dialog; run nested, its job would be stopped by the outer one.
  for (int id : std::vector<int>{kIdButton1, kIdButton2, kIdButton6, kIdDelfl, kIdNoKeyEncrypt, kIdNoKeyDecrypt}) {
    SCOPED_TRACE(id);
    dialogs_.openRequests.clear();
    boxes_.beeps = 0;
    bool again = false;
    clock_.onUiPause = [&] {
      if (again || !dialogs_.openRequests.empty()) return;
      again = true;
      Command(Primary(), id, BN_CLICKED);
    };
    Command(Primary(), id, BN_CLICKED);
    clock_.onUiPause = nullptr;
    EXPECT_TRUE(again);
    EXPECT_EQ(dialogs_.openRequests.size(), 1u);
    EXPECT_EQ(boxes_.beeps, 1);
  }
}

TEST_F(DispatchTest, EachBatchPausesAndReportsItsFailuresItsOwnWay) {
  StartPrimary();
  SetKey(Primary(), kIdJm1, L"k");
  SetKey(Primary(), kIdJm2, L"k");
  const fs::path file = MakeFile(L"one.jmz", 10);
  struct Case {
    int button;
    std::vector<int> pauses;  // reset, then one file's dispatch
    std::wstring failure;
    int beeps;
  } cases[] = {
      {kIdButton1, {260, 33, 33}, L"加密文件出错!已停止:可能要加密的文件正在被使用读写等:", 0},
      {kIdButton2, {260, 66}, L"解密文件出错!已停止:可能文件正在被使用读写等:", 1},
      {kIdButton6, {260, 33, 33}, L"创建自解密文件出错!已停止:可能要要创建自解密的文件正在被使用读写等:", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.button);
    ASSERT_TRUE(PumpUntil([&] { return !primary_->WorkerRunning(); }));
    clock_.uiPauses.clear();
    dialogs_.openAnswers.push_back(std::vector<std::wstring>{file.wstring()});
    Click(Primary(), c.button);
    EXPECT_EQ(clock_.uiPauses, c.pauses);

    // A failure before the dispatch (here the dialog's) clears the flag and
    // logs the batch's own line.
    ASSERT_TRUE(PumpUntil([&] { return !primary_->WorkerRunning(); }));
    boxes_.beeps = 0;
    dialogs_.onOpen = [] { throw std::runtime_error("the dialog failed"); };
    Click(Primary(), c.button);
    dialogs_.onOpen = nullptr;
    EXPECT_EQ(LogLines(Primary()).back(), L" " + c.failure);
    EXPECT_EQ(boxes_.beeps, c.beeps);
    EXPECT_FALSE(primary_->State().Busy());
    EXPECT_TRUE(primary_->State().idleFlag);
  }
}

TEST_F(DispatchTest, ADecryptKeyThatGbkCannotWriteRefusesOnlyAFurtherLayer) {
  StartPrimary();
  SetKey(Primary(), kIdJm1, L"k");
  SetKey(Primary(), kIdJm2, L"a\U0001F600");
  // An ordinary file does not need the decrypt key.
  dialogs_.openAnswers.push_back(std::vector<std::wstring>{MakeFile(L"plain.txt", 3000).wstring()});
  Click(Primary(), kIdButton1);
  ASSERT_EQ(dialogs_.openRequests.size(), 1u);
  ASSERT_TRUE(WaitForLines(L"加密文件已完成:", 1));
  ASSERT_TRUE(PumpUntil([&] { return !primary_->WorkerRunning() && primary_->ButtonTag(kIdButton1) != 1; }));
  EXPECT_TRUE(boxes_.shown.empty());
  ASSERT_TRUE(fs::exists(File(L"plain.jmz")));
  // The container getting a further layer does.
  dialogs_.openAnswers.push_back(std::vector<std::wstring>{File(L"plain.jmz").wstring()});
  Click(Primary(), kIdButton1);
  ASSERT_TRUE(PumpUntil([&] { return !boxes_.shown.empty() && !primary_->WorkerRunning(); }));
  EXPECT_EQ(boxes_.shown[0].text, platform::Widen(text::kReencryptKeyNotGbk));
  EXPECT_FALSE(fs::exists(File(L"plain(1).jmz")));
  EXPECT_TRUE(Enabled(Primary(), kIdButton1));
}

TEST_F(DispatchTest, ClosingAWindowWhileItsJobWaitsAsksThenCancelsWithoutLeavingOutput) {
  StartPrimary();
  for (int i = 0; i < 8; ++i) Command(Primary(), kIdSiteLeft, STN_CLICKED);
  const fs::path a = MakeFile(L"closing.txt", 4000);
  SetKey(Primary(), kIdJm1, L"k");
  Click(Primary(), kIdRgysl0);
  boxes_.onShow = [&](const ShownBox& box) {
    if (box.caption != L"加密算法") return;
    boxes_.onShow = nullptr;
    boxes_.answers.push_front(IDYES);  // close the window
    SendMessageW(Primary(), WM_CLOSE, 0, 0);
  };
  boxes_.answers = {IDNO};
  dialogs_.openAnswers.push_back(std::vector<std::wstring>{a.wstring()});
  Click(Primary(), kIdButton1);
  ASSERT_TRUE(PumpUntil([&] { return primary_->Handle() == nullptr; }));
  EXPECT_EQ(boxes_.Count(L"真的要关闭本程序吗？正在运行的操作会被取消。"), 1);
  for (const ShownBox& box : boxes_.shown)
    if (box.text.find(L"真的要关闭") != std::wstring::npos) {
      EXPECT_EQ(box.caption, L" 关闭: 星尘 文件加密");
    }
  EXPECT_FALSE(fs::exists(File(L"closing.jmz")));
  std::size_t entries = 0;
  for (const auto& entry : fs::directory_iterator(folder_)) entries += entry.is_regular_file();
  EXPECT_EQ(entries, 1u);
}

TEST_F(DispatchTest, ClosingThePrimaryWindowAsksOnceAndClosesEveryWindow) {
  StartPrimary();
  SetKey(Primary(), kIdJm1, L"k");
  dialogs_.openAnswers.push_back(std::vector<std::wstring>{MakeFile(L"x.txt", 10).wstring(),
                                                           MakeFile(L"y.txt", 10).wstring()});
  Click(Primary(), kIdButton1);
  ASSERT_TRUE(WaitForLines(L"加密文件已完成:", 2));
  ASSERT_EQ(TysjmWindows().size(), 2u);
  // A secondary window that is idle closes without a question.
  HWND secondary = TysjmWindows()[0] == Primary() ? TysjmWindows()[1] : TysjmWindows()[0];
  boxes_.answers = {IDNO};
  SendMessageW(Primary(), WM_CLOSE, 0, 0);
  EXPECT_EQ(boxes_.Count(L"真的要关闭本程序吗？本程序是主程序，会同时关闭全部副程序。"), 1);
  EXPECT_EQ(boxes_.shown.back().caption, L" 关闭: 星尘 文件加密 (主程序)");
  PumpFor(100);
  EXPECT_EQ(TysjmWindows().size(), 2u);  // "no" keeps every window
  SendMessageW(secondary, WM_CLOSE, 0, 0);
  EXPECT_EQ(boxes_.shown.size(), 1u);
  ASSERT_TRUE(PumpUntil([&] { return TysjmWindows().size() == 1; }));
  EXPECT_EQ(group_->table.SecondaryCount(), 0);
  // Now the primary window has no secondary windows and no job: no question.
  SendMessageW(Primary(), WM_CLOSE, 0, 0);
  ASSERT_TRUE(PumpUntil([&] { return primary_->Handle() == nullptr; }));
  EXPECT_EQ(boxes_.shown.size(), 1u);
}

TEST_F(DispatchTest, ClosingThePrimaryWindowWhileEveryWindowRunsAJobWaitsForTheirWorkers) {
  StartPrimary();
  std::vector<std::wstring> files;
  for (int i = 0; i < 3; ++i) files.push_back(MakeFile(L"big" + std::to_wstring(i) + L".bin", 1 << 20, i).wstring());
  SetKey(Primary(), kIdJm1, L"key");
  // Every job stops in its first pause, its flag set, until released.
  clock_.parkWorkers = true;
  dialogs_.openAnswers.push_back(files);
  Click(Primary(), kIdButton1);
  ASSERT_EQ(TysjmWindows().size(), 3u);
  ASSERT_TRUE(PumpUntil([&] { return clock_.parked == 3; }));
  boxes_.answers = {IDYES};
  SendMessageW(Primary(), WM_CLOSE, 0, 0);
  EXPECT_EQ(boxes_.Count(L"真的要关闭本程序吗？本程序是主程序，会同时关闭全部副程序。"), 1);
  EXPECT_EQ(boxes_.Count(L"正在运行的操作会被取消"), 0);
  // The windows go out of sight but live on while their workers run.
  PumpFor(300);
  const std::vector<HWND> waiting = TysjmWindows();
  EXPECT_EQ(waiting.size(), 3u);
  for (HWND w : waiting) EXPECT_FALSE(IsWindowVisible(w));
  clock_.parkWorkers = false;
  ASSERT_TRUE(PumpUntil([&] { return primary_->Handle() == nullptr; }));
  EXPECT_TRUE(TysjmWindows().empty());
  // The cancelled jobs wrote nothing: only the three sources are there.
  std::vector<std::wstring> names;
  for (const auto& entry : fs::directory_iterator(folder_)) names.push_back(entry.path().filename().wstring());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::wstring>{L"big0.bin", L"big1.bin", L"big2.bin"}));
}

TEST_F(DispatchTest, ClosingThePrimaryAfterANoAndThenAYesAlwaysEndsEveryWindow) {
  for (int round = 0; round < 25; ++round) {
    StartPrimary();
    std::vector<std::wstring> files;
    for (int i = 0; i < 5; ++i) files.push_back(MakeFile(L"r" + std::to_wstring(i) + L".txt", 10, i).wstring());
    dialogs_.openAnswers.push_back(files);
    Click(Primary(), kIdButton1);
    ASSERT_TRUE(PumpUntil([&] {
      for (HWND w : TysjmWindows())
        if (GetDlgItem(w, kIdButton1) == nullptr) return false;
      const std::vector<MainWindow*> secondary = group_->table.Windows();
      return TysjmWindows().size() == 5 && secondary.size() == 4 &&
             std::all_of(secondary.begin(), secondary.end(), [](MainWindow* w) { return !w->WorkerRunning(); }) &&
             !primary_->WorkerRunning();
    })) << round;
    boxes_.answers = {IDNO, IDYES};
    SendMessageW(Primary(), WM_CLOSE, 0, 0);
    PumpFor(round % 5);
    ASSERT_EQ(TysjmWindows().size(), 5u) << round;  // "no" keeps every window
    SendMessageW(Primary(), WM_CLOSE, 0, 0);
    ASSERT_TRUE(PumpUntil([&] { return primary_->Handle() == nullptr; }, 10000)) << round;
    EXPECT_TRUE(TysjmWindows().empty()) << round;
    EXPECT_TRUE(group_->table.Windows().empty()) << round;
    EXPECT_EQ(boxes_.Count(L"会同时关闭全部副程序"), 2) << round;
    primary_.reset();
    group_.reset();
    boxes_.shown.clear();
    for (const auto& entry : fs::directory_iterator(folder_)) fs::remove(entry.path());
  }
}

}  // namespace
