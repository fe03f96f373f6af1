#include "engine/compression/parallel_deflate.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <string>
#include <system_error>

namespace engine {

namespace {

// The two header bytes zlib itself writes for `level` with a 32 KiB window:
// the level class in the top two bits and a check value making the pair a
// multiple of 31.
void StoreHeader(std::uint8_t* out, int level) {
  const int effective = level == Z_DEFAULT_COMPRESSION ? 6 : level;
  const unsigned levelClass = effective < 2 ? 0 : effective < 6 ? 1 : effective == 6 ? 2 : 3;
  unsigned header = (0x78u << 8) | (levelClass << 6);
  header += 31 - header % 31;
  out[0] = static_cast<std::uint8_t>(header >> 8);
  out[1] = static_cast<std::uint8_t>(header);
}

}  // namespace

struct ParallelDeflateSink::Block {
  // The dictionary (the end of the previous block) followed by the block's own bytes.
  Bytes input = Bytes(kDictionarySize + kBlockSize);
  std::size_t dictionarySize = 0;
  std::size_t dataSize = 0;
  bool last = false;

  // Set by the worker that deflates the block.
  Bytes output;
  std::size_t outputSize = 0;
  std::uint32_t adler = 1;
  std::string error;
  bool done = false;  // guarded by the sink's mutex
};

// One raw deflate state per worker, reset for every block.
class ParallelDeflateSink::Deflater {
 public:
  explicit Deflater(int level) {
    // Raw deflate (negative window bits): the sink writes the header and the
    // trailer itself, and zlib computes no checksum nobody reads.
    if (deflateInit2(&z_, level, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY) != Z_OK)
      throw std::runtime_error("zlib: cannot set up compression");
  }
  ~Deflater() { deflateEnd(&z_); }
  Deflater(const Deflater&) = delete;
  Deflater& operator=(const Deflater&) = delete;

  // Fills the block's output and Adler-32; returns an error text or "".
  std::string Run(Block& block) {
    const std::uint8_t* data = block.input.data() + block.dictionarySize;
    block.adler = static_cast<std::uint32_t>(adler32(adler32(0, Z_NULL, 0), data, static_cast<uInt>(block.dataSize)));
    if (deflateReset(&z_) != Z_OK) return "zlib: cannot reset compression";
    if (block.dictionarySize > 0 &&
        deflateSetDictionary(&z_, block.input.data(), static_cast<uInt>(block.dictionarySize)) != Z_OK)
      return "zlib: cannot set the dictionary";

    // The bound assumes a finished stream; a sync flush adds at most an empty
    // stored block, covered by the margin. The loop grows the buffer anyway.
    // The space offered depends on the block alone, never on what the
    // reused buffer held before, so the output is the same in any slot.
    std::size_t limit = deflateBound(&z_, static_cast<uLong>(block.dataSize)) + 16;
    if (block.output.size() < limit) block.output.resize(limit);
    z_.next_in = const_cast<Bytef*>(data);
    z_.avail_in = static_cast<uInt>(block.dataSize);
    z_.next_out = block.output.data();
    z_.avail_out = static_cast<uInt>(limit);

    // Every block but the last ends with a sync flush: an empty stored block
    // that brings the bit stream to a byte boundary, so the next block's
    // output can follow it directly.
    const int flush = block.last ? Z_FINISH : Z_SYNC_FLUSH;
    for (;;) {
      const int rc = deflate(&z_, flush);
      if (rc == Z_STREAM_END) break;
      if (rc != Z_OK && rc != Z_BUF_ERROR) return "zlib: compression failed";
      if (z_.avail_out > 0) {
        if (!block.last && z_.avail_in == 0) break;
        if (rc == Z_BUF_ERROR) return "zlib: compression made no progress";
        continue;
      }
      const std::size_t used = limit;
      limit += limit / 2;
      if (block.output.size() < limit) block.output.resize(limit);
      z_.next_out = block.output.data() + used;
      z_.avail_out = static_cast<uInt>(limit - used);
    }
    block.outputSize = limit - z_.avail_out;
    return {};
  }

 private:
  z_stream z_{};
};

unsigned ParallelDeflateSink::DefaultThreads() { return std::max(1u, std::thread::hardware_concurrency()); }

ParallelDeflateSink::ParallelDeflateSink(platform::ByteSink& compressed, int level, unsigned threads)
    : compressed_(compressed), level_(level) {
  if (level < Z_DEFAULT_COMPRESSION || level > Z_BEST_COMPRESSION)
    throw std::invalid_argument("compression level out of range: " + std::to_string(level));
  threads = std::max(1u, threads);
  // Twice the workers keeps each one a block ahead while the oldest waits to
  // be written; two more cover the block being filled and the one written.
  blocks_.resize(2 * static_cast<std::size_t>(threads) + 2);
  deflaters_.reserve(threads);
  for (unsigned i = 0; i < threads; ++i) deflaters_.push_back(std::make_unique<Deflater>(level));
  try {
    for (unsigned i = 0; i < threads; ++i) threads_.emplace_back([this, i] { WorkerLoop(*deflaters_[i]); });
    threads_.emplace_back([this] { WriterLoop(); });
  } catch (const std::system_error& e) {
    StopThreads();
    throw std::runtime_error(std::string("cannot start compression threads: ") + e.what());
  }
}

ParallelDeflateSink::~ParallelDeflateSink() { StopThreads(); }

void ParallelDeflateSink::StopThreads() noexcept {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  workReady_.notify_all();
  blockDone_.notify_all();
  for (std::thread& thread : threads_) {
    if (!thread.joinable()) continue;
    try {
      thread.join();
    } catch (const std::system_error&) {
      // Only a deadlock or an invalid thread makes join fail; neither can
      // happen here, and a destructor must not throw.
    }
  }
}

void ParallelDeflateSink::WorkerLoop(Deflater& deflater) {
  std::unique_lock lock(mutex_);
  for (;;) {
    workReady_.wait(lock, [this] { return stopping_ || taken_ < submitted_; });
    if (stopping_) return;
    Block& block = blocks_[taken_++ % blocks_.size()];
    lock.unlock();
    // No exception may leave a thread entry: a failure travels in the block
    // to the writer, which hands it to the caller.
    std::string error;
    try {
      error = deflater.Run(block);
    } catch (const std::exception& e) {
      error = std::string("compression failed: ") + e.what();
    }
    lock.lock();
    block.error = std::move(error);
    block.done = true;
    blockDone_.notify_all();
  }
}

// Reading, deflating and writing overlap as they would with separate reader
// and writer programs: the caller only copies, the workers deflate and this
// thread alone waits on `compressed_`.
void ParallelDeflateSink::WriterLoop() {
  std::unique_lock lock(mutex_);
  for (;;) {
    blockDone_.wait(lock, [this] {
      return stopping_ || (written_ < submitted_ && blocks_[written_ % blocks_.size()].done);
    });
    if (stopping_) return;
    const Block& block = blocks_[written_ % blocks_.size()];
    lock.unlock();
    std::exception_ptr error;
    try {
      WriteBlock(block);
    } catch (...) {
      error = std::current_exception();
    }
    lock.lock();
    if (error) {
      writeError_ = error;
      writeFailed_ = true;
      blockWritten_.notify_all();
      return;
    }
    ++written_;
    blockWritten_.notify_all();
    if (block.last) return;
  }
}

void ParallelDeflateSink::WriteBlock(const Block& block) {
  if (!block.error.empty()) throw std::runtime_error(block.error);
  if (written_ == 0) {
    std::uint8_t header[2];
    StoreHeader(header, level_);
    compressed_.Write(header, sizeof header);
    compressedBytes_ += sizeof header;
  }
  compressed_.Write(block.output.data(), block.outputSize);
  compressedBytes_ += block.outputSize;
  adler_ = static_cast<std::uint32_t>(adler32_combine(adler_, block.adler, static_cast<z_off_t>(block.dataSize)));
  if (block.last) {
    const std::uint8_t trailer[4] = {static_cast<std::uint8_t>(adler_ >> 24), static_cast<std::uint8_t>(adler_ >> 16),
                                     static_cast<std::uint8_t>(adler_ >> 8), static_cast<std::uint8_t>(adler_)};
    compressed_.Write(trailer, sizeof trailer);
    compressedBytes_ += sizeof trailer;
  }
}

void ParallelDeflateSink::ThrowIfWriteFailed(std::unique_lock<std::mutex>& lock) {
  if (!writeError_) return;
  lock.unlock();
  std::rethrow_exception(writeError_);
}

void ParallelDeflateSink::CheckUsable() const {
  if (finished_) throw std::logic_error("the compressed stream is already finished");
  if (failed_) throw std::runtime_error("the compressed stream failed earlier");
}

void ParallelDeflateSink::Write(const void* data, std::size_t size) {
  CheckUsable();
  try {
    if (writeFailed_) {
      std::unique_lock lock(mutex_);
      ThrowIfWriteFailed(lock);
    }
    Fill(static_cast<const std::uint8_t*>(data), size);
  } catch (...) {
    failed_ = true;
    throw;
  }
}

void ParallelDeflateSink::Finish() {
  CheckUsable();
  try {
    Submit(true);
    std::unique_lock lock(mutex_);
    blockWritten_.wait(lock, [this] { return writeError_ || written_ == submitted_; });
    ThrowIfWriteFailed(lock);
  } catch (...) {
    failed_ = true;
    throw;
  }
  finished_ = true;
  StopThreads();
}

double ParallelDeflateSink::CompressionRate() const {
  if (plainBytes_ == 0) return 0.0;
  return (1.0 - static_cast<double>(compressedBytes_) / static_cast<double>(plainBytes_)) * 100.0;
}

void ParallelDeflateSink::Fill(const std::uint8_t* data, std::size_t size) {
  while (size > 0) {
    Block* block = &blocks_[filling_ % blocks_.size()];
    // A full block is handed over only once more bytes follow: the block
    // that turns out to be the last one must end the stream.
    if (block->dataSize == kBlockSize) {
      Submit(false);
      StartNextBlock();
      block = &blocks_[filling_ % blocks_.size()];
    }
    const std::size_t n = std::min(size, kBlockSize - block->dataSize);
    std::memcpy(block->input.data() + block->dictionarySize + block->dataSize, data, n);
    block->dataSize += n;
    plainBytes_ += n;
    data += n;
    size -= n;
  }
}

void ParallelDeflateSink::Submit(bool last) {
  Block& block = blocks_[filling_ % blocks_.size()];
  block.last = last;
  {
    std::lock_guard lock(mutex_);
    block.done = false;
    submitted_ = filling_ + 1;
  }
  workReady_.notify_one();
}

void ParallelDeflateSink::StartNextBlock() {
  const std::uint64_t next = filling_ + 1;
  {
    // The slot of the next block is free once the block that used it before
    // has been written out.
    std::unique_lock lock(mutex_);
    blockWritten_.wait(lock, [&] { return writeError_ || next - written_ < blocks_.size(); });
    ThrowIfWriteFailed(lock);
  }
  const Block& previous = blocks_[filling_ % blocks_.size()];
  Block& block = blocks_[next % blocks_.size()];
  // The previous block is full and only read by its worker, so its last
  // bytes can be copied while it is being compressed.
  const std::uint8_t* tail = previous.input.data() + previous.dictionarySize + previous.dataSize - kDictionarySize;
  std::memcpy(block.input.data(), tail, kDictionarySize);
  block.dictionarySize = kDictionarySize;
  block.dataSize = 0;
  filling_ = next;
}

}  // namespace engine
