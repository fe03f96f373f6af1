// Finds a hex pattern in one file through the editor's search, reading the
// file with positioned reads in chunks as a file-backed model will, and reports
//   find_seconds=<s> bytes=<n> status=<found|not found> position=<p>
// Usage: hexed_find_bench FILE "HEX PATTERN" [chunk KiB]
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <stdexcept>
#include <string>
#include <system_error>

#include "hexeditor/model/byte_search.h"

namespace {

class FileSource : public hexed::search::ByteSource {
 public:
  explicit FileSource(const char* path) : fd_(open(path, O_RDONLY)) {
    if (fd_ < 0) throw std::system_error(errno, std::generic_category(), path);
    size_ = lseek(fd_, 0, SEEK_END);
  }
  ~FileSource() override { close(fd_); }
  std::int64_t Size() const override { return size_; }
  void Read(std::int64_t offset, std::uint8_t* buffer, std::size_t size) override {
    while (size > 0) {
      const ssize_t n = pread(fd_, buffer, size, offset);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) throw std::runtime_error("read failed");
      buffer += n, size -= static_cast<std::size_t>(n), offset += n;
    }
  }

 private:
  int fd_;
  std::int64_t size_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3 || argc > 4) {
    std::cerr << "usage: hexed_find_bench FILE \"HEX PATTERN\" [chunk KiB]\n";
    return 2;
  }
  try {
    FileSource source(argv[1]);
    const hexed::search::Pattern pattern = hexed::search::ParseHexPattern(argv[2]);
    hexed::search::FindOptions options;
    options.wrap = false;
    if (argc == 4) options.chunkSize = std::stoul(argv[3]) * 1024;
    const auto t0 = std::chrono::steady_clock::now();
    const hexed::search::FindResult r = hexed::search::Find(source, pattern, options);
    const auto t1 = std::chrono::steady_clock::now();
    std::printf("find_seconds=%.3f bytes=%lld status=%s position=%lld\n",
                std::chrono::duration<double>(t1 - t0).count(), static_cast<long long>(source.Size()),
                r.status == hexed::search::FindStatus::kFound ? "found" : "not found",
                static_cast<long long>(r.position));
  } catch (const std::exception& e) {
    std::cerr << e.what() << "\n";
    return 1;
  }
  return 0;
}
