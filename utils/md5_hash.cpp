#include "utils/md5_hash.h"

#include <algorithm>
#include <memory>
#include <system_error>

#include "platform/file.h"
#include "platform/mapped_file.h"
#include "platform/paths.h"

namespace utils {

namespace {

constexpr std::uint64_t kMaxInt = 2147483647;

// Puts the stream back where it was, whatever happens.
class PositionRestore {
 public:
  explicit PositionRestore(platform::ByteSource& s) : s_(s), position_(s.Position()) {}
  ~PositionRestore() {
    try {
      s_.Seek(position_);
    } catch (...) {
    }
  }

 private:
  platform::ByteSource& s_;
  std::uint64_t position_;
};

// Reads up to one block and digests it piece by piece: each piece is still
// in the processor's cache when the digest reads it. Stops at a short read,
// as one read of the whole block would.
std::size_t ReadAndDigest(platform::ByteSource& stream, std::uint8_t* buffer, std::size_t block, MD5Context& md5) {
  constexpr std::size_t kPiece = 128 * 1024;
  std::size_t done = 0;
  while (done < block) {
    const std::size_t want = std::min(kPiece, block - done);
    const std::size_t n = stream.Read(buffer + done, want);
    if (n > 0) md5.Update(buffer + done, n);
    done += n;
    if (n < want) break;
  }
  return done;
}

}  // namespace

std::optional<MD5Digest> MD5HashStream(platform::ByteSource& stream, std::size_t blockSize,
                                       const MD5ProgressEvent& progress) {
  const std::uint64_t total = stream.Size();
  PositionRestore restore(stream);
  if (total == 0) return std::nullopt;
  const std::size_t chunk = static_cast<std::size_t>(std::min<std::uint64_t>(blockSize, total));
  MD5Context md5;
  // The mapped view needs no copy: its bytes are digested where they lie.
  auto* mapped = dynamic_cast<platform::MappedReadOnlyFile*>(&stream);
  std::unique_ptr<std::uint8_t[]> buffer(mapped ? nullptr : new std::uint8_t[chunk]);
  bool cancel = false;
  std::uint64_t done = 0;
  stream.Seek(0);
  while (done < total) {
    std::size_t n;
    if (mapped) {
      n = static_cast<std::size_t>(std::min<std::uint64_t>(chunk, total - done));
      md5.Update(mapped->Data() + done, n);
      stream.Seek(done + n);
    } else {
      n = ReadAndDigest(stream, buffer.get(), chunk, md5);
      if (n == 0) break;
    }
    done += n;
    if (progress) {
      progress(total, done, cancel);
      if (cancel) return std::nullopt;
    }
  }
  return md5.Final();
}

bool FileExceedsMaxInt(const std::filesystem::path& file) {
  std::error_code ec;
  const std::uintmax_t size = std::filesystem::file_size(file, ec);
  return !ec && size > kMaxInt;
}

std::optional<MD5Digest> MD5HashFile(const std::filesystem::path& file, int mode, const MD5ProgressEvent& progress) {
  const bool big = FileExceedsMaxInt(file);
  if (mode == kMD5Auto) mode = big ? kMD5Stream : kMD5Mapped;
  if (mode == kMD5Mapped) {
    if (big) return std::nullopt;
    platform::MappedReadOnlyFile stream(file, platform::PathToUtf8(file.filename()) + "_MAPPED_FOR_MD5");
    return MD5HashStream(stream, kMappedBlock, progress);
  }
  platform::InputFile stream(file);
  return MD5HashStream(stream, kStreamBlock, progress);
}

std::string MD5HashFileHex(const std::filesystem::path& file, int mode, const MD5ProgressEvent& progress) {
  const std::optional<MD5Digest> digest = MD5HashFile(file, mode, progress);
  return digest ? MD5DigestToHex(*digest) : std::string();
}

std::string MD5DigestToHex(const MD5Digest& digest) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string hex;
  hex.reserve(32);
  for (std::uint8_t b : digest) {
    hex += kDigits[b >> 4];
    hex += kDigits[b & 15];
  }
  return hex;
}

}  // namespace utils
