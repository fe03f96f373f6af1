#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include "platform/stale_parts.h"

namespace platform {

// A running job keeps its staged output locked (OutputFile takes the lock);
// the lock is held while the file is unlinked, so no job can take it back.
bool DeleteUnlessHeld(const std::filesystem::path& file) {
  const int fd = ::open(file.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return false;
  bool deleted = false;
  if (::flock(fd, LOCK_EX | LOCK_NB) == 0) deleted = ::unlink(file.c_str()) == 0;
  ::close(fd);
  return deleted;
}

}  // namespace platform
