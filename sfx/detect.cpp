#include "sfx/detect.h"

#include <array>

#include "engine/jobs/job_window.h"
#include "engine/format/save_key_format.h"
#include "platform/file.h"
#include "sfx/image_length.h"
#include "sfx/package_header.h"
#include "sfx/package_names.h"

namespace sfx {

bool PackageInfo::Present() const {
  return imageError.empty() && imageLength > 0 && ownFileSize >= imageLength + kHeaderSize + kMinCarried;
}

std::uint64_t PackageInfo::CarriedStart() const { return imageLength + kHeaderSize; }

std::string PackageStatusText(const PackageInfo& info, const std::string& shownName) {
  return "自解密里的已加密文件：" + shownName + "  大小：" + std::to_string(info.carriedSize) + "字节。";
}

PackageInfo DetectPackage(engine::JobHost& host, const std::filesystem::path& program) {
  PackageInfo info;
  std::optional<platform::InputFile> file;
  try {
    file.emplace(program);
  } catch (const std::exception&) {
    host.Beep();
    host.LogLine("自身程序正在被使用读写或者文件名过长等:" + engine::DisplayPath(program));
    return info;
  }
  try {
    info.ownFileSize = file->Size();
    try {
      info.imageLength = ImageLength(*file);
    } catch (const ImageError& e) {
      info.imageError = e.what();
      return info;
    }
    if (!info.Present()) return info;

    std::array<std::uint8_t, kHeaderSize> bytes{};
    file->Seek(info.imageLength);
    file->ReadExact(bytes.data(), bytes.size());
    const PackageHeader header = PackageHeader::Decode(bytes);
    info.carriedSize = static_cast<std::int64_t>(header.carriedSize);
    info.carriedName = header.storedName;
    if (IsDamagedName(info.carriedName)) host.LogLine("自解密里的已加密文件的名称被破坏，有错误！");

    const std::string d = "自解密里的已加密文件的大小(" + std::to_string(info.carriedSize) + "字节)数据";
    const std::string status = PackageStatusText(info, CarriedNameText(info.carriedName));
    host.SetStatusPanel(status);
    host.SetStatusHint(status);

    const std::int64_t present = static_cast<std::int64_t>(info.ownFileSize - info.CarriedStart());
    if (info.carriedSize < 1 || static_cast<std::uint64_t>(info.carriedSize) > engine::kMaxPayload ||
        info.carriedSize > present) {
      host.LogLine(d + "被破坏或者有错误！");
      info.carriedSize = present;
    }
    if (info.carriedSize != present) host.LogLine(d + "与效验数据(" + std::to_string(present) + ")不相同！");
  } catch (const std::exception&) {
    host.Beep();
  }
  return info;
}

}  // namespace sfx
