#include "engine/aead/background_writer.h"

#include <cstring>

namespace engine::aead {

BackgroundWriter::BackgroundWriter(platform::ByteSink& out) : out_(out), thread_([this] { Loop(); }) {}

BackgroundWriter::~BackgroundWriter() {
  {
    std::unique_lock lock(mutex_);
    WaitIdle(lock);
    stopping_ = true;
  }
  changed_.notify_all();
  thread_.join();
}

void BackgroundWriter::WaitIdle(std::unique_lock<std::mutex>& lock) {
  changed_.wait(lock, [&] { return !busy_; });
}

std::uint8_t* BackgroundWriter::Take(std::size_t size) {
  // The buffer being filled is never the one being written.
  Bytes& buffer = buffers_[filling_];
  if (buffer.size() < size) buffer.resize(size);
  return buffer.data();
}

void BackgroundWriter::Submit(std::size_t size) {
  std::unique_lock lock(mutex_);
  WaitIdle(lock);
  if (error_) std::rethrow_exception(error_);
  pending_ = size;
  busy_ = size > 0;
  filling_ = 1 - filling_;
  lock.unlock();
  changed_.notify_all();
}

void BackgroundWriter::Write(const void* data, std::size_t size) {
  if (size == 0) return;
  std::memcpy(Take(gathered_ + size) + gathered_, data, size);
  gathered_ += size;
  if (gathered_ >= kGather) {
    Submit(gathered_);
    gathered_ = 0;
  }
}

void BackgroundWriter::Flush() {
  if (gathered_ > 0) {
    Submit(gathered_);
    gathered_ = 0;
  }
  std::unique_lock lock(mutex_);
  WaitIdle(lock);
  if (error_) std::rethrow_exception(error_);
}

void BackgroundWriter::Loop() {
  std::unique_lock lock(mutex_);
  for (;;) {
    changed_.wait(lock, [&] { return stopping_ || busy_; });
    if (stopping_) return;
    const Bytes& buffer = buffers_[1 - filling_];
    const std::size_t size = pending_;
    lock.unlock();
    std::exception_ptr error;
    try {
      out_.Write(buffer.data(), size);
    } catch (...) {
      error = std::current_exception();
    }
    lock.lock();
    if (error) error_ = error;
    busy_ = false;
    changed_.notify_all();
  }
}

}  // namespace engine::aead
