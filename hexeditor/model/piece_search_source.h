// Finding over the piece data: the search reads it in its large chunks.
#pragma once

#include "hexeditor/model/byte_search.h"
#include "hexeditor/model/piece_data.h"

namespace hexed {

class PieceSearchSource final : public search::ByteSource {
 public:
  explicit PieceSearchSource(const PieceData& data) : data_(data) {}
  std::int64_t Size() const override { return data_.Size(); }
  void Read(std::int64_t offset, std::uint8_t* buffer, std::size_t size) override {
    data_.Read(offset, buffer, static_cast<std::int64_t>(size));
  }

 private:
  const PieceData& data_;
};

}  // namespace hexed
