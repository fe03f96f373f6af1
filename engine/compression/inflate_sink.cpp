#include "engine/compression/inflate_sink.h"

#include <zlib.h>

namespace engine {

struct InflateSink::State {
  z_stream z{};
};

InflateSink::InflateSink(platform::ByteSink& plain) : plain_(plain), state_(new State), buffer_(1 << 18) {
  if (inflateInit(&state_->z) != Z_OK) {
    delete state_;
    throw std::runtime_error("zlib: out of memory");
  }
}

InflateSink::~InflateSink() {
  inflateEnd(&state_->z);
  delete state_;
}

void InflateSink::Write(const void* data, std::size_t size) {
  z_stream& z = state_->z;
  const auto* in = static_cast<const Bytef*>(data);
  // zlib reports the end only after the Adler-32 matched, so the stream is
  // complete there; whatever follows it (the bytes a repaired container size
  // adds, or bytes appended to a .zak) is not part of it and is ignored.
  while (size > 0 && !ended_) {
    const uInt chunk = static_cast<uInt>(std::min<std::size_t>(size, 1u << 30));
    z.next_in = const_cast<Bytef*>(in);
    z.avail_in = chunk;
    do {
      z.next_out = buffer_.data();
      z.avail_out = static_cast<uInt>(buffer_.size());
      const int rc = inflate(&z, Z_NO_FLUSH);
      if (rc != Z_OK && rc != Z_STREAM_END && rc != Z_BUF_ERROR) throw NotCompressedError("not a zlib stream");
      plain_.Write(buffer_.data(), buffer_.size() - z.avail_out);
      if (rc == Z_STREAM_END) {
        ended_ = true;
        afterEnd_ += z.avail_in + (size - chunk);
        return;
      }
    } while (z.avail_in > 0 || z.avail_out == 0);
    in += chunk;
    size -= chunk;
  }
  if (ended_) afterEnd_ += size;
}

void InflateSink::Finish() {
  if (!ended_) throw NotCompressedError("the zlib stream is incomplete");
}

}  // namespace engine
