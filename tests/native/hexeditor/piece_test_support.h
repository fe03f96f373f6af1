// Helpers shared by the piece data tests.
#pragma once

#include <cstdint>
#include <random>
#include <vector>

#include "hexeditor/model/piece_data.h"

namespace hexed::test {

inline std::vector<std::uint8_t> RandomBytes(std::size_t n, std::mt19937& rng) {
  std::vector<std::uint8_t> b(n);
  for (auto& x : b) x = static_cast<std::uint8_t>(rng());
  return b;
}

inline std::vector<std::uint8_t> ReadAll(const PieceData& data) {
  std::vector<std::uint8_t> out(static_cast<std::size_t>(data.Size()));
  data.Read(0, out.data(), data.Size());
  return out;
}

}  // namespace hexed::test
