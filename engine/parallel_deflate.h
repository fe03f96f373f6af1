// Compresses the bytes written into it into one zlib stream, deflating fixed
// blocks on several worker threads and passing the stream on in order.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "engine/bytes.h"
#include "platform/stream.h"

namespace engine {

// Each block of kBlockSize plain bytes is deflated on its own with the last
// kDictionarySize bytes before it as preset dictionary, and every block but the
// last ends on a byte boundary, so the blocks can be compressed at the same
// time and simply laid end to end. Block boundaries depend only on the byte
// offsets, so the stream is the same whatever the thread count or the way the
// input is cut into writes. Memory stays bounded: at most a fixed number of
// blocks (twice the thread count plus two) are held at any time.
class ParallelDeflateSink final : public platform::ByteSink {
 public:
  static constexpr std::size_t kBlockSize = 128 * 1024;
  static constexpr std::size_t kDictionarySize = 32 * 1024;

  // The thread count used when none is given: one per core, at least one.
  static unsigned DefaultThreads();

  // `compressed` receives the zlib stream; `level` is a zlib level, -1 (the
  // default, 6) or 0..9; `threads` workers deflate (0 counts as 1). Throws
  // std::invalid_argument for another level, std::runtime_error when zlib or
  // the threads cannot be set up.
  ParallelDeflateSink(platform::ByteSink& compressed, int level, unsigned threads = DefaultThreads());
  // Without Finish the stream is abandoned: the workers stop and are joined.
  ~ParallelDeflateSink() override;
  ParallelDeflateSink(const ParallelDeflateSink&) = delete;
  ParallelDeflateSink& operator=(const ParallelDeflateSink&) = delete;

  // Takes plain bytes in any chunking. Throws std::runtime_error on a zlib
  // failure and passes on what `compressed` throws (platform::IoError); after
  // such an error every further Write or Finish throws std::runtime_error.
  void Write(const void* data, std::size_t size) override;
  // Compresses what is left and writes the last block and the Adler-32
  // trailer. Errors as for Write. Writing after Finish throws std::logic_error.
  void Finish();

  // Plain bytes taken so far.
  std::uint64_t PlainBytes() const { return plainBytes_; }
  // Compressed bytes passed on so far, header and trailer included.
  std::uint64_t CompressedBytes() const { return compressedBytes_; }
  // Space saved in percent, (1 - compressed / plain) * 100 (0 for no input);
  // meaningful after Finish.
  double CompressionRate() const;

 private:
  struct Block;
  class Deflater;

  void Fill(const std::uint8_t* data, std::size_t size);
  void Submit(bool last);
  void StartNextBlock();
  bool RetireOldest(bool wait);
  void CheckUsable() const;
  void WorkerLoop(Deflater& deflater);
  void StopWorkers() noexcept;

  platform::ByteSink& compressed_;
  const int level_;

  // Ring of blocks; the block with sequence number s lives in slot s % size.
  std::vector<Block> blocks_;
  std::vector<std::unique_ptr<Deflater>> deflaters_;
  std::vector<std::thread> workers_;

  // Guarded by mutex_: what the workers see.
  std::mutex mutex_;
  std::condition_variable workReady_;
  std::condition_variable blockDone_;
  std::uint64_t submitted_ = 0;  // blocks handed to the workers
  std::uint64_t taken_ = 0;      // blocks a worker has started on
  bool stopping_ = false;

  // Touched by the writing thread only.
  std::uint64_t filling_ = 0;  // the block that Write is filling
  std::uint64_t retired_ = 0;  // blocks passed on to `compressed_`
  std::uint32_t adler_ = 1;
  std::uint64_t plainBytes_ = 0;
  std::uint64_t compressedBytes_ = 0;
  bool headerWritten_ = false;
  bool finished_ = false;
  bool failed_ = false;
};

}  // namespace engine
