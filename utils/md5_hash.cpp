#include "utils/md5_hash.h"

#include <algorithm>
#include <memory>
#include <system_error>

#include "platform/file.h"
#include "platform/mapped_file.h"
#include "platform/paths.h"
#include "utils/read_ahead.h"

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

// Streams up to this size are read on the calling thread; a second thread
// pays off only beyond a few pieces.
constexpr std::size_t kReadAheadPiece = 1024 * 1024;
constexpr std::uint64_t kReadAheadFrom = 2 * kReadAheadPiece;

// Digests bytes in blocks of blockSize and reports after every whole block;
// Finish reports the last partial one.
class BlockDigest {
 public:
  BlockDigest(std::uint64_t total, std::size_t blockSize, const MD5ProgressEvent& progress)
      : total_(total), block_(blockSize), progress_(progress) {}

  // False once the callback asked to cancel.
  bool Add(const std::uint8_t* data, std::size_t size) {
    while (size > 0) {
      const std::size_t step = std::min(size, block_ - inBlock_);
      md5_.Update(data, step);
      data += step;
      size -= step;
      inBlock_ += step;
      if (inBlock_ == block_ && !Report()) return false;
    }
    return true;
  }
  bool Finish() { return inBlock_ == 0 || Report(); }
  MD5Digest Final() { return md5_.Final(); }
  // Bytes taken so far.
  std::uint64_t Hashed() const { return done_ + inBlock_; }

 private:
  bool Report() {
    done_ += inBlock_;
    inBlock_ = 0;
    bool cancel = false;
    if (progress_) progress_(total_, done_, cancel);
    return !cancel;
  }

  MD5Context md5_;
  const std::uint64_t total_;
  const std::size_t block_;
  const MD5ProgressEvent& progress_;
  std::uint64_t done_ = 0;
  std::size_t inBlock_ = 0;
};

// Reads on this thread, one block at a time; stops at a short read.
bool DigestInline(platform::ByteSource& stream, std::size_t block, BlockDigest& digest) {
  std::unique_ptr<std::uint8_t[]> buffer(new std::uint8_t[block]);
  for (;;) {
    const std::size_t n = ReadUpTo(stream, buffer.get(), block);
    if (n > 0 && !digest.Add(buffer.get(), n)) return false;
    if (n < block) return digest.Finish();
  }
}

bool DigestReadingAhead(platform::ByteSource& stream, BlockDigest& digest) {
  ReadAhead ahead(stream, kReadAheadPiece);
  for (;;) {
    const std::span<const std::uint8_t> piece = ahead.Next();
    if (!piece.empty() && !digest.Add(piece.data(), piece.size())) return false;
    if (piece.size() < kReadAheadPiece) return digest.Finish();
  }
}

}  // namespace

std::optional<MD5Digest> MD5HashStream(platform::ByteSource& stream, std::size_t blockSize,
                                       const MD5ProgressEvent& progress) {
  const std::uint64_t total = stream.Size();
  PositionRestore restore(stream);
  if (total == 0) return std::nullopt;
  const std::size_t block = static_cast<std::size_t>(std::min<std::uint64_t>(blockSize, total));
  BlockDigest digest(total, block, progress);
  stream.Seek(0);
  // A mapped view is read the same way: copying a piece out of the view on
  // the other thread costs less than the page faults on this one.
  const bool whole = total >= kReadAheadFrom ? DigestReadingAhead(stream, digest) : DigestInline(stream, block, digest);
  if (!whole) return std::nullopt;
  // Another process changed the file's size meanwhile: no digest of part of it.
  if (digest.Hashed() != total) throw platform::IoError("the file changed its size while it was read");
  return digest.Final();
}

bool FileExceedsMaxInt(const std::filesystem::path& file) {
  std::error_code ec;
  const std::uintmax_t size = std::filesystem::file_size(file, ec);
  return !ec && size > kMaxInt;
}

std::optional<MD5Digest> MD5HashFile(const std::filesystem::path& file, int mode, const MD5ProgressEvent& progress) {
  const bool big = FileExceedsMaxInt(file);
  // Automatic reading maps a file only where a file cut short by another
  // process cannot end this one.
  if (mode == kMD5Auto) mode = big || !platform::MappedViewsSurviveTruncation() ? kMD5Stream : kMD5Mapped;
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
