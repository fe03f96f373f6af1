// Opens one file in the hex editor, reads every byte through it and reports
// the time the open took and the process's peak resident memory (VmHWM), as
//   load_seconds=<s> peak_kib=<KiB> bytes=<n> checksum=<sum>
// The checksum sums every byte read, so the reads cannot be skipped.
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "bench/hexeditor/peak_memory.h"
#include "hexeditor/editor/hex_editor_ex.h"

using bench::PeakKib;

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: hexed_load_bench FILE\n";
    return 2;
  }
  try {
    hexed::TQDHexEditorEx editor;
    const auto t0 = std::chrono::steady_clock::now();
    editor.LoadFile(argv[1]);
    const auto t1 = std::chrono::steady_clock::now();
    std::uint64_t sum = 0;
    std::vector<std::uint8_t> block(std::size_t{1} << 20);
    for (std::int64_t at = 0; at < editor.DataSize();) {
      const std::int64_t n = std::min<std::int64_t>(editor.DataSize() - at, static_cast<std::int64_t>(block.size()));
      editor.ReadBytes(block.data(), at, n);
      for (std::int64_t i = 0; i < n; ++i) sum += block[static_cast<std::size_t>(i)];
      at += n;
    }
    std::printf("load_seconds=%.3f peak_kib=%ld bytes=%lld checksum=%llu\n",
                std::chrono::duration<double>(t1 - t0).count(), PeakKib(), static_cast<long long>(editor.DataSize()),
                static_cast<unsigned long long>(sum));
  } catch (const std::exception& e) {
    std::cerr << e.what() << "\n";
    return 1;
  }
  return 0;
}
