// Saving the piece data: over the viewed file with and without a backup,
// cancelled, and a sparse file above 4 GiB.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <random>

#include "hexeditor/errors.h"
#include "hexeditor/messages.h"
#include "hexeditor/model/piece_save.h"
#include "piece_test_support.h"
#include "test_support.h"

namespace hexed {
namespace {

using test::RandomBytes;
using test::ReadAll;
using test::ReadFile;
using Bytes = std::vector<std::uint8_t>;

std::vector<std::string> Names(const std::filesystem::path& dir) {
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(dir)) names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

// A viewed file, edited, with an undo-held piece list cut out of it.
struct EditedFile {
  test::TempDir dir;
  std::filesystem::path path = dir / "a.bin";
  Bytes original;
  Bytes expected;
  PieceData data;
  PieceList held;
  Bytes heldBytes;

  explicit EditedFile(std::size_t size) {
    std::mt19937 rng(21);
    original = RandomBytes(size, rng);
    test::WriteFile(path, original);
    data.OpenFile(path);
    const Bytes typed = {'x', 'y', 'z'};
    data.Insert(7, typed.data(), 3);
    held = data.Extract(100, 5000);  // file bytes the save will replace
    expected = original;
    expected.insert(expected.begin() + 7, typed.begin(), typed.end());
    heldBytes.assign(expected.begin() + 100, expected.begin() + 5100);
    expected.erase(expected.begin() + 100, expected.begin() + 5100);
  }

  // Undo after the save: the held pieces still read the old file's bytes.
  void ExpectHeldPiecesReadOldBytes() {
    data.InsertPieces(100, held);
    Bytes back = ReadAll(data);
    Bytes want = expected;
    want.insert(want.begin() + 100, heldBytes.begin(), heldBytes.end());
    EXPECT_EQ(back, want);
  }
};

TEST(PieceSave, OverViewedFileWithoutBackup) {
  EditedFile f(3 << 20);
  SaveAndShow(f.data, f.path, {});
  EXPECT_EQ(ReadFile(f.path), f.expected);
  EXPECT_EQ(f.data.PieceCount(), 1u);
  EXPECT_EQ(ReadAll(f.data), f.expected);
  f.ExpectHeldPiecesReadOldBytes();
  f.held = PieceList();
  f.data.Clear();  // the old file's last reader closes
  EXPECT_EQ(Names(f.dir.Path()), std::vector<std::string>{"a.bin"});
}

TEST(PieceSave, OverViewedFileWithBackup) {
  EditedFile f(100000);
  SaveOptions options;
  options.backup = f.dir / "a.bin.bak";
  SaveAndShow(f.data, f.path, options);
  EXPECT_EQ(ReadFile(f.path), f.expected);
  EXPECT_EQ(ReadFile(options.backup), f.original);
  f.ExpectHeldPiecesReadOldBytes();
  EXPECT_EQ(Names(f.dir.Path()), (std::vector<std::string>{"a.bin", "a.bin.bak"}));
}

TEST(PieceSave, TakenBackupNameFailsAndLeavesTargetUntouched) {
  EditedFile f(100000);
  test::WriteFile(f.dir / "a.bin.bak", {1});
  SaveOptions options;
  options.backup = f.dir / "a.bin.bak";
  try {
    SaveToFile(f.data, f.path, options);
    FAIL() << "saved although the backup name is taken";
  } catch (const EQDHexEditor& e) {
    EXPECT_EQ(std::string(e.what()).rfind("Cannot create backup", 0), 0u) << e.what();
  }
  EXPECT_EQ(ReadFile(f.path), f.original);
  EXPECT_EQ(Names(f.dir.Path()), (std::vector<std::string>{"a.bin", "a.bin.bak"}));
}

TEST(PieceSave, CancelledSaveLeavesTargetAndNoTemporaryFile) {
  EditedFile f(3 << 20);
  SaveOptions options;
  options.chunkSize = kMinSaveChunk;
  int calls = 0;
  options.progress = [&](std::int64_t, std::int64_t) { return ++calls < 3; };  // mid-file
  try {
    SaveToFile(f.data, f.path, options);
    FAIL() << "not cancelled";
  } catch (const EQDHexEditor& e) {
    EXPECT_STREQ(e.what(), msg::kCancelled);
  }
  EXPECT_EQ(calls, 3);
  EXPECT_EQ(ReadFile(f.path), f.original);
  EXPECT_EQ(Names(f.dir.Path()), std::vector<std::string>{"a.bin"});
  EXPECT_EQ(ReadAll(f.data), f.expected);
}

TEST(PieceSave, ProgressReportsEachChunkAndTheEnd) {
  test::TempDir dir;
  PieceData data;
  const Bytes bytes(5 * kMinSaveChunk / 2, 0x5A);
  data.Insert(0, bytes.data(), static_cast<std::int64_t>(bytes.size()));
  SaveOptions options;
  options.chunkSize = 1000;  // raised to the smallest chunk
  std::vector<std::int64_t> seen;
  options.progress = [&](std::int64_t done, std::int64_t total) {
    EXPECT_EQ(total, static_cast<std::int64_t>(bytes.size()));
    seen.push_back(done);
    return true;
  };
  SaveToFile(data, dir / "new.bin", options);
  const auto mib = static_cast<std::int64_t>(kMinSaveChunk);
  EXPECT_EQ(seen, (std::vector<std::int64_t>{0, mib, 2 * mib, static_cast<std::int64_t>(bytes.size())}));
  EXPECT_EQ(ReadFile(dir / "new.bin"), bytes);
}

TEST(PieceSave, EmptyDataMakesEmptyFile) {
  test::TempDir dir;
  PieceData data;
  SaveToFile(data, dir / "empty.bin", {});
  EXPECT_EQ(std::filesystem::file_size(dir / "empty.bin"), 0u);
}

// A sparse file just above 4 GiB: edits at both ends, saved to a new path.
TEST(PieceSave, SparseFileAbove4GiBEditedAtBothEnds) {
  test::TempDir dir;
  const std::int64_t size = (std::int64_t{1} << 32) + 4099;
  const std::filesystem::path src = dir / "big.bin";
  {
    std::ofstream out(src, std::ios::binary);
    out << "HEAD";
  }
  std::filesystem::resize_file(src, static_cast<std::uintmax_t>(size));
  {
    std::fstream io(src, std::ios::binary | std::ios::in | std::ios::out);
    io.seekp(size - 4);
    io << "TAIL";
  }
  PieceData data;
  data.OpenFile(src);
  ASSERT_EQ(data.Size(), size);
  const Bytes one = {'1'};
  const Bytes ins = {'<', '>'};
  data.Overwrite(0, one.data(), 1);                   // "1EAD"
  data.Insert(2, ins.data(), 2);                      // "1E<>AD"
  data.Erase(data.Size() - 3, 1);                     // "TIL"
  data.Insert(data.Size(), ins.data(), 2);            // "TIL<>"
  data.Overwrite(data.Size() - 6, one.data(), 1);     // a zero byte before the tail becomes '1'
  const std::int64_t newSize = size + 3;
  ASSERT_EQ(data.Size(), newSize);

  const auto start = std::chrono::steady_clock::now();
  SaveToFile(data, dir / "saved.bin", {});
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::cout << "saved " << newSize << " bytes in " << seconds << " s\n";
  std::filesystem::remove(src);

  ASSERT_EQ(std::filesystem::file_size(dir / "saved.bin"), static_cast<std::uintmax_t>(newSize));
  std::ifstream in(dir / "saved.bin", std::ios::binary);
  std::string head(8, '\0');
  in.read(head.data(), 8);
  EXPECT_EQ(head, std::string("1E<>AD\0\0", 8));
  std::string tail(8, '\0');
  in.seekg(newSize - 8);
  in.read(tail.data(), 8);
  EXPECT_EQ(tail, std::string("\0\0" "1TIL<>", 8));
}

}  // namespace
}  // namespace hexed
