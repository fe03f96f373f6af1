#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/mapped_file.h"

namespace platform {

MappedReadOnlyFile::MappedReadOnlyFile(const std::filesystem::path& path, const std::string& mappingName) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  struct stat st {};
  if (fd < 0 || ::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    if (fd >= 0) ::close(fd);
    throw IoError("Error opening " + path.string());
  }
  file_ = fd;
  size_ = static_cast<std::uint64_t>(st.st_size);
  if (size_ == 0) return;  // mmap refuses a zero length; nothing to read anyway
  void* view = ::mmap(nullptr, size_, PROT_READ, MAP_PRIVATE, fd, 0);
  if (view == MAP_FAILED) {
    ::close(fd);
    throw IoError("Error creating file mapping object " + mappingName);
  }
  // The digest reads front to back: let the kernel read ahead and drop behind.
  ::madvise(view, size_, MADV_SEQUENTIAL);
  view_ = static_cast<const std::uint8_t*>(view);
}

MappedReadOnlyFile::~MappedReadOnlyFile() {
  if (view_) ::munmap(const_cast<std::uint8_t*>(view_), size_);
  if (file_ >= 0) ::close(static_cast<int>(file_));
}

bool MappedViewsSurviveTruncation() { return false; }

}  // namespace platform
