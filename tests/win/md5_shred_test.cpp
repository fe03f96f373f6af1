// MD5 verification and shredding in a real main window: files dropped with
// WM_DROPFILES, the log list's menu commands, and delfl's batch on the
// window's worker with its questions answered by the fake message boxes.
#include <windows.h>

#include <shlobj.h>

#include <gtest/gtest.h>

#include <cstring>

#include "tests/win/file_drop.h"
#include "window_fixture.h"

namespace {

using namespace wintest;
using namespace app;

using Md5ShredTest = WindowTest;

void Drop(HWND window, const std::vector<fs::path>& files) {
  SendMessageW(window, WM_DROPFILES, reinterpret_cast<WPARAM>(wintest::MakeDrop(files)), 0);
}

std::wstring DigestLine(const fs::path& file) { return L"  " + file.wstring() + L" -> MD5:"; }

std::wstring EditText(HWND window) { return TextOf(GetDlgItem(window, kIdComboBox1)); }

std::wstring ClipboardText() {
  std::wstring text;
  if (!OpenClipboard(nullptr)) return text;
  if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
    text = static_cast<const wchar_t*>(GlobalLock(data));
    GlobalUnlock(data);
  }
  CloseClipboard();
  return text;
}

std::string Gbk(const std::wstring& text) {
  std::string out(text.size() * 2, '\0');
  out.resize(static_cast<std::size_t>(WideCharToMultiByte(936, 0, text.data(), static_cast<int>(text.size()),
                                                          out.data(), static_cast<int>(out.size()), nullptr, nullptr)));
  return out;
}

TEST_F(Md5ShredTest, DroppedFilesGetTheirDigestsFoldersAndEmptyFilesTheirLines) {
  StartPrimary();
  const fs::path abc = File(L"abc.txt");
  WriteFileBytes(abc, "abc");
  const fs::path empty = File(L"空.bin");
  WriteFileBytes(empty, "");
  // A name in another script inside a path longer than 260 characters.
  const fs::path deep = File(std::wstring(120, L'д')) / std::wstring(120, L'文');
  fs::create_directories(deep);
  const fs::path message = deep / L"摘要 message.txt";
  WriteFileBytes(message, "message digest");
  ASSERT_GT(message.wstring().size(), 260u);

  Drop(Primary(), {abc, folder_, empty, message});

  const std::vector<std::wstring> expected = {
      DigestLine(abc),
      L"900150983CD24FB0D6963F7D28E17F72",
      L"  \"" + folder_.wstring() + L"\" 是(目录)文件夹，不能MD5效验。",
      L"  取消效验：" + empty.wstring() + L"  -> 文件大小：0 字节。",
      DigestLine(message),
      L"F96B697D7CB7938D525A2F31AAF161D0",
  };
  EXPECT_EQ(LogLines(Primary()), expected);
  EXPECT_EQ(EditText(Primary()), L"F96B697D7CB7938D525A2F31AAF161D0");
  EXPECT_EQ(primary_->Hint(kIdComboBox1), L"F96B697D7CB7938D525A2F31AAF161D0");
  // The last file is preselected for the next dialog.
  EXPECT_EQ(primary_->Hint(kIdStatusBar1), message.wstring());
  EXPECT_EQ(StatusPanel(Primary()), message.wstring());
  EXPECT_TRUE(primary_->State().idleFlag);
}

TEST_F(Md5ShredTest, AFileAnotherProgramHoldsLockedGetsTheEmptyLineNotAnErrorBox) {
  StartPrimary();
  const fs::path locked = File(L"锁定.bin");
  WriteFileBytes(locked, "held by another program");
  HANDLE holder = CreateFileW(locked.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(holder, INVALID_HANDLE_VALUE);
  Drop(Primary(), {locked});
  CloseHandle(holder);
  EXPECT_EQ(LogLines(Primary()), std::vector<std::wstring>{L"  取消效验：" + locked.wstring() + L"  -> 文件大小：0 字节。"});
  EXPECT_TRUE(boxes_.shown.empty());
}

TEST_F(Md5ShredTest, WithTheBoxUntickedNothingIsHashedButTheLastFileIsPreselected) {
  StartPrimary({L"/nomd5"});
  ASSERT_FALSE(Checked(Primary(), kIdCheckBox2));
  const fs::path file = MakeFile(L"a.bin", 1000);
  Drop(Primary(), {folder_, file});
  EXPECT_TRUE(LogLines(Primary()).empty());
  EXPECT_EQ(primary_->Hint(kIdStatusBar1), file.wstring());

  dialogs_.openAnswers.push_back(std::vector<std::wstring>{L"C:\\无此文件.txt"});
  Click(Primary(), kIdButton1);  // the next job's dialog starts with the dropped file
  ASSERT_FALSE(dialogs_.openRequests.empty());
  EXPECT_EQ(dialogs_.openRequests.back().fileName, file.wstring());
  ASSERT_TRUE(PumpUntil([&] { return !primary_->WorkerRunning(); }));
}

// MD51's batch runs on the window's thread; this timer, served by the
// digest's own message pumping, stops it once the first file is done.
MainWindow* g_window = nullptr;
bool g_md51Locked = false;
void CALLBACK StopAfterFirstFile(HWND, UINT, UINT_PTR, DWORD) {
  if (LogLines(g_window->Handle()).size() < 2) return;
  g_md51Locked = !MenuEnabled(g_window->PopupMenu3(), kIdMD51);
  SendMessageW(g_window->Handle(), WM_COMMAND, MAKEWPARAM(kIdMD53, 0), 0);
}

TEST_F(Md5ShredTest, Md51StopsDuringTheSecondOfThreeFiles) {
  StartPrimary();
  Command(Primary(), kIdN26);  // the mapped view: 4,096-byte blocks, many callbacks
  const fs::path first = MakeFile(L"1.bin", 5000, 1);
  const fs::path second = MakeFile(L"2.bin", 96u << 20, 2);
  const fs::path third = MakeFile(L"3.bin", 5000, 3);
  dialogs_.openAnswers.push_back(std::vector<std::wstring>{first.wstring(), second.wstring(), third.wstring()});
  g_window = primary_.get();
  g_md51Locked = false;
  const UINT_PTR timer = SetTimer(nullptr, 0, 10, &StopAfterFirstFile);
  Command(Primary(), kIdMD51);
  KillTimer(nullptr, timer);

  ASSERT_EQ(dialogs_.openRequests.size(), 1u);
  EXPECT_EQ(dialogs_.openRequests[0].title, L"选择文件效验MD5(可多选)：");
  const std::vector<std::wstring> lines = LogLines(Primary());
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0], DigestLine(first));
  EXPECT_EQ(lines[2], L"  取消效验：" + second.wstring());
  EXPECT_TRUE(g_md51Locked);
  EXPECT_TRUE(primary_->State().idleFlag);
  EXPECT_TRUE(MenuEnabled(primary_->PopupMenu3(), kIdMD51));
  EXPECT_TRUE(Enabled(Primary(), kIdButton1));
}

TEST_F(Md5ShredTest, LogMenuCopiesTheDigestSavesTheListAsGbkAndClearsIt) {
  StartPrimary();
  const fs::path file = File(L"摘要.txt");
  WriteFileBytes(file, "abc");
  Drop(Primary(), {file});
  HWND edit = FindWindowExW(GetDlgItem(Primary(), kIdComboBox1), nullptr, L"Edit", nullptr);
  ASSERT_NE(edit, nullptr);
  SendMessageW(edit, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(edit), MAKELPARAM(10, 10));
  HMENU menu = primary_->PopupMenu3();
  EXPECT_TRUE(MenuEnabled(menu, kIdMD52));
  EXPECT_FALSE(MenuEnabled(menu, kIdMD53));
  EXPECT_TRUE(MenuEnabled(menu, kIdN19));

  Command(Primary(), kIdMD52);
  EXPECT_EQ(ClipboardText(), L"900150983CD24FB0D6963F7D28E17F72");

  dialogs_.saveAnswers.push_back(SavedFile{File(L"列表.dat").wstring(), 1});
  Command(Primary(), kIdN19);
  ASSERT_EQ(dialogs_.saveRequests.size(), 1u);
  EXPECT_EQ(dialogs_.saveRequests[0].fileName, L"记录文件");
  EXPECT_FALSE(fs::exists(File(L"列表.dat")));
  EXPECT_EQ(ReadFileBytes(File(L"列表.txt")), Gbk(DigestLine(file)) + "\r\n900150983CD24FB0D6963F7D28E17F72\r\n");

  Command(Primary(), kIdN21);
  EXPECT_TRUE(LogLines(Primary()).empty());
  EXPECT_EQ(EditText(Primary()), L"");
  SendMessageW(edit, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(edit), MAKELPARAM(10, 10));
  EXPECT_FALSE(MenuEnabled(menu, kIdN19));
  EXPECT_FALSE(MenuEnabled(menu, kIdN21));
}

constexpr wchar_t kDelflIdle[] = L"粉碎文件(彻底删除文件，慎用)";

// delfl's caption and enabled state.
std::pair<std::wstring, bool> Delfl(MainWindow& w) {
  wchar_t caption[128] = {};
  GetMenuStringW(w.PopupMenu1(), kIdDelfl, caption, 128, MF_BYCOMMAND);
  return {caption, MenuEnabled(w.PopupMenu1(), kIdDelfl)};
}

TEST_F(Md5ShredTest, DelflShredsEachConfirmedFileOnTheWorker) {
  StartPrimary();
  const fs::path a = MakeFile(L"甲.bin", 100000, 1);
  const fs::path b = MakeFile(L"乙.bin", 10, 2);
  dialogs_.openAnswers.push_back(std::vector<std::wstring>{a.wstring(), b.wstring()});
  std::vector<std::pair<std::wstring, bool>> delflAtQuestion;
  boxes_.onShow = [&](const ShownBox&) { delflAtQuestion.push_back(Delfl(*primary_)); };
  boxes_.answers = {IDYES, IDYES};
  Command(Primary(), kIdDelfl);
  ASSERT_TRUE(PumpUntil([&] { return !primary_->WorkerRunning() && primary_->State().idleFlag; }));

  ASSERT_EQ(boxes_.shown.size(), 2u);
  EXPECT_EQ(boxes_.shown[0].caption, L"粉碎文件(彻底删除文件(不能恢复),请三思后慎用!)(此窗体后置:线程运行造成)");
  EXPECT_EQ(boxes_.shown[0].text,
            L"(点此窗体后置是线程运行造成的，请点桌面(或者另外程序窗体)再点回此程序窗体即可)  真的要粉碎文件:  \r\n“" +
                a.wstring() + L"”吗？");
  EXPECT_EQ(boxes_.shown[0].flags, static_cast<UINT>(MB_YESNO | MB_ICONQUESTION));
  const std::vector<std::pair<std::wstring, bool>> expected = {{kDelflIdle, false}, {L"停止粉碎文件", true}};
  EXPECT_EQ(delflAtQuestion, expected);
  EXPECT_FALSE(fs::exists(a));
  EXPECT_FALSE(fs::exists(b));
  EXPECT_TRUE(HasLine(Primary(), L" 粉碎文件已完成:" + a.wstring()));
  EXPECT_TRUE(HasLine(Primary(), L" 粉碎文件已完成:" + b.wstring()));
  EXPECT_EQ(Delfl(*primary_), std::make_pair(std::wstring(kDelflIdle), true));
  EXPECT_EQ(primary_->DelflTag(), 0);
  EXPECT_TRUE(Enabled(Primary(), kIdButton1));
}

TEST_F(Md5ShredTest, DelflStopsTheBatchDuringTheSecondFile) {
  StartPrimary();
  const fs::path a = MakeFile(L"1.bin", 1000, 1);
  const fs::path b = MakeFile(L"2.bin", 96u << 20, 2);
  const fs::path c = MakeFile(L"3.bin", 1000, 3);
  const std::string cBytes = ReadFileBytes(c);
  dialogs_.openAnswers.push_back(std::vector<std::wstring>{a.wstring(), b.wstring(), c.wstring()});
  boxes_.otherwise = IDYES;
  Command(Primary(), kIdDelfl);
  // Stopped once the second file's bar has moved: part of it is zeroed.
  HWND bar = GetDlgItem(Primary(), kIdProgressBar1);
  ASSERT_TRUE(PumpUntil([&] {
    return primary_->Hint(kIdProgressBar1) == L"粉碎的文件：" + b.wstring() && primary_->State().shredActive &&
           SendMessageW(bar, PBM_GETPOS, 0, 0) > 0;
  }));
  Command(Primary(), kIdDelfl);
  EXPECT_EQ(StatusPanel(Primary()), L"粉碎文件已停止。");
  ASSERT_TRUE(PumpUntil([&] { return !primary_->WorkerRunning(); }));

  EXPECT_EQ(boxes_.shown.size(), 2u);  // no question for the third file
  ASSERT_TRUE(fs::exists(b));
  EXPECT_EQ(fs::file_size(b), 96u << 20);
  EXPECT_TRUE(ReadFileBytes(b).substr(0, 65535) == std::string(65535, '\0'));
  EXPECT_EQ(ReadFileBytes(c), cBytes);
  for (const std::wstring& line : LogLines(Primary())) EXPECT_EQ(line.find(b.wstring()), std::wstring::npos) << line;
  EXPECT_EQ(Delfl(*primary_), std::make_pair(std::wstring(kDelflIdle), true));
}

}  // namespace
