#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <string>

#include "platform/fault_point.h"
#include "platform/file.h"
#include "platform/read_at_file.h"

namespace platform {

namespace {

[[noreturn]] void ThrowErrno(const std::string& what, const std::filesystem::path& path) {
  throw IoError(what + " " + path.string() + ": " + std::strerror(errno));
}

int Fd(std::intptr_t handle) { return static_cast<int>(handle); }

// True when a test made this call fail; errno then says how.
bool Injected(int error) {
  if (error != 0) errno = error;
  return error != 0;
}

}  // namespace

InputFile::InputFile(const std::filesystem::path& path) {
  const int fd = Injected(XCJM_FAULT(kOpen)) ? -1 : ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) ThrowErrno("cannot open", path);
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    errno = errno ? errno : EINVAL;
    ThrowErrno("not a regular file:", path);
  }
  handle_ = fd;
  size_ = static_cast<std::uint64_t>(st.st_size);
#ifdef POSIX_FADV_SEQUENTIAL
  ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
#endif
}

InputFile::~InputFile() { ::close(Fd(handle_)); }

std::size_t InputFile::Read(void* buffer, std::size_t size) {
  auto* out = static_cast<char*>(buffer);
  std::size_t done = 0;
  if (Injected(XCJM_FAULT(kRead))) throw IoError(std::string("read failed: ") + std::strerror(errno));
  while (done < size) {
    const ssize_t n = ::read(Fd(handle_), out + done, size - done);
    if (n == 0) break;
    if (n < 0) {
      if (errno == EINTR) continue;
      throw IoError(std::string("read failed: ") + std::strerror(errno));
    }
    done += static_cast<std::size_t>(n);
  }
  position_ += done;
  return done;
}

void InputFile::Seek(std::uint64_t offset) {
  if (::lseek(Fd(handle_), static_cast<off_t>(offset), SEEK_SET) < 0)
    throw IoError(std::string("seek failed: ") + std::strerror(errno));
  position_ = offset;
}

std::optional<OutputFile> OutputFile::CreateNew(const std::filesystem::path& path, bool ownerOnly) {
  const mode_t mode = ownerOnly ? 0600 : 0644;
  const int fd =
      Injected(XCJM_FAULT(kOpen)) ? -1 : ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
  if (fd < 0) {
    if (errno == EEXIST) return std::nullopt;
    ThrowErrno("cannot create", path);
  }
  // Held while written: the start-up clean-up passes over locked files.
  ::flock(fd, LOCK_EX | LOCK_NB);
  return OutputFile(fd);
}

OutputFile::OutputFile(OutputFile&& other) noexcept : handle_(other.handle_) { other.handle_ = -1; }

OutputFile& OutputFile::operator=(OutputFile&& other) noexcept {
  if (this != &other) {
    if (handle_ >= 0) ::close(Fd(handle_));
    handle_ = other.handle_;
    other.handle_ = -1;
  }
  return *this;
}

OutputFile::~OutputFile() {
  if (handle_ >= 0) ::close(Fd(handle_));
}

void OutputFile::Write(const void* data, std::size_t size) {
  const auto* p = static_cast<const char*>(data);
  if (const int error = XCJM_FAULT(kWrite)) {
    // A disk fills up in the middle of a write: half of it lands first.
    if (size > 1 && ::write(Fd(handle_), p, size / 2) < 0) {}
    Injected(error);
    throw IoError(std::string("write failed: ") + std::strerror(errno));
  }
  while (size > 0) {
    const ssize_t n = ::write(Fd(handle_), p, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      throw IoError(std::string("write failed: ") + std::strerror(errno));
    }
    p += n;
    size -= static_cast<std::size_t>(n);
  }
}

std::uint64_t OutputFile::CopyFrom(const ReadAtFile& source, std::uint64_t offset, std::uint64_t length) {
  if (const int error = XCJM_FAULT(kWrite)) {
    Injected(error);
    throw IoError(std::string("write failed: ") + std::strerror(errno));
  }
  std::uint64_t copied = 0;
  while (copied < length) {
    loff_t from = static_cast<loff_t>(offset + copied);
    const ssize_t n = ::copy_file_range(Fd(source.handle_), &from, Fd(handle_), nullptr,
                                        static_cast<std::size_t>(length - copied), 0);
    if (n > 0) {
      copied += static_cast<std::uint64_t>(n);
      continue;
    }
    if (n == 0) break;  // the source ends early: the caller's own read reports it
    if (errno == EINTR) continue;
    // Another file system, an old kernel, a file system that cannot: the
    // caller copies through memory.
    if (errno == EXDEV || errno == ENOSYS || errno == EOPNOTSUPP || errno == EINVAL || errno == EBADF ||
        errno == ETXTBSY || errno == EPERM)
      break;
    throw IoError(std::string("write failed: ") + std::strerror(errno));
  }
  return copied;
}

void OutputFile::Close() {
  const int fd = Fd(handle_);
  handle_ = -1;
  if (const int error = XCJM_FAULT(kFlush)) {
    ::close(fd);
    Injected(error);
    throw IoError(std::string("close failed: ") + std::strerror(errno));
  }
  if (::close(fd) != 0) throw IoError(std::string("close failed: ") + std::strerror(errno));
}

bool RenameNoReplace(const std::filesystem::path& from, const std::filesystem::path& to) {
  // Choosing the name and claiming it are one step even when other jobs race
  // for it: renameat2 refuses a taken name; where the file system cannot do
  // that, link() refuses it just the same.
  if (Injected(XCJM_FAULT(kRename))) ThrowErrno("cannot rename to", to);
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
  if (errno == EEXIST) return false;
  if (errno != EINVAL && errno != ENOSYS) ThrowErrno("cannot rename to", to);
  if (::link(from.c_str(), to.c_str()) != 0) {
    if (errno == EEXIST) return false;
    ThrowErrno("cannot rename to", to);
  }
  ::unlink(from.c_str());
  return true;
}

bool DeleteIfExists(const std::filesystem::path& path) noexcept {
  if (XCJM_FAULT(kDelete)) return false;
  std::error_code ec;
  std::filesystem::remove(path, ec);
  return !ec && !std::filesystem::exists(std::filesystem::symlink_status(path, ec));
}

std::filesystem::path SystemTempFolder() {
  std::error_code ec;
  auto p = std::filesystem::temp_directory_path(ec);
  return ec ? std::filesystem::path("/tmp") : p;
}

std::filesystem::path ExecutablePath() {
  std::error_code ec;
  const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  return ec ? std::filesystem::path() : exe;
}

std::filesystem::path ExecutableFolder() {
  const std::filesystem::path exe = ExecutablePath();
  std::error_code ec;
  return exe.empty() ? std::filesystem::current_path(ec) : exe.parent_path();
}

}  // namespace platform
