#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <string>

#include "platform/read_at_file.h"
#include "platform/stream.h"

namespace platform {

// Files above 2 GiB need a 64-bit off_t (-D_FILE_OFFSET_BITS=64 in a 32-bit build).
static_assert(sizeof(off_t) == 8, "ReadAtFile needs 64-bit file offsets");

namespace {

[[noreturn]] void ThrowErrno(const std::string& what) { throw IoError(what + ": " + std::strerror(errno)); }

}  // namespace

ReadAtFile::ReadAtFile(const std::filesystem::path& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) ThrowErrno("cannot open " + path.string());
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    const int error = errno ? errno : EINVAL;
    ::close(fd);
    errno = error;
    ThrowErrno("not a regular file: " + path.string());
  }
  handle_ = fd;
  size_ = static_cast<std::uint64_t>(st.st_size);
}

ReadAtFile::~ReadAtFile() { ::close(static_cast<int>(handle_)); }

std::size_t ReadAtFile::ReadAt(std::uint64_t offset, void* buffer, std::size_t size) const {
  auto* out = static_cast<char*>(buffer);
  std::size_t done = 0;
  while (done < size) {
    const ssize_t n = ::pread(static_cast<int>(handle_), out + done, size - done, static_cast<off_t>(offset + done));
    if (n == 0) break;
    if (n < 0) {
      if (errno == EINTR) continue;
      ThrowErrno("read failed");
    }
    done += static_cast<std::size_t>(n);
  }
  return done;
}

}  // namespace platform
