#include <errno.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <condition_variable>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>

#include "platform/fault_point.h"
#include "platform/shred_file.h"

namespace platform {

namespace {

[[noreturn]] void Fail(const std::string& what) { throw IoError(what + ": " + std::strerror(errno)); }

// True when a test made this call fail; errno then says how.
bool Injected(int error) {
  if (error != 0) errno = error;
  return error != 0;
}

// Write-back of the zeros starts every piece of this size, so the device
// writes while further zeros are written.
constexpr std::uint64_t kWritebackPiece = 8u << 20;
// Every this many bytes the background flush makes what is written durable:
// the device's own cache empties while the pass goes on, and the last flush
// waits only for the file's end.
constexpr std::uint64_t kDurablePiece = 64u << 20;

}  // namespace

// One thread that flushes the file when asked and then drops the flushed
// zeros from the page cache (nobody reads them, and the deletion then has no
// cached pages to drop). A failed flush is kept for Flush to report.
class ShredTarget::Flusher {
 public:
  explicit Flusher(int fd) : fd_(fd), thread_([this] { Run(); }) {}
  ~Flusher() { Stop(); }

  // Everything below `offset` is to become durable (the latest request wins).
  void Request(std::uint64_t offset) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      requested_ = offset;
    }
    lastRequest_ = offset;
    wake_.notify_one();
  }
  // The offset of the last request (for the writing thread).
  std::uint64_t LastRequest() const { return lastRequest_; }

  // Ends the thread after its current flush; the errno of a failed one, or 0.
  int Stop() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      stopping_ = true;
    }
    wake_.notify_one();
    if (thread_.joinable()) thread_.join();
    return error_;
  }

 private:
  void Run() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
      wake_.wait(lock, [this] { return stopping_ || requested_ > flushed_; });
      if (stopping_) return;  // the final flush covers what is left
      const std::uint64_t offset = requested_;
      lock.unlock();
      const int error = ::fdatasync(fd_) == 0 ? 0 : errno;
      if (error == 0) ::posix_fadvise(fd_, 0, static_cast<off_t>(offset), POSIX_FADV_DONTNEED);
      lock.lock();
      flushed_ = offset;
      if (error != 0) {
        error_ = error;
        return;
      }
    }
  }

  const int fd_;
  std::uint64_t lastRequest_ = 0;  // the writing thread's own copy
  std::mutex mutex_;
  std::condition_variable wake_;
  std::uint64_t requested_ = 0;
  std::uint64_t flushed_ = 0;
  bool stopping_ = false;
  int error_ = 0;
  std::thread thread_;  // last: it starts once the fields above exist
};

ShredTarget::ShredTarget(const std::filesystem::path& path) {
  // O_NOFOLLOW: a link is refused, never followed to its target; O_NONBLOCK
  // keeps a pipe from hanging the open before fstat refuses it.
  const int fd =
      Injected(XCJM_FAULT(kOpen)) ? -1 : ::open(path.c_str(), O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) Fail("cannot open " + path.string());
  // A refused file is closed again at once: no destructor runs for a
  // constructor that throws.
  auto refuse = [fd](const std::string& what) {
    const int error = errno;
    ::close(fd);
    errno = error;
    Fail(what);
  };
  struct stat st {};
  if (::fstat(fd, &st) != 0) refuse("cannot read " + path.string());
  // Root may open a file without write permission; it still counts as
  // read-only, and is left alone as such.
  if (!S_ISREG(st.st_mode) || (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) {
    errno = EPERM;
    refuse("not a writable regular file " + path.string());
  }
  // The nearest thing to an exclusive open: a file another shredder or a
  // locking program holds is refused.
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) refuse("file in use " + path.string());
  handle_ = fd;
  open_ = true;
  ::fcntl(fd, F_SETFL, 0);
  size_ = static_cast<std::uint64_t>(st.st_size);
}

ShredTarget::~ShredTarget() {
  flusher_.reset();  // before the file it flushes is closed
  if (open_) ::close(static_cast<int>(handle_));
}

void ShredTarget::Write(const void* data, std::size_t size) {
  const auto* p = static_cast<const char*>(data);
  if (const int error = XCJM_FAULT(kWrite)) {
    if (size > 1 && ::write(static_cast<int>(handle_), p, size / 2) < 0) {}
    Injected(error);
    Fail("write failed");
  }
  while (size > 0) {
    const ssize_t n = ::write(static_cast<int>(handle_), p, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      Fail("write failed");
    }
    p += n;
    size -= static_cast<std::size_t>(n);
    written_ += static_cast<std::uint64_t>(n);
  }
  if (written_ - writebackStarted_ < kWritebackPiece) return;
  ::sync_file_range(static_cast<int>(handle_), static_cast<off_t>(writebackStarted_),
                    static_cast<off_t>(written_ - writebackStarted_), SYNC_FILE_RANGE_WRITE);
  writebackStarted_ = written_;
  if (written_ - (flusher_ ? flusher_->LastRequest() : 0) < kDurablePiece) return;
  if (!flusher_) flusher_ = std::make_unique<Flusher>(static_cast<int>(handle_));
  flusher_->Request(written_);
}

void ShredTarget::Flush() {
  if (flusher_) {
    const int background = flusher_->Stop();
    flusher_.reset();
    if (Injected(background)) Fail("flush failed");
  }
  if (Injected(XCJM_FAULT(kFlush)) || ::fdatasync(static_cast<int>(handle_)) != 0) Fail("flush failed");
}

void ShredTarget::Close() {
  flusher_.reset();
  open_ = false;
  const int error = XCJM_FAULT(kFlush);
  if (::close(static_cast<int>(handle_)) != 0 || Injected(error)) Fail("close failed");
}

void WriteOneZeroByte(const std::filesystem::path& path) {
  const int fd = Injected(XCJM_FAULT(kOpen))
                     ? -1
                     : ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (fd < 0) Fail("cannot create " + path.string());
  const char zero = 0;
  const bool wrote = !Injected(XCJM_FAULT(kWrite)) && ::write(fd, &zero, 1) == 1;
  const int closeError = XCJM_FAULT(kFlush);
  if (::close(fd) != 0 || Injected(closeError) || !wrote) Fail("cannot write " + path.string());
}

}  // namespace platform
