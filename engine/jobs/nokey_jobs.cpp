#include "engine/jobs/nokey_jobs.h"

#include "engine/jobs/job_files.h"
#include "engine/jobs/job_progress.h"
#include "engine/jobs/job_texts.h"
#include "engine/format/nokey_container.h"
#include "engine/jobs/output_names.h"
#include "engine/jobs/result_place.h"
#include "engine/format/save_key_reader.h"
#include "platform/file.h"
#include "platform/random.h"
#include "platform/text.h"

namespace engine {

namespace {

constexpr std::size_t kMaxNoKeyName = 205;

using job_text::About;

class NoKeyFileJob {
 public:
  NoKeyFileJob(JobWindow& w, const NoKeyBatchInput& in, const std::filesystem::path& file, NoKeyMode mode)
      : w_(w), in_(in), file_(file), display_(DisplayPath(file)), mode_(mode), progress_(w.host) {}

  void Encrypt() {
    if (in_.key.empty()) return Refuse();
    if (!Exists()) return;
    try {
      platform::InputFile in(file_);
      if (CheckJobFileSize(w_.host, in.Size(), About(job_text::kEncryptEmpty, display_),
                           About(job_text::kEncryptTooBig, display_)))
        return End();
      const std::string name = platform::Utf8Prefix(platform::PathToUtf8(file_.filename()), kMaxNoKeyName);
      const std::filesystem::path folder = in_.outputFolder;
      const platform::StagedOutput::NameCandidate names = [folder, name](unsigned n) {
        return NumberedCandidate(folder, name, ".jmz", n);
      };
      w_.host.SetProgressHint("加密后的文件：" + DisplayPath(names(0)));
      platform::StagedOutput out(folder);
      const int version = ChooseVersion();
      progress_.Init(in.Size());
      BodyMonitor monitor{Flag(), [this](std::uint64_t p, std::uint64_t i) { progress_.Step(p, i); }};
      const WriteResult result = WriteNoKeyContainer(in, out, in_.key, version, platform::RandomByte, monitor);
      if (result == WriteResult::kDone && Flag()) {
        const std::filesystem::path written = out.Commit(names);
        progress_.Complete();
        w_.host.LogLine("加密(不保存密钥的)文件 ... 已完成:" + display_);
        LogResultPlace(w_.host, file_, written);
      }
    } catch (const std::exception& e) {
      w_.host.ReportCause(e.what());
      Flag() = false;
      w_.host.LogLine("加密文件“" + display_ + "”出错!已停止。可能要加密的文件正在被使用读写等。");
      w_.host.Beep();
    }
    End();
  }

  void Decrypt() {
    if (in_.key.empty()) {
      Flag() = false;
      return Refuse();
    }
    if (!Exists()) return;
    try {
      platform::InputFile in(file_);
      if (CheckJobFileSize(w_.host, in.Size() > kNoKeyFraming ? in.Size() - kNoKeyFraming : in.Size(),
                           About(job_text::kDecryptEmpty, display_),
                           About(job_text::kDecryptTooBig, display_)))
        return End();
      const std::optional<NoKeyHeader> header = ReadNoKeyHeader(in);
      if (!header) {
        Flag() = false;
        w_.host.LogLine("文件不是此软件(不保存密钥)加密的，解密已取消。" + display_);
        return End();
      }
      if (header->version > kMaxNoKeyVersionWithoutAsking &&
          !w_.host.AskYesNo(std::string(read_text::kAskNewerCaption), std::string(read_text::kAskNewer))) {
        Flag() = false;
        w_.host.LogLine("文件是由本软件的更高版本的加密算法加密的,解密文件已取消:" + display_);
        return End();
      }
      const std::optional<Bytes> stream = NoKeyStream(in_.key, header->version, header->salt, Flag());
      if (!stream || !Flag()) return End();

      // The name without its ".jmz", cut to 205 characters; a taken name gets
      // "(n)" before its own extension.
      const NameParts plain = SplitFileName(
          platform::Utf8ToPath(platform::Utf8Prefix(SplitFileName(file_).name, kMaxNoKeyName)));
      const std::filesystem::path folder = in_.outputFolder;
      const platform::StagedOutput::NameCandidate names = [folder, plain](unsigned n) {
        return NumberedCandidate(folder, plain.name, plain.extension, n);
      };
      w_.host.SetProgressHint("解密后的文件：" + DisplayPath(names(0)));
      platform::StagedOutput out(folder);
      std::int64_t size = header->PayloadSize(in.Size());
      if (size < 1) {
        size = 0;
        Flag() = false;
        w_.host.LogLine("文件(加密内容)计算大小数据(出错)小于1字节！不能解密:" + display_);
      }
      progress_.Init(static_cast<std::uint64_t>(size));
      BodyMonitor monitor{Flag(), [this](std::uint64_t p, std::uint64_t i) { progress_.Step(p, i); }};
      if (Flag() && DecryptNoKeyBody(in, *header, *stream, static_cast<std::uint8_t>(in_.key[0]),
                                     static_cast<std::uint64_t>(size), out, monitor) &&
          Flag()) {
        const std::filesystem::path written = out.Commit(names);
        progress_.Complete();
        w_.host.LogLine("解密不保存密钥的加密文件已完成:" + display_);
        LogResultPlace(w_.host, file_, written);
      }
    } catch (const std::exception& e) {
      w_.host.ReportCause(e.what());
      w_.host.LogLine("解密文件“" + display_ + "”出错!已停止。可能要解密的文件正在被使用读写等。");
      w_.host.Beep();
    }
    End();
  }

 private:
  RunFlag& Flag() { return mode_ == NoKeyMode::kEncrypt ? w_.state.encryptActive : w_.state.decryptActive; }

  void End() {
    Flag() = false;
    w_.host.NoKeyMenuRestore(mode_);
  }

  void Refuse() {
    w_.host.NoKeyMenuRestore(mode_);
    w_.host.Beep();
  }

  bool Exists() {
    std::error_code ec;
    if (std::filesystem::is_regular_file(file_, ec)) return true;
    w_.host.LogLine(job_text::Missing(mode_ == NoKeyMode::kEncrypt, display_));
    End();
    return false;
  }

  int ChooseVersion() {
    if (!in_.offerOldVersions || !w_.host.AskYesNo("加密算法", "是否使用旧的加密算法进行加密?")) return 38;
    return w_.host.AskYesNo("加密算法", "是否使用更旧的加密算法进行加密?") ? 20 : 30;
  }

  JobWindow& w_;
  const NoKeyBatchInput& in_;
  const std::filesystem::path file_;
  const std::string display_;
  const NoKeyMode mode_;
  JobProgress progress_;
};

void RunBatch(JobWindow& w, const NoKeyBatchInput& in, NoKeyMode mode) {
  const bool encrypting = mode == NoKeyMode::kEncrypt;
  for (const std::filesystem::path& file : in.files) {
    if (w.state.idleFlag) break;
    const std::string display = DisplayPath(file);
    try {
      w.host.NoKeyFileStarted(mode);
      (encrypting ? w.state.encryptActive : w.state.decryptActive) = true;
      w.host.SetStatusPanel(encrypting ? "进行不保存密钥加密文件..." : "进行解密(不保存密钥加密的)文件...");
      w.host.SetProgressPosition(0);
      w.host.SetStatusHint((encrypting ? "进行不保存密钥加密的文件：" : "进行解密(不保存密钥加密)的文件：") + display);
      NoKeyFileJob job(w, in, file, mode);
      encrypting ? job.Encrypt() : job.Decrypt();
    } catch (const std::exception& e) {
      w.host.ReportCause(e.what());
      w.host.LogLine((encrypting ? "加密文件出错:" : "解密文件出错:") + display);
      w.host.Beep();
    }
  }
  w.state.idleFlag = true;
}

}  // namespace

void RunNoKeyEncryptBatch(JobWindow& window, const NoKeyBatchInput& input) {
  RunBatch(window, input, NoKeyMode::kEncrypt);
}

void RunNoKeyDecryptBatch(JobWindow& window, const NoKeyBatchInput& input) {
  RunBatch(window, input, NoKeyMode::kDecrypt);
}

void CancelNoKeyBatch(JobWindow& window, NoKeyMode mode, const std::string& workingDisplayPath) {
  const bool encrypting = mode == NoKeyMode::kEncrypt;
  const std::string question = std::string(encrypting ? "真的要取消加密：“" : "真的要取消解密：“") + workingDisplayPath + "”吗?";
  if (!window.host.AskYesNo(encrypting ? "取消加密" : "取消解密", question)) return;
  RunFlag& flag = encrypting ? window.state.encryptActive : window.state.decryptActive;
  if (!flag) return;
  flag = false;
  window.state.idleFlag = true;
  window.host.NoKeyMenuRestore(mode);
  window.host.LogLine((encrypting ? "加密(不保存密钥的)文件 ... 已取消:" : "解密(不保存密钥的)文件已取消:") +
                      workingDisplayPath);
}

}  // namespace engine
