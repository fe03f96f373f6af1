// Log texts of the authenticated container. Each ends where the job appends
// the file.
#pragma once

#include <string_view>

namespace engine::aead_text {

inline constexpr std::string_view kDone = "认证加密(Argon2id + ChaCha20-Poly1305)加密文件已完成:";
inline constexpr std::string_view kDecryptDone = "认证加密格式的文件解密已完成:";
inline constexpr std::string_view kDeriving = "正在由密钥推导主密钥(Argon2id)...";
inline constexpr std::string_view kWaiting = "等待另一个文件的密钥推导完成...";
inline constexpr std::string_view kKdfMemory = "内存不足,不能分配密钥推导(Argon2id)所需的内存:";
inline constexpr std::string_view kWrongKey = "解密的密钥与加密的文件里的密钥不相同,不能解密:";
inline constexpr std::string_view kDamagedHeader = "认证加密的文件(被破坏)文件头效验有误,不能解密:";
inline constexpr std::string_view kDamagedChunk = "认证加密的文件(被破坏)数据块认证失败,不能解密:";
inline constexpr std::string_view kTruncated = "认证加密的文件不完整(被截断),不能解密:";
inline constexpr std::string_view kDataAfterEnd = "认证加密的文件在结尾之后还有多余的数据,不能解密:";
inline constexpr std::string_view kNewerVersion = "文件是由本软件的更高版本的认证加密格式加密的,不能解密:";
inline constexpr std::string_view kOutOfRange = "认证加密的文件(被破坏)保存的密钥推导参数超出范围,不能解密:";
inline constexpr std::string_view kDamagedMetadata = "认证加密的文件(被破坏)保存的文件信息有误,不能解密:";
inline constexpr std::string_view kDamagedContent = "认证加密的文件(被破坏)解密后的内容与保存的大小或压缩数据不符,不能解密:";

}  // namespace engine::aead_text
