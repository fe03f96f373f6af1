#include <errno.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <string>

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

}  // namespace

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
  // The device writes the zeros while further ones are written: the final
  // flush then waits only for the last piece, not for the whole file.
  constexpr std::uint64_t kWritebackPiece = 8u << 20;
  if (written_ - writebackStarted_ >= kWritebackPiece) {
    ::sync_file_range(static_cast<int>(handle_), static_cast<off_t>(writebackStarted_),
                      static_cast<off_t>(written_ - writebackStarted_), SYNC_FILE_RANGE_WRITE);
    writebackStarted_ = written_;
  }
}

void ShredTarget::Flush() {
  if (Injected(XCJM_FAULT(kFlush)) || ::fdatasync(static_cast<int>(handle_)) != 0) Fail("flush failed");
}

void ShredTarget::Close() {
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
