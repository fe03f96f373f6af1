// Compresses the bytes written into it into one zlib stream, deflating fixed
// blocks on several worker threads while one more thread passes the stream on
// in order.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <exception>
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
//
// The compressed sink is written from the sink's own writer thread, one call
// at a time, from the construction until Finish returns or the destructor
// ends; the caller must not use it meanwhile.
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
  // Without Finish the stream is abandoned: the threads stop and are joined.
  ~ParallelDeflateSink() override;
  ParallelDeflateSink(const ParallelDeflateSink&) = delete;
  ParallelDeflateSink& operator=(const ParallelDeflateSink&) = delete;

  // Takes plain bytes in any chunking. Throws std::runtime_error on a zlib
  // failure and rethrows what `compressed` threw (platform::IoError), from
  // this call or a later one; after such an error every further Write or
  // Finish throws std::runtime_error.
  void Write(const void* data, std::size_t size) override;
  // Compresses what is left, waits until the last block and the Adler-32
  // trailer are written. Errors as for Write. Writing after Finish throws
  // std::logic_error.
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
  void ThrowIfWriteFailed(std::unique_lock<std::mutex>& lock);
  void CheckUsable() const;
  void WorkerLoop(Deflater& deflater);
  void WriterLoop();
  void WriteBlock(const Block& block);
  void StopThreads() noexcept;

  platform::ByteSink& compressed_;
  const int level_;

  // Ring of blocks; the block with sequence number s lives in slot s % size.
  std::vector<Block> blocks_;
  std::vector<std::unique_ptr<Deflater>> deflaters_;
  std::vector<std::thread> threads_;  // the workers, then the writer

  std::mutex mutex_;
  std::condition_variable workReady_;     // a block was submitted
  std::condition_variable blockDone_;     // a worker finished a block
  std::condition_variable blockWritten_;  // the writer passed a block on or failed
  // Guarded by mutex_.
  std::uint64_t submitted_ = 0;  // blocks handed to the workers
  std::uint64_t taken_ = 0;      // blocks a worker has started on
  std::uint64_t written_ = 0;    // blocks passed on to `compressed_`
  std::exception_ptr writeError_;
  bool stopping_ = false;
  std::atomic<bool> writeFailed_ = false;  // writeError_ is set; read without the lock

  // The caller's.
  std::uint64_t filling_ = 0;  // the block that Write is filling
  std::uint64_t plainBytes_ = 0;
  bool finished_ = false;
  bool failed_ = false;

  // The writer's.
  std::uint32_t adler_ = 1;
  std::atomic<std::uint64_t> compressedBytes_ = 0;
};

}  // namespace engine
