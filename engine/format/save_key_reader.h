// Locates, validates and deciphers a save-key container: the header checks,
// repairs and refusals that decryption reports, in the order it reports them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "engine/cipher/body_pump.h"
#include "engine/format/save_key_format.h"
#include "platform/stream.h"

namespace engine {

// Texts of the reader. Every one is followed by the file in the log line.
namespace read_text {
inline constexpr std::string_view kKeyEmpty = "不能解密:解密密钥是空的,请输入已加密文件的解密密钥。解密文件已取消:";
inline constexpr std::string_view kNewerDeclined = "文件是由本软件的更高版本的加密算法加密的,解密文件已取消:";
inline constexpr std::string_view kAskNewerCaption = "尝试解密";
inline constexpr std::string_view kAskNewer = "文件是由本软件的更高版本的加密算法加密的,是否尝试解密?";
inline constexpr std::string_view kVersionDamaged = "加密的文件(被破坏)保存的加密算法版本有误,不能解密:";
inline constexpr std::string_view kSizeBelowOne = "加密的文件(被破坏)保存的文件大小数据(错误)小于1字节:";
inline constexpr std::string_view kSizeAbove4G = "加密的文件(被破坏)保存的文件大小数据(错误)大于4GB:";
inline constexpr std::string_view kExtensionLength = "加密的文件(被破坏)保存的扩展名长度可能有误:";
inline constexpr std::string_view kExtensionDamaged = "加密文件里保存的扩展名已被破坏,解密后请改正文件扩展名。";
inline constexpr std::string_view kCompressionDamaged = "压缩率记录错误, 文件可能被破坏:";
inline constexpr std::string_view kKeyLengthDamaged = "加密的文件(被破坏)密钥长度有误,不能解密:";
inline constexpr std::string_view kKeyMismatch = "解密的密钥与加密的文件里的密钥不相同,不能解密:";
inline constexpr std::string_view kComputedBelowOne = "加密的文件(被破坏)的大小效验(有误):小于1字节:";
inline constexpr std::string_view kComputedAbove4G = "加密的文件(被破坏)的大小效验(有误):大于4GB:";
inline constexpr std::string_view kSizeMismatch = "加密的文件(被破坏)保存的文件大小数据(错误)与其文件大小不符。";
inline constexpr std::string_view kStatus = "解密文件 ...";
}  // namespace read_text

// The extension written when the stored one is damaged.
inline constexpr std::string_view kDamagedExtension = ".ext";
// Decrypted names keep at most this many characters of the stored extension.
constexpr std::size_t kMaxOutputExtension = 36;

// Where the container lies in the source: the whole file, or the part of a
// self-decrypting package after its header.
struct ContainerSpan {
  std::uint64_t start = 0;
  std::uint64_t size = 0;
};

// The decrypting job's side of the reader.
class ReaderEvents {
 public:
  virtual ~ReaderEvents() = default;
  // A warning or refusal text; the job appends the file.
  virtual void Report(std::string text) = 0;
  // The container was written by a newer version: try anyway?
  virtual bool AskTryNewerVersion() = 0;
  // The second status panel's text.
  virtual void Status(std::string_view text) = 0;
};

struct OpenedContainer {
  SaveKeyFields fields;        // after repairs
  std::string extension;       // UTF-8, for the output name: ".ext" when damaged, at most 36 characters
  std::uint64_t keyCheckPoint = 0;
  bool headerInsideBody = false;  // header at 260 and key check at P among the body bytes
  std::uint64_t bodyOffset = 0;    // where the body starts otherwise
  Bytes keyStream;               // ready for the body
  std::uint8_t firstKeyByte = 0;
};

enum class OpenResult {
  kOpened,
  kNotContainer,  // no marker: the caller may try it as a compressed-only file
  kRefused,       // reported
  kStopped,       // the job's flag dropped, or the key stream could not be conditioned
};

struct OpenOutcome {
  OpenResult result = OpenResult::kNotContainer;
  std::optional<OpenedContainer> container;
};

// Runs the header checks (retrying at offset 260 where a file of 1,033..5,427
// bytes may carry its header there), verifies the key and builds the key
// stream. Read failures throw platform::IoError.
OpenOutcome OpenSaveKeyContainer(platform::ByteSource& source, ContainerSpan span, ByteSpan typedKey,
                                 ReaderEvents& events, const RunFlag& running);

// Deciphers exactly the payload size's bytes of an opened container's body
// into `sink`, also when a damaged size ends it before the header or the key
// check; false when stopped.
bool DecryptSaveKeyBody(platform::ByteSource& source, ContainerSpan span, const OpenedContainer& container,
                        platform::ByteSink& sink, BodyMonitor& monitor);

// The stored extension (GBK) as a safe UTF-8 name part, or empty when it is
// damaged: not starting with '.', shorter than 2 or longer than 215
// characters, not GBK, only dots, or holding a character Windows forbids in
// names (a path separator, a drive colon, a control character ...).
std::optional<std::string> ValidStoredExtension(std::string_view gbk);

}  // namespace engine
