#include "engine/compression/zn_zip.h"

#include <chrono>
#include <optional>

#include "engine/compression/inflate_sink.h"
#include "engine/compression/parallel_deflate.h"
#include "platform/file.h"

namespace engine {

int ZlibLevel(TCompressionLevel level) {
  switch (level) {
    case TCompressionLevel::clNone: return 0;
    case TCompressionLevel::clFastest: return 1;
    case TCompressionLevel::clDefault: return -1;
    case TCompressionLevel::clMax: return 9;
  }
  return -1;
}

TZnZip::TZnZip(Dispatcher dispatch, Pump pump) : dispatch_(std::move(dispatch)), pump_(std::move(pump)) {}

TZnZip::~TZnZip() {
  destroying_ = true;
  Stop();
}

void TZnZip::Deliver(const std::function<void()>& event) {
  if (dispatch_)
    dispatch_(event);
  else
    event();
}

bool TZnZip::Begin(Direction direction) {
  if (busy_) return false;
  std::error_code ec;
  if (!std::filesystem::is_regular_file(SourceFile, ec)) return false;
  busy_ = true;
  terminate_ = false;
  compressionCancelled_ = decompressionCancelled_ = compressionFailed_ = decompressionFailed_ = false;
  outputFailed_ = false;
  direction_ = direction;
  rate_ = 0;
  return true;
}

bool TZnZip::Run(Direction direction) {
  try {
    direction == Direction::kCompress ? CopyCompressing() : CopyExpanding();
    return !terminate_;
  } catch (...) {
    // An expansion whose output could not be written is no bad stream.
    if (direction == Direction::kCompress) compressionFailed_ = true;
    else if (!outputFailed_) decompressionFailed_ = true;
    return false;
  }
}

bool TZnZip::RunCompression() {
  if (!Begin(Direction::kCompress)) return false;
  const bool success = Run(Direction::kCompress);
  busy_ = false;
  return success;
}

bool TZnZip::RunDecompression() {
  if (!Begin(Direction::kDecompress)) return false;
  const bool success = Run(Direction::kDecompress);
  busy_ = false;
  return success;
}

void TZnZip::StartCompression() { Start(Direction::kCompress); }

void TZnZip::StartDecompression() { Start(Direction::kDecompress); }

void TZnZip::Start(Direction direction) {
  if (worker_.joinable() && workerDone_) worker_.join();
  if (worker_.joinable() || !Begin(direction)) return;
  workerDone_ = false;
  worker_ = std::thread([this, direction] {
    const bool success = Run(direction);
    EndNotification(success);
    workerDone_ = true;
  });
}

void TZnZip::EndNotification(bool success) {
  Deliver([this, success] {
    busy_ = false;
    if (!OnEnd || destroying_) return;
    if (!success)
      OnEnd(false, 0);
    else
      OnEnd(true, direction_ == Direction::kCompress ? rate_ : 0);
  });
}

void TZnZip::Stop() {
  if (busy_) {
    (direction_ == Direction::kCompress ? compressionCancelled_ : decompressionCancelled_) = true;
    terminate_ = true;
  }
  if (!worker_.joinable()) return;
  // The worker may be waiting for an event to run on this very thread.
  while (!workerDone_) {
    if (pump_) pump_();
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  worker_.join();
}

namespace {

// The result file: written beside its place, given its name only when complete.
std::filesystem::path Commit(platform::StagedOutput& out, const std::filesystem::path& dest,
                             const platform::StagedOutput::NameCandidate& names) {
  if (names) return out.Commit(names);
  return out.Commit([&dest](unsigned n) {
    if (n > 0) throw platform::IoError("the output name is taken");
    return dest;
  });
}

std::filesystem::path FolderOf(const std::filesystem::path& file) {
  const std::filesystem::path parent = file.parent_path();
  return parent.empty() ? std::filesystem::path(".") : parent;
}

}  // namespace

void TZnZip::CopyCompressing() {
  platform::InputFile in(SourceFile);
  platform::StagedOutput out(FolderOf(DestFile), DestOwnerOnly);
  std::uint64_t remaining = in.Size();
  std::uint64_t done = 0;
  Deliver([this, remaining] {
    if (OnBegin) OnBegin(remaining);
  });
  ParallelDeflateSink deflate(out, ZlibLevel(ZipLevel));
  std::vector<std::uint8_t> chunk(kChunk);
  while (!terminate_ && remaining > 0) {
    const std::size_t n = remaining < kChunk ? static_cast<std::size_t>(remaining) : kChunk;
    in.ReadExact(chunk.data(), n);
    deflate.Write(chunk.data(), n);
    done += n;
    Deliver([this, done] {
      if (OnProcess) OnProcess(done);
    });
    remaining -= n;
  }
  if (terminate_) return;
  deflate.Finish();
  rate_ = static_cast<float>(deflate.CompressionRate());
  DestFile = Commit(out, DestFile, DestNames);
}

// Passes the expanded bytes to the output and notes when writing them failed.
class TZnZip::OutputGuard final : public platform::ByteSink {
 public:
  OutputGuard(platform::ByteSink& out, std::atomic<bool>& failed) : out_(out), failed_(failed) {}
  void Write(const void* data, std::size_t size) override {
    try {
      out_.Write(data, size);
    } catch (...) {
      failed_ = true;
      throw;
    }
  }

 private:
  platform::ByteSink& out_;
  std::atomic<bool>& failed_;
};

void TZnZip::CopyExpanding() {
  platform::InputFile in(SourceFile);
  std::optional<platform::StagedOutput> out;
  try {
    out.emplace(FolderOf(DestFile), DestOwnerOnly);
  } catch (...) {
    outputFailed_ = true;
    throw;
  }
  OutputGuard guarded(*out, outputFailed_);
  // One pass: progress counts the compressed bytes read.
  const std::uint64_t total = in.Size();
  Deliver([this, total] {
    if (OnBegin) OnBegin(total);
  });
  InflateSink inflate(guarded);
  std::vector<std::uint8_t> chunk(kChunk);
  std::uint64_t done = 0;
  while (!terminate_ && done < total && !inflate.Ended()) {
    const std::size_t n = in.Read(chunk.data(), chunk.size());
    if (n == 0) throw platform::IoError("the source ended early");
    inflate.Write(chunk.data(), n);
    done += n;
    Deliver([this, done] {
      if (OnProcess) OnProcess(done);
    });
  }
  if (terminate_) return;
  inflate.Finish();
  try {
    DestFile = Commit(*out, DestFile, DestNames);
  } catch (...) {
    outputFailed_ = true;
    throw;
  }
}

}  // namespace engine
