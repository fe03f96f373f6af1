#include <errno.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <string>

#include "platform/shred_file.h"

namespace platform {

namespace {

[[noreturn]] void Fail(const std::string& what) { throw IoError(what + ": " + std::strerror(errno)); }

}  // namespace

ShredTarget::ShredTarget(const std::filesystem::path& path) {
  // O_NOFOLLOW: a link is refused, never followed to its target; O_NONBLOCK
  // keeps a pipe from hanging the open before fstat refuses it.
  const int fd = ::open(path.c_str(), O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) Fail("cannot open " + path.string());
  handle_ = fd;
  open_ = true;
  struct stat st {};
  if (::fstat(fd, &st) != 0) Fail("cannot read " + path.string());
  // Root may open a file without write permission; it still counts as
  // read-only, and is left alone as such.
  if (!S_ISREG(st.st_mode) || (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) {
    errno = EPERM;
    Fail("not a writable regular file " + path.string());
  }
  // The nearest thing to an exclusive open: a file another shredder or a
  // locking program holds is refused.
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) Fail("file in use " + path.string());
  ::fcntl(fd, F_SETFL, 0);
  size_ = static_cast<std::uint64_t>(st.st_size);
}

ShredTarget::~ShredTarget() {
  if (open_) ::close(static_cast<int>(handle_));
}

void ShredTarget::Write(const void* data, std::size_t size) {
  const auto* p = static_cast<const char*>(data);
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
  if (::fdatasync(static_cast<int>(handle_)) != 0) Fail("flush failed");
}

void ShredTarget::Close() {
  open_ = false;
  if (::close(static_cast<int>(handle_)) != 0) Fail("close failed");
}

void WriteOneZeroByte(const std::filesystem::path& path) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (fd < 0) Fail("cannot create " + path.string());
  const char zero = 0;
  const bool wrote = ::write(fd, &zero, 1) == 1;
  if (::close(fd) != 0 || !wrote) Fail("cannot write " + path.string());
}

}  // namespace platform
