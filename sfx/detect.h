// Detection: whether a program's file carries a package, what it carries,
// and the reports about a damaged header.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

#include "engine/jobs/job_host.h"

namespace sfx {

struct PackageInfo {
  std::uint64_t ownFileSize = 0;   // 0 when the file could not be opened
  std::uint64_t imageLength = 0;   // the program's image, from its headers
  std::int64_t carriedSize = 0;    // from the header, corrected when it cannot be right
  std::string carriedName;         // GBK bytes from the header
  std::string imageError;          // why the file is no valid program (empty when it is)

  // The header and at least 50 carried bytes follow the image.
  bool Present() const;
  // Where the carried file starts.
  std::uint64_t CarriedStart() const;
};

// DetectPackage on `program`: reports through `host` as the window does at
// its creation. Never reads outside the file.
PackageInfo DetectPackage(engine::JobHost& host, const std::filesystem::path& program);

// "自解密里的已加密文件：" name "  大小：" size "字节。"
std::string PackageStatusText(const PackageInfo& info, const std::string& shownName);

}  // namespace sfx
