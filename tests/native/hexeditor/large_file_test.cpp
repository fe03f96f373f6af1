// Files past 4 GiB in the editor: opened without being read, edited at both
// ends, saved and read back; undo and redo of a gigabyte cut.
#include <gtest/gtest.h>

#include <fstream>

#include "hexeditor/editor/custom_hex_editor.h"
#include "test_support.h"

namespace hexed {
namespace {

namespace fs = std::filesystem;
using test::Bytes;

constexpr std::int64_t kBig = (std::int64_t{1} << 32) + 100;  // past what 32 bits count

// A sparse file of kBig bytes with marks at both ends; costs no disk space.
void MakeSparse(const fs::path& p) {
  {
    std::ofstream out(p, std::ios::binary);
    out.write("HEAD", 4);
  }
  fs::resize_file(p, static_cast<std::uintmax_t>(kBig));
  std::fstream out(p, std::ios::binary | std::ios::in | std::ios::out);
  out.seekp(kBig - 4);
  out.write("TAIL", 4);
}

Bytes FileBytes(const fs::path& p, std::int64_t pos, std::size_t n) {
  std::ifstream in(p, std::ios::binary);
  in.seekg(pos);
  Bytes b(n);
  in.read(reinterpret_cast<char*>(b.data()), static_cast<std::streamsize>(n));
  b.resize(static_cast<std::size_t>(in.gcount()));
  return b;
}

Bytes Text(const char* s) { return Bytes(s, s + std::char_traits<char>::length(s)); }

TEST(LargeFile, EditedAtBothEndsSavesAndReadsBack) {
  test::TempDir dir;
  const fs::path file = dir / "big.bin";
  MakeSparse(file);
  TCustomQDHexEditor e;
  e.LoadFile(file);
  ASSERT_EQ(e.DataSize(), kBig);
  EXPECT_EQ(e.BytesAt(kBig - 4, 4), Text("TAIL"));

  e.ChangeByte(0, 'H', 'h');                              // overwrite at the start
  e.InsertBuffer("++", 2, kBig - 4, false);               // insert before the tail mark
  e.SetSelection(1, 2);                                   // "EA"
  e.DeleteSelection();                                    // delete near the start
  e.SetSelection(kBig - 1 - 2 + 2, kBig - 1 - 2 + 2);     // the tail's last byte: 'L'
  e.DeleteSelection();
  const std::int64_t size = kBig + 2 - 2 - 1;
  ASSERT_EQ(e.DataSize(), size);
  EXPECT_EQ(e.BytesAt(0, 3), (Bytes{'h', 'D', 0}));
  EXPECT_EQ(e.BytesAt(size - 5, 5), Text("++TAI"));

  e.SaveFile(file, true);  // over the file shown
  EXPECT_EQ(fs::file_size(file), static_cast<std::uintmax_t>(size));
  EXPECT_EQ(FileBytes(file, 0, 3), (Bytes{'h', 'D', 0}));
  EXPECT_EQ(FileBytes(file, size - 5, 5), Text("++TAI"));
  EXPECT_EQ(e.BytesAt(size - 5, 5), Text("++TAI")) << "the editor shows the saved file";
  EXPECT_FALSE(e.Modified());
}

TEST(LargeFile, UndoAndRedoOfAGigabyteCutRestoreTheBytes) {
  test::TempDir dir;
  const fs::path file = dir / "big.bin";
  MakeSparse(file);
  TCustomQDHexEditor e;
  e.LoadFile(file);
  const std::int64_t cut = std::int64_t{1} << 30;
  e.SetSelection(2, 2 + cut - 1);
  e.DeleteSelection();
  EXPECT_EQ(e.DataSize(), kBig - cut);
  EXPECT_EQ(e.BytesAt(0, 2), Text("HE"));
  EXPECT_LT(e.UndoStorage().Size(), 200) << "the record refers to the removed pieces";
  e.Undo();
  ASSERT_EQ(e.DataSize(), kBig);
  EXPECT_EQ(e.BytesAt(0, 4), Text("HEAD"));
  EXPECT_EQ(e.BytesAt(kBig - 4, 4), Text("TAIL"));
  e.Redo();
  EXPECT_EQ(e.DataSize(), kBig - cut);
  EXPECT_EQ(e.BytesAt(kBig - cut - 4, 4), Text("TAIL"));
  e.Undo();
  EXPECT_EQ(e.DataSize(), kBig);
  EXPECT_EQ(e.BytesAt(0, 4), Text("HEAD"));
}

}  // namespace
}  // namespace hexed
