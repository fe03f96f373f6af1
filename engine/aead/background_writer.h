// Writes on a thread of its own, so that the caller prepares its next
// batch while the last one goes to the file. Two buffers take turns.
#pragma once

#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>

#include "engine/bytes.h"
#include "platform/stream.h"

namespace engine::aead {

class BackgroundWriter final : public platform::ByteSink {
 public:
  explicit BackgroundWriter(platform::ByteSink& out);
  // Waits for the write in flight; an error it had is dropped (the caller
  // that did not Flush discards the output anyway).
  ~BackgroundWriter() override;
  BackgroundWriter(const BackgroundWriter&) = delete;
  BackgroundWriter& operator=(const BackgroundWriter&) = delete;

  // A buffer of at least `size` bytes that no write uses, for the caller to fill.
  std::uint8_t* Take(std::size_t size);
  // Queues the first `size` bytes of the buffer Take gave last. Rethrows
  // the error of an earlier write.
  void Submit(std::size_t size);
  // Gathers `data` into a buffer, queued once it holds kGather bytes (small
  // writes would make every one wait for the last).
  void Write(const void* data, std::size_t size) override;
  // Queues what Write gathered, waits until everything is written; rethrows
  // a write's error.
  void Flush();

  static constexpr std::size_t kGather = std::size_t{2} << 20;

 private:
  void Loop();
  void WaitIdle(std::unique_lock<std::mutex>& lock);

  platform::ByteSink& out_;
  Bytes buffers_[2];
  unsigned filling_ = 0;  // the buffer Take gives
  std::size_t gathered_ = 0;  // bytes Write put into it
  std::mutex mutex_;
  std::condition_variable changed_;
  // Guarded by mutex_.
  std::size_t pending_ = 0;  // bytes of buffers_[1 - filling_] waiting or being written
  bool busy_ = false;
  bool stopping_ = false;
  std::exception_ptr error_;
  std::thread thread_;
};

}  // namespace engine::aead
