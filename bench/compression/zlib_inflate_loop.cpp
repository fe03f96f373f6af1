// The plain way to expand a zlib stream: read 64 KiB, inflate into a 64 KiB
// buffer, write, until the stream ends. Usage: zlib_inflate_loop <in> <out>
#include <fcntl.h>
#include <unistd.h>
#include <zlib.h>

#include <cstdio>
#include <vector>

namespace {

bool WriteAll(int fd, const unsigned char* p, std::size_t size) {
  while (size > 0) {
    const ssize_t n = ::write(fd, p, size);
    if (n <= 0) return false;
    p += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: zlib_inflate_loop <in> <out>\n");
    return 2;
  }
  const int in = ::open(argv[1], O_RDONLY);
  const int out = ::open(argv[2], O_WRONLY | O_CREAT | O_EXCL, 0644);
  if (in < 0 || out < 0) {
    std::perror("zlib_inflate_loop: open");
    return 1;
  }
  constexpr std::size_t kBuffer = 64 * 1024;
  std::vector<unsigned char> input(kBuffer), output(kBuffer);
  z_stream z{};
  if (inflateInit(&z) != Z_OK) return 1;
  int rc = Z_OK;
  while (rc != Z_STREAM_END) {
    const ssize_t got = ::read(in, input.data(), input.size());
    if (got <= 0) break;
    z.next_in = input.data();
    z.avail_in = static_cast<uInt>(got);
    do {
      z.next_out = output.data();
      z.avail_out = static_cast<uInt>(output.size());
      rc = inflate(&z, Z_NO_FLUSH);
      // Z_BUF_ERROR only says that this call could make no progress: the
      // last output buffer ended exactly with the input read so far.
      if (rc != Z_OK && rc != Z_STREAM_END && rc != Z_BUF_ERROR) {
        std::fprintf(stderr, "zlib_inflate_loop: bad stream\n");
        return 1;
      }
      if (!WriteAll(out, output.data(), output.size() - z.avail_out)) {
        std::perror("zlib_inflate_loop: write");
        return 1;
      }
    } while (z.avail_out == 0 && rc != Z_STREAM_END);
  }
  inflateEnd(&z);
  ::close(in);
  if (::close(out) != 0 || rc != Z_STREAM_END) {
    std::fprintf(stderr, "zlib_inflate_loop: incomplete stream\n");
    return 1;
  }
  return 0;
}
