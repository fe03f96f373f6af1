// Threads that seal or open a batch of chunks at once, one cipher each.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "engine/aead/crypto.h"

namespace engine::aead {

class ChunkWorkers {
 public:
  using Task = std::function<void(ChunkCipher& cipher, std::size_t index)>;

  // One worker per core (`threads` 0), the calling thread among them.
  ChunkWorkers(ByteSpan key, unsigned threads = 0);
  ~ChunkWorkers();
  ChunkWorkers(const ChunkWorkers&) = delete;
  ChunkWorkers& operator=(const ChunkWorkers&) = delete;

  unsigned Count() const { return static_cast<unsigned>(ciphers_.size()); }
  // Runs task(cipher, i) for every i in 0..count-1 and waits for all; the
  // first exception a task threw is rethrown here.
  void ForEach(std::size_t count, const Task& task);

 private:
  void Loop(std::size_t worker);
  void Drain(std::size_t worker);

  std::vector<std::unique_ptr<ChunkCipher>> ciphers_;
  std::vector<std::thread> threads_;
  std::mutex mutex_;
  std::condition_variable start_;
  std::condition_variable done_;
  // Guarded by mutex_.
  const Task* task_ = nullptr;
  std::size_t count_ = 0;
  std::size_t next_ = 0;
  std::size_t finished_ = 0;
  std::size_t busy_ = 0;
  unsigned generation_ = 0;
  bool stopping_ = false;
  std::exception_ptr error_;
};

}  // namespace engine::aead
