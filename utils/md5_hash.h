// MD5 digests of streams and files, read in blocks with a progress-and-cancel
// callback after every block.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "platform/stream.h"
#include "utils/md5_digest.h"

namespace utils {

// Read modes: 0 chooses (a mapped view below 2 GB where a truncated mapped file
// cannot end the process, else a stream), 1 reads a mapped view, 2 a file stream.
enum MD5ReadMode : int { kMD5Auto = 0, kMD5Mapped = 1, kMD5Stream = 2 };

inline constexpr std::size_t kMappedBlock = 4096;
inline constexpr std::size_t kStreamBlock = 4194304;

// (total bytes, bytes hashed so far, cancel): the callback may set cancel.
using MD5ProgressEvent = std::function<void(std::uint64_t, std::uint64_t, bool&)>;

// The digest of the whole stream; empty for an empty stream or a cancelled
// run. The stream's position is restored afterwards. A stream that ends
// before or goes on after its size (a file cut short or grown while read)
// throws platform::IoError.
std::optional<MD5Digest> MD5HashStream(platform::ByteSource& stream, std::size_t blockSize,
                                       const MD5ProgressEvent& progress);

// True when the file holds 2,147,483,648 bytes or more; false also when it
// cannot be opened.
bool FileExceedsMaxInt(const std::filesystem::path& file);

// Opens the file in `mode` and digests it. Empty when refused (mapped mode and
// a file of 2 GB or more), empty or cancelled; open errors throw IoError.
std::optional<MD5Digest> MD5HashFile(const std::filesystem::path& file, int mode, const MD5ProgressEvent& progress);

// 32 upper-case hex digits, or "" when MD5HashFile gave nothing.
std::string MD5HashFileHex(const std::filesystem::path& file, int mode, const MD5ProgressEvent& progress);

// 32 upper-case hex digits, high nibble first.
std::string MD5DigestToHex(const MD5Digest& digest);

}  // namespace utils
