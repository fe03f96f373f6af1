#include "engine/aead/chunk_workers.h"

namespace engine::aead {

ChunkWorkers::ChunkWorkers(ByteSpan key, unsigned threads) {
  if (threads == 0) threads = std::max(1u, std::thread::hardware_concurrency());
  for (unsigned i = 0; i < threads; ++i) ciphers_.push_back(std::make_unique<ChunkCipher>(key));
  try {
    for (unsigned i = 1; i < threads; ++i) threads_.emplace_back([this, i] { Loop(i); });
  } catch (...) {
    // Fewer threads than asked: the ones that started do the work.
    ciphers_.resize(threads_.size() + 1);
  }
}

ChunkWorkers::~ChunkWorkers() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  start_.notify_all();
  for (std::thread& t : threads_) t.join();
}

void ChunkWorkers::ForEach(std::size_t count, const Task& task) {
  if (count == 0) return;
  {
    std::lock_guard lock(mutex_);
    task_ = &task;
    count_ = count;
    next_ = 0;
    finished_ = 0;
    error_ = nullptr;
    ++generation_;
  }
  start_.notify_all();
  Drain(0);
  std::unique_lock lock(mutex_);
  // Every index done and no worker still inside this round.
  done_.wait(lock, [&] { return finished_ == count_ && busy_ == 0; });
  task_ = nullptr;
  if (error_) std::rethrow_exception(error_);
}

void ChunkWorkers::Drain(std::size_t worker) {
  std::unique_lock lock(mutex_);
  ++busy_;
  while (next_ < count_) {
    const std::size_t i = next_++;
    const Task* task = task_;
    lock.unlock();
    std::exception_ptr error;
    try {
      (*task)(*ciphers_[worker], i);
    } catch (...) {
      error = std::current_exception();
    }
    lock.lock();
    if (error && !error_) error_ = error;
    ++finished_;
  }
  --busy_;
  if (finished_ == count_ && busy_ == 0) done_.notify_all();
}

void ChunkWorkers::Loop(std::size_t worker) {
  unsigned seen = 0;
  for (;;) {
    {
      std::unique_lock lock(mutex_);
      start_.wait(lock, [&] { return stopping_ || generation_ != seen; });
      if (stopping_) return;
      seen = generation_;
    }
    Drain(worker);
  }
}

}  // namespace engine::aead
