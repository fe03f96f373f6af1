// Loading and saving files: progress, cancel, failures, the read-only refusal,
// backups and files past 2 GiB.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <fstream>

#include "hexeditor/errors.h"
#include "hexeditor/editor/hex_editor_ex.h"
#include "hexeditor/path_text.h"
#include "test_support.h"

namespace hexed {
namespace {

namespace fs = std::filesystem;
using test::Bytes;

class Files : public testing::Test {
 protected:
  void SetUp() override { e.SetHost(&host); }
  std::vector<int> LoadWithProgress(const fs::path& p) {
    std::vector<int> reports;
    e.OnProgress = [&](TQDHProgressKind kind, const std::string& name, int percent, bool&) {
      EXPECT_EQ(kind, pkLoad);
      EXPECT_EQ(name, PathText(p));
      reports.push_back(percent);
    };
    e.LoadFile(p);
    e.OnProgress = nullptr;
    return reports;
  }
  test::TempDir dir;
  test::RecordingHost host;
  TQDHexEditorEx e;
};

TEST_F(Files, LoadReportsOneStepAndResetsTheEditor) {
  const Bytes hundred = test::Sequence(100);
  test::WriteFile(dir / "a.bin", hundred);
  e.SetCaretPosition(0, true);
  EXPECT_EQ(LoadWithProgress(dir / "a.bin"), (std::vector<int>{100}));
  EXPECT_EQ(test::Content(e), hundred);
  EXPECT_EQ(e.FileName(), dir / "a.bin");
  EXPECT_FALSE(e.Modified());
  EXPECT_FALSE(e.ReadOnlyFile());
  EXPECT_EQ(e.Caret(), (Cell{2, 2}));
  EXPECT_EQ(host.busy, (std::vector<bool>{true, false}));

  // Opening reads nothing of the file, so there is one step to report.
  test::WriteFile(dir / "b.bin", Bytes(200000, 7));
  EXPECT_EQ(LoadWithProgress(dir / "b.bin"), (std::vector<int>{100}));
  test::WriteFile(dir / "empty.bin", {});
  EXPECT_EQ(LoadWithProgress(dir / "empty.bin"), (std::vector<int>{}));
  EXPECT_EQ(e.DataSize(), 0);
}

TEST_F(Files, LoadClearsUndoMarksAndSelection) {
  test::WriteFile(dir / "a.bin", {1, 2, 3});
  e.LoadFile(dir / "a.bin");
  e.ChangeByte(0, 1, 5);
  e.SetSelection(1, 2);
  e.LoadFile(dir / "a.bin");
  EXPECT_FALSE(e.CanUndo());
  EXPECT_FALSE(e.HasChangeMark(0));
  EXPECT_EQ(e.SelCount(), 0);
  EXPECT_EQ(test::Content(e), (Bytes{1, 2, 3}));
}

TEST_F(Files, CancelledLoadLeavesAnEmptyBuffer) {
  test::WriteFile(dir / "a.bin", Bytes(300000, 1));
  test::Load(e, {9, 9});
  e.ChangeByte(0, 9, 8);
  e.OnProgress = [](TQDHProgressKind, const std::string&, int percent, bool& cancel) { cancel = percent > 30; };
  try {
    e.LoadFile(dir / "a.bin");
    ADD_FAILURE();
  } catch (const EQDHexEditor& ex) {
    EXPECT_STREQ(ex.what(), "Operation cancelled");
  }
  EXPECT_EQ(e.DataSize(), 0);
  EXPECT_EQ(e.UndoStorage().Count(), 0);
  EXPECT_EQ(host.busy.back(), false);
}

TEST_F(Files, MissingFileIsAnOpenErrorAndChangesNothing) {
  test::Load(e, {1, 2});
  const fs::path missing = dir / "missing.bin";
  try {
    e.LoadFile(missing);
    ADD_FAILURE();
  } catch (const FileError& ex) {
    EXPECT_EQ(std::string(ex.what()), "Cannot open " + PathText(missing) + ".\r\n(No such file or directory.)");
  }
  EXPECT_EQ(test::Content(e), (Bytes{1, 2}));
  EXPECT_THROW(e.LoadFile(dir.Path()), FileError);
}

TEST_F(Files, FilesPastTwoGigabytesOpenWithoutBeingRead) {
  const fs::path big = dir / "big.bin";
  { std::ofstream(big, std::ios::binary).put('x'); }
  const std::int64_t size = (std::int64_t{1} << 31) + 5;
  fs::resize_file(big, static_cast<std::uintmax_t>(size));  // sparse: costs no disk space
  e.LoadFile(big);
  EXPECT_TRUE(host.messages.empty());
  EXPECT_EQ(e.DataSize(), size);
  EXPECT_EQ(e.BytesAt(0, 2), (Bytes{'x', 0}));
  EXPECT_EQ(e.BytesAt(size - 2, 2), (Bytes{0, 0}));
  EXPECT_THROW(e.BytesAt(size - 1, 2), EQDHexEditor);
}

TEST_F(Files, SaveWritesWithProgressAndMarksSaved) {
  test::Load(e, test::Sequence(150));
  e.ChangeByte(0, 0, 1);
  std::vector<int> reports;
  e.OnProgress = [&](TQDHProgressKind kind, const std::string&, int percent, bool&) {
    EXPECT_EQ(kind, pkSave);
    reports.push_back(percent);
  };
  e.SaveFile(dir / "copy.bin", false);
  EXPECT_EQ(reports, (std::vector<int>{100}));
  EXPECT_EQ(test::ReadFile(dir / "copy.bin"), test::Content(e));
  EXPECT_TRUE(e.Modified());
  EXPECT_TRUE(e.CanUndo());
  EXPECT_EQ(e.FileName(), fs::path("Untitled"));
  e.SaveFile(dir / "saved.bin", true);
  EXPECT_FALSE(e.Modified());
  EXPECT_FALSE(e.CanUndo());
  EXPECT_FALSE(e.HasChangeMark(0));
  EXPECT_FALSE(e.ReadOnlyFile());
  EXPECT_EQ(e.FileName(), dir / "saved.bin");
}

// Saves over the file shown, cancelled at each percent step reported or
// not at all: a cancelled save leaves the file as it was and nothing beside it.
class SaveCancel : public Files, public testing::WithParamInterface<int> {};

TEST_P(SaveCancel, LeavesTheFileShownAsItWas) {
  const fs::path a = dir / "a.bin";
  const Bytes old(2 * kSaveChunkSize + (std::size_t{1} << 20), 3);  // three save chunks
  test::WriteFile(a, old);
  e.SetCreateBackup(false);
  e.LoadFile(a);
  e.ChangeByte(0, 3, 4);
  std::vector<int> reports;
  e.OnProgress = [&](TQDHProgressKind kind, const std::string&, int percent, bool& cancel) {
    EXPECT_EQ(kind, pkSave);
    reports.push_back(percent);
    cancel = static_cast<int>(reports.size()) == GetParam();
  };
  if (GetParam() == 0) {
    e.SaveFile(a, true);
    EXPECT_EQ(reports, (std::vector<int>{0, 48, 100}));
    EXPECT_EQ(test::ReadFile(a)[0], 4);
  } else {
    EXPECT_THROW(e.SaveFile(a, true), EQDHexEditor);
    EXPECT_EQ(test::ReadFile(a), old);
    EXPECT_TRUE(e.Modified());
    EXPECT_EQ(e.GetByte(0), 4);
  }
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path()), fs::directory_iterator()), 1);
}

INSTANTIATE_TEST_SUITE_P(AtStep, SaveCancel, testing::Values(0, 1, 2, 3));

TEST_F(Files, ANewFileIsReadOnlyUntilSavedElsewhere) {
  e.NewFile(dir / "new.bin");
  EXPECT_TRUE(e.ReadOnlyFile());
  EXPECT_EQ(e.DataSize(), 0);
  e.AppendBuffer(test::Sequence(3).data(), 3, true);
  try {
    e.SaveFile(dir / "new.bin", true);
    ADD_FAILURE();
  } catch (const FileError& ex) {
    EXPECT_EQ(std::string(ex.what()), "Cannot save readonly file " + PathText(dir / "new.bin") + ".");
  }
  EXPECT_EQ(host.messages, (std::vector<std::string>{PathText(dir / "new.bin") + "是只读文件，不能覆盖替换保存！"}));
  EXPECT_FALSE(fs::exists(dir / "new.bin"));
  e.SaveFile(dir / "other.bin", true);
  e.ChangeByte(0, 0, 9);
  e.SaveFile(dir / "other.bin", true);
  EXPECT_EQ(test::ReadFile(dir / "other.bin"), (Bytes{9, 1, 2}));
  e.NewFile();
  EXPECT_EQ(e.FileName(), fs::path("Untitled"));
}

TEST_F(Files, AFileThatCannotBeWrittenLoadsAsReadOnly) {
  const fs::path p = dir / "ro.bin";
  test::WriteFile(p, {1, 2});
  ::chmod(p.c_str(), 0444);
  if (std::ofstream(p, std::ios::app).is_open()) GTEST_SKIP() << "this user may write read-only files (root)";
  e.LoadFile(p);
  EXPECT_TRUE(e.ReadOnlyFile());
  EXPECT_EQ(test::Content(e), (Bytes{1, 2}));
  EXPECT_THROW(e.SaveFile(p, true), FileError);
  e.SaveFile(dir / "rw.bin", true);
  EXPECT_FALSE(e.ReadOnlyFile());
}

TEST_F(Files, BackupsTakeTheFirstFreeNumberedName) {
  const fs::path a = dir / "a.txt";
  test::WriteFile(a, {'o', 'l', 'd'});
  test::WriteFile(dir / "a.txt.bak", {'b'});
  e.LoadFile(a);
  e.ChangeByte(0, 'o', 'n');
  e.SaveFile(a, true);
  EXPECT_EQ(test::ReadFile(dir / "a.txt(1).bak"), (Bytes{'o', 'l', 'd'}));
  EXPECT_EQ(test::ReadFile(a), (Bytes{'n', 'l', 'd'}));
  e.ChangeByte(1, 'l', 'e');
  e.SaveFile(a, true);
  EXPECT_EQ(test::ReadFile(dir / "a.txt(2).bak"), (Bytes{'n', 'l', 'd'}));
  EXPECT_EQ(test::ReadFile(dir / "a.txt.bak"), (Bytes{'b'}));
}

TEST_F(Files, NoBackupWhenUnmodifiedDisabledOrSavedElsewhere) {
  const fs::path a = dir / "a.txt";
  test::WriteFile(a, {1});
  e.LoadFile(a);
  e.SaveFile(a, true);
  e.ChangeByte(0, 1, 2);
  e.SaveFile(dir / "b.txt", false);
  e.SetCreateBackup(false);
  e.SaveFile(a, true);
  EXPECT_EQ(test::ReadFile(a), (Bytes{2}));
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path()), fs::directory_iterator()), 2);
}

TEST_F(Files, BackupNamesAreCutToTheirLimits) {
  const std::string longName(208, 'n');
  e.SetFileName(dir / longName);
  EXPECT_EQ(e.BackupName(), dir / (longName.substr(0, 203) + ".bak"));
  e.SetBackupExtension(".backup1");
  EXPECT_EQ(e.BackupName(), dir / (longName.substr(0, 203) + ".backu"));
  EXPECT_EQ(e.BackupExtension(), ".backu");
  e.SetBackupExtension(".bak");
  e.SetFileName(dir / (std::string(100, 'x') + "文件"));
  EXPECT_EQ(e.BackupName(), dir / PathFromText(std::string(100, 'x') + "文件.bak"));
}

TEST_F(Files, BackupRenameFailureIsReported) {
  const fs::path a = dir / "a.txt";
  test::WriteFile(a, {1});
  e.LoadFile(a);
  e.ChangeByte(0, 1, 2);
  // A backup name below the file itself cannot be created.
  e.SetBackupExtension("/x");
  try {
    e.SaveFile(a, true);
    ADD_FAILURE();
  } catch (const EQDHexEditor& ex) {
    EXPECT_EQ(std::string(ex.what()), "Cannot create backup " + PathText(dir / "a.txt/x") + ". (Not a directory)");
  }
  EXPECT_EQ(test::ReadFile(a), (Bytes{1}));
}

TEST_F(Files, StreamsLoadAndSaveTheWholeBuffer) {
  std::istringstream in(std::string("\x01\x02\x03", 3));
  in.seekg(2);
  e.LoadData(in);
  EXPECT_EQ(test::Content(e), (Bytes{1, 2, 3}));
  std::ostringstream out;
  out << "pre";
  e.SaveData(out);
  EXPECT_EQ(out.str(), std::string("pre\x01\x02\x03", 6));
}

}  // namespace
}  // namespace hexed
