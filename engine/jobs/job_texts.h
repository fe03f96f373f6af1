// Log texts that more than one job shows. Each ends where the job appends
// the file, except the missing-file text, which names the file inside.
#pragma once

#include <string>
#include <string_view>

namespace engine::job_text {

inline constexpr std::string_view kEncryptEmpty = "文件(大小0字节)是空的!不需要加密。加密文件已取消:";
inline constexpr std::string_view kEncryptTooBig = "不能加密大于4GB的文件!加密文件已取消:";
inline constexpr std::string_view kDecryptEmpty = "文件(大小0字节)是空的!不需要解密/解压缩。解密文件已取消:";
inline constexpr std::string_view kDecryptTooBig = "不能解密大于4GB的文件!解密文件已取消:";
inline constexpr std::string_view kEncryptKeyMissing = "加密密钥(不能)是空的，请输入加密的密钥。加密文件已取消:";
inline constexpr std::string_view kEncryptFailed = "加密文件出错!已停止:";

// A text followed by the file it is about.
inline std::string About(std::string_view text, const std::string& file) { return std::string(text) + file; }

// "要加密的文件:“file”不存在!加密文件已取消:" or its decryption form.
inline std::string Missing(bool encrypting, const std::string& file) {
  return encrypting ? "要加密的文件:“" + file + "”不存在!加密文件已取消:"
                    : "要解密的文件:“" + file + "”不存在!解密文件已取消:";
}

}  // namespace engine::job_text
