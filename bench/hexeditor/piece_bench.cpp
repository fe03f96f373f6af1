// The piece data on a large sparse file: time to open it and read the first
// and last screen (16 rows of 32 bytes), the cost of edits and reads with many
// pieces, and the process's peak resident memory (VmHWM), as key=value lines.
// Usage: hexed_piece_bench FOLDER [GiB, default 16]
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <random>
#include <string>
#include <vector>

#include "bench/hexeditor/peak_memory.h"
#include "hexeditor/model/piece_data.h"

using bench::PeakKib;

namespace {

double Since(std::chrono::steady_clock::time_point t0) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::cerr << "usage: hexed_piece_bench FOLDER [GiB]\n";
    return 2;
  }
  const std::filesystem::path file = std::filesystem::path(argv[1]) / "hexed_piece_bench.bin";
  const std::int64_t gib = argc > 2 ? std::stoll(argv[2]) : 16;
  try {
    { std::ofstream(file, std::ios::binary) << "start"; }
    std::filesystem::resize_file(file, static_cast<std::uintmax_t>(gib << 30));
    constexpr std::int64_t kScreen = 16 * 32;
    std::vector<std::uint8_t> screen(kScreen);

    auto t0 = std::chrono::steady_clock::now();
    hexed::PieceData data;
    data.OpenFile(file);
    data.Read(0, screen.data(), kScreen);
    data.Read(data.Size() - kScreen, screen.data(), kScreen);
    std::printf("open_and_two_screens_ms=%.3f size=%lld\n", Since(t0) * 1e3, static_cast<long long>(data.Size()));

    // 100,000 one-byte inserts at random places: one piece each.
    std::mt19937_64 rng(1);
    t0 = std::chrono::steady_clock::now();
    for (int i = 0; i < 100000; ++i) {
      const std::uint8_t b = static_cast<std::uint8_t>(i);
      data.Insert(static_cast<std::int64_t>(rng() % static_cast<std::uint64_t>(data.Size())), &b, 1);
    }
    std::printf("inserts=100000 pieces=%zu insert_us_each=%.3f\n", data.PieceCount(), Since(t0) * 1e6 / 100000);

    t0 = std::chrono::steady_clock::now();
    for (int i = 0; i < 100000; ++i)
      data.Read(static_cast<std::int64_t>(rng() % static_cast<std::uint64_t>(data.Size() - kScreen)), screen.data(), 32);
    std::printf("row_reads=100000 read_us_each=%.3f\n", Since(t0) * 1e6 / 100000);

    // The same rows again and again: piece lookup and cache, no system call.
    const std::int64_t middle = data.Size() / 2;
    t0 = std::chrono::steady_clock::now();
    for (int i = 0; i < 100000; ++i) data.Read(middle + (i % 16) * 32, screen.data(), 32);
    std::printf("cached_row_reads=100000 read_us_each=%.3f\n", Since(t0) * 1e6 / 100000);

    t0 = std::chrono::steady_clock::now();
    for (int i = 0; i < 10000; ++i) {
      const auto pos = static_cast<std::int64_t>(rng() % static_cast<std::uint64_t>(data.Size() - 4096));
      const hexed::PieceList cut = data.Extract(pos, 4096);
      data.InsertPieces(pos, cut);
    }
    std::printf("extract_reinsert=10000 us_each=%.3f\n", Since(t0) * 1e6 / 10000);
    std::printf("peak_kib=%ld\n", PeakKib());
  } catch (const std::exception& e) {
    std::cerr << e.what() << "\n";
    std::filesystem::remove(file);
    return 1;
  }
  std::filesystem::remove(file);
  return 0;
}
