#include "engine/aead/chunk_stream.h"

#include <algorithm>
#include <cstring>

namespace engine::aead {

namespace {

// About 2 MiB of plaintext per batch, and at least two chunks per worker.
std::size_t BatchChunks(std::size_t chunkSize, unsigned workers) {
  return std::max<std::size_t>(2 * workers, (std::size_t{2} << 20) / chunkSize);
}

}  // namespace

ChunkSealSink::ChunkSealSink(platform::ByteSink& out, ByteSpan payloadKey, unsigned chunkExponent)
    : chunkSize_(std::size_t{1} << chunkExponent), workers_(payloadKey), writer_(out) {
  // The buffers grow with the stream, so a small file costs little memory.
  capacity_ = BatchChunks(chunkSize_, workers_.Count()) * chunkSize_;
}

void ChunkSealSink::Write(const void* data, std::size_t size) {
  const auto* p = static_cast<const std::uint8_t*>(data);
  while (size > 0) {
    // A full batch goes only now that more bytes follow: none of it is last.
    if (held_ == capacity_) SealHeld(false);
    if (held_ + size > plain_.size() && plain_.size() < capacity_)
      plain_.resize(std::min(capacity_, std::max(held_ + size, 2 * plain_.size())));
    const std::size_t n = std::min(size, plain_.size() - held_);
    std::memcpy(plain_.data() + held_, p, n);
    held_ += n;
    p += n;
    size -= n;
  }
}

void ChunkSealSink::Finish() {
  if (held_ == 0) throw std::logic_error("an empty chunk stream");
  SealHeld(true);
  writer_.Flush();
}

void ChunkSealSink::SealHeld(bool final) {
  const std::size_t count = (held_ + chunkSize_ - 1) / chunkSize_;
  const std::uint64_t first = next_;
  const std::size_t held = held_;
  std::uint8_t* sealed = writer_.Take(held + count * kTagSize);
  workers_.ForEach(count, [&](ChunkCipher& cipher, std::size_t i) {
    const std::size_t size = std::min(chunkSize_, held - i * chunkSize_);
    cipher.Seal(first + i, final && i + 1 == count, plain_.data() + i * chunkSize_, size,
                sealed + i * (chunkSize_ + kTagSize));
  });
  writer_.Submit(held + count * kTagSize);
  next_ += count;
  held_ = 0;
}

ChunkResult OpenChunks(platform::ByteSource& source, std::uint64_t length, ByteSpan payloadKey,
                       unsigned chunkExponent, platform::ByteSink& plain, BodyMonitor& monitor) {
  const std::size_t chunkSize = std::size_t{1} << chunkExponent;
  const std::size_t stored = chunkSize + kTagSize;
  // The stream is never empty: a file without chunks was cut.
  if (length == 0) return ChunkResult::kTruncated;
  const std::uint64_t chunks = (length + stored - 1) / stored;

  ChunkWorkers workers(payloadKey);
  const std::size_t batch =
      static_cast<std::size_t>(std::min<std::uint64_t>(BatchChunks(chunkSize, workers.Count()), chunks));
  Bytes in(batch * stored);
  Bytes out(batch * chunkSize);
  std::vector<ChunkResult> results(batch);
  std::vector<std::size_t> sizes(batch);

  std::uint64_t done = 0;  // stored bytes
  for (std::uint64_t first = 0; first < chunks; first += batch) {
    if (!monitor.running) return ChunkResult::kStopped;
    const std::size_t count = static_cast<std::size_t>(std::min<std::uint64_t>(batch, chunks - first));
    const std::size_t bytes = static_cast<std::size_t>(std::min<std::uint64_t>(count * stored, length - done));
    source.ReadExact(in.data(), bytes);
    workers.ForEach(count, [&](ChunkCipher& cipher, std::size_t i) {
      const std::uint64_t index = first + i;
      const std::size_t size = std::min(stored, bytes - i * stored);
      const std::uint8_t* chunk = in.data() + i * stored;
      std::uint8_t* text = out.data() + i * chunkSize;
      sizes[i] = size - std::min(size, kTagSize);
      // The last chunk holds at least one byte; the others are full.
      if (index + 1 < chunks) {
        if (cipher.Open(index, false, chunk, size, text)) results[i] = ChunkResult::kDone;
        else if (cipher.Open(index, true, chunk, size, text) && size > kTagSize) results[i] = ChunkResult::kDataAfterEnd;
        else results[i] = ChunkResult::kDamaged;
      } else if (size > kTagSize && cipher.Open(index, true, chunk, size, text)) {
        results[i] = ChunkResult::kDone;
      } else if (size == stored && cipher.Open(index, false, chunk, size, text)) {
        results[i] = ChunkResult::kTruncated;
      } else {
        results[i] = ChunkResult::kDamaged;
      }
    });
    // The verified chunks lie end to end (only the file's last one can be
    // short): they go on in one piece, up to the first that failed.
    std::size_t verified = 0, bytesVerified = 0;
    while (verified < count && results[verified] == ChunkResult::kDone) bytesVerified += sizes[verified++];
    plain.Write(out.data(), bytesVerified);
    if (verified < count) return results[verified];
    done += bytes;
    if (monitor.advance) monitor.advance(done, bytes);
  }
  return ChunkResult::kDone;
}

}  // namespace engine::aead
