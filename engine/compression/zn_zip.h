// TZnZip: compresses one file into a zlib stream, or expands such a stream
// back into a file, reporting begin, progress and end through its events.
// The copy loop runs on its own worker (TZipThread) or, for a job that runs
// its stages as one sequence, on the calling thread.
#pragma once

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <thread>

#include "platform/staged_output.h"

namespace engine {

enum class TCompressionLevel { clNone, clFastest, clDefault, clMax };

// The zlib level of a compression level: 0 (stored), 1, -1 (default), 9.
int ZlibLevel(TCompressionLevel level);

class TZnZip {
 public:
  // Runs an event on the user-interface thread and returns when it has run.
  using Dispatcher = std::function<void(const std::function<void()>&)>;
  // Serves the user-interface thread while Stop waits for the worker.
  using Pump = std::function<void()>;

  // Plain bytes per chunk: one OnProcess per chunk.
  static constexpr std::size_t kChunk = 65535;

  explicit TZnZip(Dispatcher dispatch = {}, Pump pump = {});
  ~TZnZip();  // stops a running worker first
  TZnZip(const TZnZip&) = delete;
  TZnZip& operator=(const TZnZip&) = delete;

  // True from the start of a job until its end notification.
  bool Busy() const { return busy_; }
  std::filesystem::path SourceFile;
  // The file to write. When DestNames is set, the result takes the first free
  // of its names instead, and DestFile then holds the name it took.
  std::filesystem::path DestFile;
  platform::StagedOutput::NameCandidate DestNames;
  // The result is an intermediate in the shared temporary folder: only its
  // owner may read it.
  bool DestOwnerOnly = false;
  std::function<void(std::uint64_t total)> OnBegin;
  std::function<void(std::uint64_t done)> OnProcess;
  std::function<void(bool success, float rate)> OnEnd;
  TCompressionLevel ZipLevel = TCompressionLevel::clDefault;

  // Start a TZipThread, unless one runs or SourceFile does not exist.
  void StartCompression();
  void StartDecompression();
  // Asks a running job to stop and waits for its worker.
  void Stop();

  // The copy loop on the calling thread; true on success. OnEnd is not called:
  // the caller continues with the result itself.
  bool RunCompression();
  bool RunDecompression();

  bool CompressionCancelled() const { return compressionCancelled_; }
  bool DecompressionCancelled() const { return decompressionCancelled_; }
  bool CompressionFailed() const { return compressionFailed_; }
  // The source was no stream this tool wrote.
  bool DecompressionFailed() const { return decompressionFailed_; }
  // An expansion failed because its output could not be written (a full
  // disk, no permission), not because of its source.
  bool OutputFailed() const { return outputFailed_; }
  // Space saved by the last compression, in percent.
  float Rate() const { return rate_; }

 private:
  enum class Direction { kCompress, kDecompress };
  class OutputGuard;

  bool Begin(Direction direction);
  bool Run(Direction direction);
  void CopyCompressing();
  void CopyExpanding();
  void Start(Direction direction);
  void EndNotification(bool success);
  void Deliver(const std::function<void()>& event);

  Dispatcher dispatch_;
  Pump pump_;
  std::atomic<bool> busy_{false};
  std::atomic<bool> terminate_{false};
  std::atomic<bool> workerDone_{false};
  std::atomic<bool> compressionCancelled_{false};
  std::atomic<bool> decompressionCancelled_{false};
  std::atomic<bool> compressionFailed_{false};
  std::atomic<bool> decompressionFailed_{false};
  std::atomic<bool> outputFailed_{false};
  std::atomic<Direction> direction_{Direction::kCompress};
  float rate_ = 0;
  bool destroying_ = false;
  std::thread worker_;
};

}  // namespace engine
