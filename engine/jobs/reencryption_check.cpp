#include "engine/jobs/reencryption_check.h"

#include <optional>

#include "engine/cipher/cipher.h"
#include "engine/format/save_key_format.h"

namespace engine {

namespace {

constexpr std::string_view kKeyEmpty = "不能再次加密:解密密钥是空的,请输入已加密文件的解密密钥。";
constexpr std::string_view kNewer = "文件是由本软件的更高版本的加密算法加密的,此版本不能再次加密!";
constexpr std::string_view kExtensionLength = "加密的文件(被破坏)保存的扩展名长度可能有误:";
constexpr std::string_view kSizeBelowOne = "加密的文件(被破坏)保存的文件大小数据(错误)小于1字节，不能再次加密:";
constexpr std::string_view kSizeAbove4G = "加密的文件(被破坏)保存的文件大小数据(错误)大于4GB，不能再次加密:";
constexpr std::string_view kTwelveLayers = "加密的文件已经加密了12次,不能再次加密:";
constexpr std::string_view kKeyLength = "加密的文件(被破坏)密钥长度有误,不能再次加密:";
constexpr std::string_view kKeyMismatch = "解密的密钥与加密的文件里的密钥不相同,不能再次加密:";
constexpr std::string_view kReadError = "效验文件标识出错！取消加密:";
constexpr unsigned kMaxReencryptKey = 2056;

enum class Verdict { kOrdinary, kPass, kStop, kRetryable };

struct Attempt {
  Verdict verdict;
  std::string message;  // kRetryable: the refusal to log when no retry is left
  unsigned layers = 1;
};

Attempt Check(platform::ByteSource& file, std::uint64_t offset, ByteSpan key, JobHost& host,
              const std::string& display) {
  if (file.Size() < offset + kProbeLength) return {Verdict::kOrdinary, {}};
  std::uint8_t probe[kProbeLength];
  file.Seek(offset);
  file.ReadExact(probe, sizeof probe);
  const HeaderProbe h = DecodeProbe(probe);
  if (!h.markerOk) return {Verdict::kOrdinary, {}};

  auto stop = [&](std::string_view text) {
    host.LogLine(std::string(text) + display);
    return Attempt{Verdict::kStop, {}};
  };
  if (key.empty()) return stop(kKeyEmpty);
  if (h.version > kMaxVersionWithoutAsking) return stop(kNewer);

  std::uint8_t sizeAndLength[9];
  file.ReadExact(sizeAndLength, sizeof sizeAndLength);
  const std::uint64_t size = h.DecodeSize(sizeAndLength);
  std::size_t extLength = h.DecodeExtensionLength(sizeAndLength[8]);
  if (extLength > kMaxExtension) {
    host.LogLine(std::string(kExtensionLength) + display);
    extLength = 4;
  }
  if (size < 1) return stop(kSizeBelowOne);
  if (size > kMaxPayload) return stop(kSizeAbove4G);
  const unsigned layers = h.layers + 1u;
  if (layers > kMaxLayers) return stop(kTwelveLayers);

  const unsigned keyLength = h.KeyLength();
  if (keyLength == 0 || keyLength > kMaxReencryptKey) return {Verdict::kRetryable, std::string(kKeyLength)};
  if (key.size() != keyLength) return {Verdict::kRetryable, std::string(kKeyMismatch)};
  // The key check follows the extension, or sits at P among the body when
  // the header was found at 260.
  if (offset == kHeaderPoint)
    file.Seek(KeyCheckPoint(h.version, h.r2) + kFixedHeader + extLength);
  else
    file.Seek(offset + kFixedHeader + extLength);
  Bytes check(FilledKeyLength(keyLength));
  file.ReadExact(check.data(), check.size());
  if (!VerifyKey(key, keyLength, check, h.r2, h.mixed.r1, h.mixed.r3, h.version))
    return {Verdict::kRetryable, std::string(kKeyMismatch)};
  return {Verdict::kPass, {}, layers};
}

bool MarkerAt(platform::ByteSource& file, std::uint64_t offset) {
  if (file.Size() < offset + kProbeLength) return false;
  std::uint8_t probe[kProbeLength];
  file.Seek(offset);
  file.ReadExact(probe, sizeof probe);
  return DecodeProbe(probe).markerOk;
}

}  // namespace

bool HasContainerHeader(platform::ByteSource& file) {
  const std::uint64_t size = file.Size();
  const bool retryRange = size >= kRetryFrom && size <= kRetryTo;
  if (size < kProbeAtStartBelow && MarkerAt(file, 0)) return true;
  return (size >= kProbeAtStartBelow || retryRange) && MarkerAt(file, kHeaderPoint);
}

ReencryptionCheck CheckForReencryption(platform::ByteSource& file, ByteSpan decryptKey, JobHost& host,
                                       const std::string& display) {
  const std::uint64_t size = file.Size();
  const bool retryRange = size >= kRetryFrom && size <= kRetryTo;
  std::uint64_t offset = size < kProbeAtStartBelow ? 0 : kHeaderPoint;
  bool retried = false;
  std::optional<std::string> saved;
  try {
    for (;;) {
      Attempt a = Check(file, offset, decryptKey, host, display);
      switch (a.verdict) {
        case Verdict::kPass:
          return {false, a.layers};
        case Verdict::kStop:
          return {true, 1};
        case Verdict::kOrdinary:
          if (retryRange && !retried) break;
          if (saved) {
            host.LogLine(*saved + display);
            return {true, 1};
          }
          return {false, 1};
        case Verdict::kRetryable:
          if (retryRange && !retried && offset == 0) {
            saved = a.message;
            break;
          }
          host.LogLine(a.message + display);
          return {true, 1};
      }
      retried = true;
      offset = kHeaderPoint;
    }
  } catch (const platform::IoError&) {
    host.LogLine(std::string(kReadError) + display);
    return {true, 1};
  }
}

}  // namespace engine
