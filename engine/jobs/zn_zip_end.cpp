#include "engine/jobs/zn_zip_end.h"

namespace engine {

std::string ZnZipFailureText(const TZnZip& zip, const std::string& statusText, const std::string& displayPath) {
  // The lines name what the user knows: never the job's own intermediate.
  std::string text = statusText + "不能完成！已经取消。可能文件";
  if (zip.CompressionCancelled()) return text + "被取消压缩等:" + displayPath;
  if (zip.DecompressionCancelled()) return text + "被取消解压缩等:" + displayPath;
  if (zip.OutputFailed())
    return statusText + "不能完成！不能写入解压缩后的文件(磁盘已满、没有写入权限等):" + DisplayPath(zip.DestFile);
  if (zip.DecompressionFailed()) return text + "未经此软件压缩过等:" + displayPath;
  return text + "压缩意外出错停止等:" + displayPath;
}

void ZnZipStageEnded(JobWindow& window) {
  window.state.compressActive = false;
  window.state.decryptActive = false;
  window.host.ResetDecryptButtons();
  window.host.SetJobControls(JobControl::kButton1, true);
}

}  // namespace engine
