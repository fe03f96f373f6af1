// The payload as chunks: each 2^e plaintext bytes sealed with
// ChaCha20-Poly1305 under a nonce that counts the chunks and flags the last.
#pragma once

#include <cstdint>

#include "engine/aead/background_writer.h"
#include "engine/aead/chunk_workers.h"
#include "engine/cipher/body_pump.h"
#include "platform/stream.h"

namespace engine::aead {

// Cuts the stream written into it into chunks, seals a batch of them at
// once on every core and writes them in order, each batch on a thread of
// its own while the next one fills. The last chunk is known only at
// Finish, so a full batch is held until more bytes arrive.
class ChunkSealSink final : public platform::ByteSink {
 public:
  ChunkSealSink(platform::ByteSink& out, ByteSpan payloadKey, unsigned chunkExponent);
  void Write(const void* data, std::size_t size) override;
  // Seals what is held, the last chunk flagged, and waits until all is
  // written. The stream must not be empty. Write errors come from Write or
  // from here.
  void Finish();
  std::uint64_t Chunks() const { return next_; }

 private:
  void SealHeld(bool final);

  const std::size_t chunkSize_;
  ChunkWorkers workers_;
  BackgroundWriter writer_;
  std::size_t capacity_;  // a batch of plaintext
  Bytes plain_;           // the held batch
  std::size_t held_ = 0;
  std::uint64_t next_ = 0;  // index of the first held chunk
};

enum class ChunkResult {
  kDone,
  kDamaged,        // a chunk does not verify
  kTruncated,      // the file ends after a full chunk that is not the last
  kDataAfterEnd,   // the last chunk is followed by more bytes
  kStopped,        // the job's flag dropped
};

// Opens the chunks stored in `length` bytes from the source's current
// position, in order, each verified before its plaintext goes to `plain`.
// The monitor sees stored bytes. Read errors throw platform::IoError;
// whatever `plain` throws passes through.
ChunkResult OpenChunks(platform::ByteSource& source, std::uint64_t length, ByteSpan payloadKey,
                       unsigned chunkExponent, platform::ByteSink& plain, BodyMonitor& monitor);

}  // namespace engine::aead
