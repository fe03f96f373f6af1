// Window rules without a window: the job lock, the output folder, the click
// counter, the window table, colours and key entry.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <map>
#include <set>
#include <string>

#include "app/cascade.h"
#include "app/work_area_fit.h"
#include "app/colors.h"
#include "app/hidden_clicks.h"
#include "app/job_lock.h"
#include "app/key_entry.h"
#include "app/window_table.h"
#include "platform/text.h"

namespace {

using app::LockedControl;
using engine::JobControl;

std::map<LockedControl, bool> Enabled(const app::JobLockPlan& plan) {
  std::map<LockedControl, bool> m;
  for (auto [c, e] : plan.enabled) m[c] = e;
  return m;
}

TEST(JobLock, LockingTurnsTheTriggerIntoItsCancelButton) {
  const std::vector<std::tuple<JobControl, std::string, std::string>> captions = {
      {JobControl::kButton1, "加密文件", "取消加密"}, {JobControl::kButton2, "解密文件", "取消解密"},
      {JobControl::kButton6, "创建自解密", "取消创建"}, {JobControl::kButton7, "自解密", "取消解密"},
      {JobControl::kButton8, "分离", "取消"}};
  for (const auto& [trigger, idle, cancel] : captions) {
    const app::JobLockPlan locked = app::SetJobControlsPlan(trigger, false, true, false);
    ASSERT_TRUE(locked.trigger);
    EXPECT_EQ(locked.trigger->tag, 1);
    EXPECT_EQ(locked.trigger->caption, cancel);
    const app::JobLockPlan unlocked = app::SetJobControlsPlan(trigger, true, true, false);
    EXPECT_EQ(unlocked.trigger->tag, 0);
    EXPECT_EQ(unlocked.trigger->caption, idle);
  }
}

TEST(JobLock, WhatALockedWindowDisablesAndTheMd5Box) {
  const app::JobLockPlan locked = app::SetJobControlsPlan(JobControl::kButton1, false, false, false);
  const auto e = Enabled(locked);
  for (LockedControl c : {LockedControl::kButton1, LockedControl::kButton2, LockedControl::kButton6,
                          LockedControl::kButton7, LockedControl::kButton8, LockedControl::kDelfl,
                          LockedControl::kJm1, LockedControl::kJm2, LockedControl::kMD51, LockedControl::kCheckBox2})
    EXPECT_FALSE(e.at(c)) << static_cast<int>(c);
  EXPECT_TRUE(e.at(LockedControl::kSf));  // folding always works
  EXPECT_EQ(locked.checkBox2Ticked, false);

  // Unlocking ticks the MD5 box again; the package buttons need a package.
  const auto u = Enabled(app::SetJobControlsPlan(JobControl::kNone, true, false, false));
  EXPECT_TRUE(u.at(LockedControl::kButton1) && u.at(LockedControl::kJm2) && u.at(LockedControl::kCheckBox2));
  EXPECT_FALSE(u.at(LockedControl::kButton7) || u.at(LockedControl::kButton8));
  const auto p = Enabled(app::SetJobControlsPlan(JobControl::kNone, true, true, false));
  EXPECT_TRUE(p.at(LockedControl::kButton7) && p.at(LockedControl::kButton8));
  EXPECT_FALSE(app::SetJobControlsPlan(JobControl::kNone, true, true, false).trigger);
  EXPECT_EQ(app::SetJobControlsPlan(JobControl::kNone, true, true, false).checkBox2Ticked, true);

  // An MD5 batch leaves the check box alone (unticking it cancels the batch).
  const app::JobLockPlan md5 = app::SetJobControlsPlan(JobControl::kMD51, false, false, false);
  EXPECT_FALSE(md5.checkBox2Ticked);
  EXPECT_FALSE(md5.trigger);
  EXPECT_EQ(Enabled(md5).count(LockedControl::kCheckBox2), 0u);

  // A closing window changes nothing.
  const app::JobLockPlan closing = app::SetJobControlsPlan(JobControl::kButton1, true, true, true);
  EXPECT_TRUE(closing.enabled.empty());
  EXPECT_FALSE(closing.trigger || closing.checkBox2Ticked);
}

TEST(OutputFolder, TheListHintCarriesTheFolderFromBatchToBatch) {
  static const std::set<std::string> folders = {"C:\\out", "D:\\数据", "E:"};
  const auto isFolder = [](std::string_view p) { return folders.count(std::string(p)) > 0; };
  // The hint names a folder: a window without an output folder writes there.
  EXPECT_EQ(app::ChooseOutputFolder("", "C:\\out\\", "C:\\src\\a.txt", isFolder).folder, "C:\\out\\");
  EXPECT_FALSE(app::ChooseOutputFolder("", "C:\\out\\", "C:\\src\\a.txt", isFolder).replaced);
  EXPECT_EQ(app::ChooseOutputFolder("", "D:\\数据\\", "C:\\a.txt", isFolder).folder, "D:\\数据\\");
  EXPECT_EQ(app::ChooseOutputFolder("", "E:\\", "C:\\a.txt", isFolder).folder, "E:\\");
  // The last character is dropped whatever it is.
  EXPECT_EQ(app::ChooseOutputFolder("", "C:\\outX", "C:\\a.txt", isFolder).folder, "C:\\out\\");
  // A window's own output folder carries over while the hint names a folder.
  const app::OutputFolderChoice kept = app::ChooseOutputFolder("E:\\", "D:\\数据\\", "C:\\a.txt", isFolder);
  EXPECT_EQ(kept.folder, "E:\\");
  EXPECT_FALSE(kept.replaced);
  // Anything else (the design hint, an MD5 line, a missing folder): next to the first file.
  for (const char* hint : {" 鼠标右键单击展示菜单", "C:\\out", "", "C:\\gone\\"}) {
    const app::OutputFolderChoice c = app::ChooseOutputFolder("E:\\", hint, "C:\\src\\星尘 a.txt", isFolder);
    EXPECT_EQ(c.folder, "C:\\src\\") << hint;
    EXPECT_TRUE(c.replaced);
  }
  EXPECT_EQ(app::FolderPart("\\\\server\\share\\f"), "\\\\server\\share\\");
  EXPECT_EQ(app::FolderPart("f"), "");
}

TEST(Cascade, FurtherWindowsStepDownTheScreenAndWrapInsideTheWorkArea) {
  const app::ScreenRect work{0, 0, 1000, 800};
  const app::ScreenRect first{100, 100, 600, 600};  // 500 × 500: five steps of 40 fit from here
  struct Case {
    int index;
    int x, y;
  } cases[] = {
      {0, 100, 100}, {1, 140, 140}, {5, 300, 300},  // the last that fits from the first window
      {6, 0, 0},     {7, 40, 40},   {13, 280, 280}, {14, 0, 0},  // then rounds from the corner, 8 a round
  };
  for (const Case& c : cases) {
    const app::ScreenPoint p = app::CascadePosition(first, c.index, 40, work);
    EXPECT_EQ(p.x, c.x) << c.index;
    EXPECT_EQ(p.y, c.y) << c.index;
  }
  // A window larger than the work area stays at its corner.
  const app::ScreenPoint big = app::CascadePosition({0, 0, 1200, 900}, 3, 40, work);
  EXPECT_EQ(big.x, 0);
  EXPECT_EQ(big.y, 0);
}

TEST(WorkAreaFit, TheDesignPlaceStaysWhereItFitsElseMovesThenShrinks) {
  struct Case {
    const char* screen;
    app::ScreenRect work;
    app::ScreenRect want;
  } cases[] = {
      {"1920 × 1040", {0, 0, 1920, 1040}, {266, 250, 1354, 1000}},
      {"1366 × 728: moved up and left", {0, 0, 1366, 728}, {266, 0, 1354, 728}},
      {"1280 × 984", {0, 0, 1280, 984}, {192, 234, 1280, 984}},
      {"1024 × 728: shrunk", {0, 0, 1024, 728}, {0, 0, 1024, 728}},
      {"second monitor left of the first", {-1280, 40, 0, 1024}, {-1088, 250, 0, 1000}},
  };
  for (const Case& c : cases) {
    const app::ScreenRect r = app::FitIntoWorkArea({266, 250, 1354, 1000}, c.work);
    EXPECT_EQ((std::array<int, 4>{r.left, r.top, r.right, r.bottom}),
              (std::array<int, 4>{c.want.left, c.want.top, c.want.right, c.want.bottom}))
        << c.screen;
  }
}

TEST(ClickCounter, HiddenCommandsAppearAtTheSixthClickAndGoPastTheEleventh) {
  const app::Date today{2024, 1, 1};
  std::uint8_t counter = 0;
  int items = app::kMainMenuItems;
  std::vector<int> insertedAt, removedAt;
  for (int click = 1; click <= 24; ++click) {
    const app::ClickStep step = app::HiddenClickStep(counter, items, true, true, today);
    counter = step.counter;
    if (step.insertHidden) {
      insertedAt.push_back(click);
      items += app::kHiddenMenuItems;
      EXPECT_TRUE(step.startUpdateCheck);
    }
    if (step.removeHidden) {
      removedAt.push_back(click);
      items -= app::kHiddenMenuItems;
    }
  }
  EXPECT_EQ(insertedAt, (std::vector<int>{6, 18}));
  EXPECT_EQ(removedAt, (std::vector<int>{12, 24}));
  // No update check before the date; a locked window starts counting again.
  EXPECT_FALSE(app::HiddenClickStep(5, 19, true, true, app::Date{2023, 9, 11}).startUpdateCheck);
  EXPECT_TRUE(app::HiddenClickStep(5, 19, true, true, app::Date{2023, 9, 12}).startUpdateCheck);
  const app::ClickStep locked = app::HiddenClickStep(5, 19, true, false, today);
  EXPECT_EQ(locked.counter, 0);
  EXPECT_FALSE(locked.insertHidden);
  // Past eleven without the entries present nothing is removed.
  EXPECT_FALSE(app::HiddenClickStep(11, 19, true, true, today).removeHidden);
}

TEST(ClickCounter, AboutAloneNeverReachesSix) {
  std::uint8_t counter = 0;
  for (int i = 0; i < 50; ++i) {
    counter = app::HiddenClickStep(app::AboutCounter(counter), 19, true, true, {2024, 1, 1}).counter;
    ASSERT_LT(counter, 6);
  }
  EXPECT_EQ(app::AboutCounter(5), 0);
  EXPECT_EQ(app::AboutCounter(7), 7);
}

TEST(WindowTable, SlotsInOrderCountersAndClosing) {
  app::WindowTable<int> table;
  int a = 1, b = 2, c = 3;
  EXPECT_EQ(table.Add(&a), 1);
  EXPECT_EQ(table.Add(&b), 2);
  EXPECT_EQ(table.SecondaryCount(), 2);
  table.Closed(1, true);
  EXPECT_EQ(table.At(1), nullptr);
  EXPECT_EQ(table.Add(&c), 3);  // a freed slot is not reused while the counter grows
  EXPECT_EQ(table.Windows(), (std::vector<int*>{&b, &c}));
  EXPECT_EQ(table.WindowCounter(), 3);
  table.Closed(0, false);  // the primary window
  EXPECT_EQ(table.SecondaryCount(), 1);

  EXPECT_EQ(app::CloseQueryQuestion(true, 1, false), app::CloseQuestion::kCloseAll);
  EXPECT_EQ(app::CloseQueryQuestion(true, 0, true), app::CloseQuestion::kJobsRunning);
  EXPECT_EQ(app::CloseQueryQuestion(false, 3, true), app::CloseQuestion::kJobsRunning);
  EXPECT_EQ(app::CloseQueryQuestion(false, 3, false), app::CloseQuestion::kNone);
}

TEST(WindowTable, AfterTheCounterWrapsOccupiedSlotsAndSlotZeroArePassedOver) {
  app::WindowTable<int> table;
  int keep = 0, other = 0;
  ASSERT_EQ(table.Add(&keep), 1);
  for (int i = 2; i < 65536; ++i) table.Closed(table.Add(&other), true);
  EXPECT_EQ(table.WindowCounter(), 65535);
  EXPECT_EQ(table.Add(&other), 2);  // 0 is never used, 1 still holds a window
  EXPECT_EQ(table.At(1), &keep);
}

TEST(Colours, SystemColoursAndTheLogo) {
  const auto system = [](int index) { return 0x10000u + static_cast<std::uint32_t>(index); };
  EXPECT_EQ(app::ResolveColor(0xF0CAA6, system), 0xF0CAA6u);
  EXPECT_EQ(app::ResolveColor(static_cast<app::Color>(0xFF00000F), system), 0x1000Fu);
  EXPECT_EQ(app::ResolveColor(0x12345678, system), 0x345678u);

  EXPECT_EQ(app::LogoMoveFor(0).caption, "星尘");
  EXPECT_FALSE(app::LogoMoveFor(0x00FF00FF).changeColor);
  // 2,147,483,647 - r reaches the five excluded system colours.
  EXPECT_FALSE(app::LogoMoveFor(2147483647u + 16777210u).changeColor);  // 0xFF000006
  EXPECT_EQ(app::LogoMoveFor(2147483647u + 16777193u).caption, "星尘");  // 0xFF000017
  const app::LogoMove system5 = app::LogoMoveFor(2147483647u + 16777211u);  // 0xFF000005
  EXPECT_TRUE(system5.changeColor);
  EXPECT_EQ(system5.color, static_cast<app::Color>(0xFF000005));
  EXPECT_TRUE(system5.caption.empty());
  for (std::uint32_t bright : {0x00FFFF00u, 0x0000FF00u, 0x000000FFu, 0x0000FFFFu}) {
    EXPECT_EQ(app::LogoMoveFor(bright).caption, "ORB");
    EXPECT_EQ(app::LogoMoveFor(bright).color, static_cast<app::Color>(bright));
  }
  EXPECT_EQ(app::LogoMoveFor(0x123456).caption, "");
  // The random number spans the range and follows its seed.
  EXPECT_EQ(app::LogoRandomNumber(7), app::LogoRandomNumber(7));
  EXPECT_NE(app::LogoRandomNumber(7), app::LogoRandomNumber(8));
  std::uint32_t high = 0;
  for (std::uint32_t s = 0; s < 1000; ++s) high = std::max(high, app::LogoRandomNumber(s * 2654435761u));
  EXPECT_GT(high, 4000000000u);
}

TEST(KeyEntry, LengthsAndHintsCountGbkBytes) {
  EXPECT_EQ(app::KeyLengthHint("星尘"), "密钥长度为:4字节");
  EXPECT_EQ(app::KeyLengthHint("a\r\nb"), "密钥长度为:4字节");
  EXPECT_EQ(app::KeyLengthHint(""), "密钥长度为:0字节");
  EXPECT_EQ(app::KeyByteLength("key€"), 4u);             // the euro sign is one GBK byte
  EXPECT_EQ(app::KeyByteLength("a\xE0\xB8\x81" "b"), 4u);  // Thai: no GBK form, counted 2
  EXPECT_FALSE(app::KeyBytes("a\xE0\xB8\x81"));
  EXPECT_EQ(app::KeyBytes("星"), std::optional<std::string>("\xD0\xC7"));
}

TEST(KeyEntry, TypingAndPastingStopAt1028Bytes) {
  EXPECT_EQ(app::FittingInsertion("x", 1027, 0), "x");
  EXPECT_EQ(app::FittingInsertion("x", 1028, 0), "");  // the 1,029th byte is refused
  EXPECT_EQ(app::FittingInsertion("星", 1027, 0), "");  // a Chinese character needs two
  EXPECT_EQ(app::FittingInsertion("星", 1027, 1), "星"); // replacing a selection makes room
  EXPECT_EQ(app::FittingInsertion("ab星cd", 1025, 0), "ab");
  EXPECT_EQ(app::FittingInsertion("a\r\nb", 1026, 0), "a");  // a line break stays whole
  EXPECT_EQ(app::FittingInsertion("a\r\nb", 1025, 0), "a\r\n");
  EXPECT_EQ(app::FittingInsertion("abc", 2000, 0), "");  // a loaded longer key takes no more
  const std::string big(1100, 'k');
  EXPECT_EQ(app::FittingInsertion(big, 0, 0).size(), 1028u);
}

TEST(KeyEntry, SavedKeyFileName) {
  EXPECT_EQ(app::KeyFileSaveName("C:\\keys\\mine", 1), "C:\\keys\\mine.txt");
  EXPECT_EQ(app::KeyFileSaveName("C:\\keys\\mine.key", 1), "C:\\keys\\mine.txt");
  EXPECT_EQ(app::KeyFileSaveName("C:\\my.keys\\mine", 1), "C:\\my.keys\\mine.txt");
  EXPECT_EQ(app::KeyFileSaveName("C:\\keys\\mine.key", 2), "C:\\keys\\mine.key");
  EXPECT_EQ(app::KeyFileSaveName("C:\\keys\\密钥", 1), "C:\\keys\\密钥.txt");
}

}  // namespace
