// The hex editor on files of any size, measured from inside one process.
//
//   hexed_large_bench open FILE   opening and the first screen's cells, then
//                                 Ctrl+End and the last screen's cells
//   hexed_large_bench edit FILE   opening, scrolling through the whole file a
//                                 screen at a time at 1000 places, a few
//                                 bytes edited at both ends, a save beside it
//
// Prints key=value pairs: seconds, and resident memory peaks in KiB above
// the start (VmHWM).
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <string>

#include "bench/hexeditor/peak_memory.h"
#include "hexeditor/editor/custom_hex_editor.h"

using bench::PeakKib;

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point from) { return std::chrono::duration<double>(Clock::now() - from).count(); }

// Every cell of the rows on screen, as a painter asks for them.
std::uint64_t PaintScreen(hexed::TCustomQDHexEditor& e) {
  std::uint64_t sum = 0;
  const auto paintRow = [&](int row) {
    for (int col = 0; col < e.ColCount(); ++col) sum += e.GetCellView(col, row, true).ch;
  };
  for (int row = 0; row < hexed::kFixedRows; ++row) paintRow(row);
  for (int row = e.TopRow(); row <= e.LastVisibleRow() && row < e.RowCount(); ++row) paintRow(row);
  return sum;
}

void SetUpScreen(hexed::TCustomQDHexEditor& e) {
  e.SetCharMetrics(8, 14);
  e.SetClientSize(1024, 768);
}

int Open(const char* file) {
  hexed::TCustomQDHexEditor e;
  SetUpScreen(e);
  const auto t0 = Clock::now();
  e.LoadFile(file);
  std::uint64_t sum = PaintScreen(e);
  const double open = Seconds(t0);
  const auto t1 = Clock::now();
  e.KeyDown(hexed::key::kEnd, hexed::kCtrlKey);
  sum += PaintScreen(e);
  const double end = Seconds(t1);
  std::printf("bytes=%lld open_first_screen_seconds=%.6f ctrl_end_seconds=%.6f checksum=%llu\n",
              static_cast<long long>(e.DataSize()), open, end, static_cast<unsigned long long>(sum));
  return 0;
}

int Edit(const char* file) {
  const long start = PeakKib();
  hexed::TCustomQDHexEditor e;
  SetUpScreen(e);
  e.LoadFile(file);
  const long opened = PeakKib();
  std::uint64_t sum = 0;
  const hexed::GridRow rows = e.RowCount();
  for (int i = 0; i < 1000; ++i) {
    e.SetTopRow(2 + (rows - 2) * i / 1000);
    sum += PaintScreen(e);
  }
  const long scrolled = PeakKib();
  const std::int64_t size = e.DataSize();
  e.ChangeByte(0, e.GetByte(0), 0x11);
  e.ChangeByte(size - 1, e.GetByte(size - 1), 0x22);
  e.InsertBuffer("abc", 3, size / 2, false);
  e.SetSelection(10, 19);
  e.DeleteSelection();
  const long edited = PeakKib();
  const std::string saved = std::string(file) + ".saved";
  const auto t0 = Clock::now();
  e.SaveFile(saved, false);
  // The save counts until its bytes are on disk, like `cp` and a sync.
  ::sync();
  const double save = Seconds(t0);
  const long afterSave = PeakKib();
  std::printf(
      "bytes=%lld peak_open_kib=%ld peak_scroll_kib=%ld peak_edit_kib=%ld peak_save_kib=%ld save_seconds=%.3f "
      "checksum=%llu\n",
      static_cast<long long>(e.DataSize()), opened - start, scrolled - start, edited - start, afterSave - start,
      save, static_cast<unsigned long long>(sum));
  std::remove(saved.c_str());
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string mode = argc == 3 ? argv[1] : "";
  if (mode != "open" && mode != "edit") {
    std::cerr << "usage: hexed_large_bench open|edit FILE\n";
    return 2;
  }
  try {
    return mode == "open" ? Open(argv[2]) : Edit(argv[2]);
  } catch (const std::exception& e) {
    std::cerr << e.what() << "\n";
    return 1;
  }
}
