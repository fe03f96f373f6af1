#include "engine/jobs/aead_jobs.h"

#include "engine/aead/background_writer.h"
#include "engine/aead/reader.h"
#include "engine/aead/writer.h"
#include "engine/jobs/aead_texts.h"
#include "engine/jobs/job_texts.h"
#include "engine/jobs/output_names.h"
#include "engine/jobs/result_place.h"
#include "platform/file.h"
#include "platform/paths.h"
#include "platform/staged_output.h"
#include "platform/text.h"

namespace engine {

namespace {

constexpr std::string_view kKeyTooLong = "密钥太长(最多65535字节),不能加密或解密:";
constexpr std::size_t kMaxKeyBytes = 65535;

// The master key through the batch, with the status panel telling what it waits for.
aead::Secret DeriveMaster(AeadJobContext& job, aead::KdfBatch& batch, const std::string& key, const aead::Salt& salt,
                          const aead::KdfParams& params) {
  job.report.Status(std::string(aead_text::kDeriving));
  return batch.Master(AsBytes(key), salt, params, job.running,
                      [&job] { job.report.Status(std::string(aead_text::kWaiting)); });
}

std::string_view FailureText(aead::Failure failure) {
  switch (failure) {
    case aead::Failure::kWrongKey: return aead_text::kWrongKey;
    case aead::Failure::kDamagedHeader: return aead_text::kDamagedHeader;
    case aead::Failure::kDamagedChunk: return aead_text::kDamagedChunk;
    case aead::Failure::kTruncated: return aead_text::kTruncated;
    case aead::Failure::kDataAfterEnd: return aead_text::kDataAfterEnd;
    case aead::Failure::kNewerVersion: return aead_text::kNewerVersion;
    case aead::Failure::kOutOfRange: return aead_text::kOutOfRange;
    case aead::Failure::kDamagedMetadata: return aead_text::kDamagedMetadata;
    case aead::Failure::kDamagedContent: return aead_text::kDamagedContent;
    default: return {};
  }
}

// The extension as the metadata stores it: at most 255 bytes, cut at a character.
std::string MetadataExtension(const std::string& utf8) {
  std::string ext = utf8;
  while (ext.size() > aead::kMaxExtensionBytes) ext = platform::Utf8Prefix(ext, platform::Utf8CharCount(ext) - 1);
  return ext;
}

BodyMonitor Monitor(AeadJobContext& job) {
  return BodyMonitor{job.running, [&job](std::uint64_t position, std::uint64_t increment) {
                       job.progress.Step(position, increment);
                     }};
}

}  // namespace

aead::WriteOptions NewWriteOptions(const aead::KdfBatch& batch, const aead::KdfParams& params, int compression,
                                   const std::string& extension) {
  aead::WriteOptions options;
  options.header.kdfParams = params;
  options.header.kdfSalt = batch.WriteSalt();
  options.header.fileSalt = aead::RandomSalt();
  options.compression = static_cast<std::uint8_t>(compression);
  options.extension = MetadataExtension(extension);
  return options;
}

aead::Secret WritingMaster(AeadJobContext& job, aead::KdfBatch& batch, const std::string& key,
                           const aead::WriteOptions& options) {
  try {
    return DeriveMaster(job, batch, key, options.header.kdfSalt, options.header.kdfParams);
  } catch (const aead::KdfMemoryError& e) {
    job.window.host.ReportCause(e.what());
    job.window.host.Beep();
    job.report.Log(std::string(aead_text::kKdfMemory) + job.subject);
    return {};
  }
}

bool EncryptAead(AeadJobContext& job, const AeadEncryptRequest& r) {
  JobHost& host = job.window.host;
  if (r.keyText.empty()) {
    job.report.Log(std::string(job_text::kEncryptKeyMissing) + job.subject);
    return false;
  }
  if (r.keyText.size() > kMaxKeyBytes) {
    job.report.Log(std::string(kKeyTooLong) + job.subject);
    return false;
  }
  try {
    platform::InputFile file(r.source);
    const std::shared_ptr<aead::KdfBatch> batch = r.settings.BatchOrOwn();
    const aead::WriteOptions options = NewWriteOptions(*batch, r.settings.params, r.zipLevel, r.extension);
    const aead::Secret master = WritingMaster(job, *batch, r.keyText, options);
    if (master.empty() || !job.running) return false;

    const std::filesystem::path folder = r.outputFolder;
    const std::string name = r.outputName;
    const platform::StagedOutput::NameCandidate names = [folder, name](unsigned n) {
      return ContainerCandidate(folder, name, n);
    };
    host.SetProgressHint("加密后的文件：" + DisplayPath(names(0)));
    job.report.Status("进行加密文件...");
    platform::StagedOutput out(folder);
    job.progress.Init(file.Size());
    BodyMonitor monitor = Monitor(job);
    if (!aead::EncryptStream(file, out, options, master, monitor) || !job.running) return false;
    const std::filesystem::path written = out.Commit(names);
    job.progress.Complete();
    job.report.Log(std::string(aead_text::kDone) + job.subject);
    LogResultPlace(host, r.source, written);
    return true;
  } catch (const std::exception& e) {
    host.ReportCause(e.what());
    job.running = false;
    host.Beep();
    job.report.Log(std::string(job_text::kEncryptFailed) + job.subject);
    return false;
  }
}

bool IsAeadContainer(platform::ByteSource& source, ContainerSpan span) {
  std::uint8_t magic[aead::kMagic.size()];
  if (span.size < sizeof magic) return false;
  source.Seek(span.start);
  const std::size_t n = source.Read(magic, sizeof magic);
  return aead::HasMagic({magic, n});
}

bool DecryptAead(AeadJobContext& job, platform::ByteSource& source, const AeadDecryptRequest& r) {
  JobHost& host = job.window.host;
  if (r.keyText.empty()) {
    job.report.Log(std::string(read_text::kKeyEmpty) + job.subject);
    return false;
  }
  if (r.keyText.size() > kMaxKeyBytes) {
    job.report.Log(std::string(kKeyTooLong) + job.subject);
    return false;
  }
  const std::shared_ptr<aead::KdfBatch> batch = r.batch ? r.batch : std::make_shared<aead::KdfBatch>();
  aead::OpenedFile opened;
  aead::Failure failure;
  try {
    failure = aead::OpenFile(source, r.span.start, r.span.size, [&](const aead::Header& h) {
      return DeriveMaster(job, *batch, r.keyText, h.kdfSalt, h.kdfParams);
    }, opened);
  } catch (const aead::KdfMemoryError& e) {
    host.ReportCause(e.what());
    host.Beep();
    job.report.Log(std::string(aead_text::kKdfMemory) + job.subject);
    return false;
  }
  if (failure == aead::Failure::kStopped || !job.running) return false;
  if (failure != aead::Failure::kNone) {
    job.report.Log(std::string(FailureText(failure)) + job.subject);
    return false;
  }

  const std::filesystem::path folder = r.outputFolder;
  host.SetProgressHint("解密后的文件：" + DisplayPath(folder / platform::Utf8ToPath(r.outputName)));
  job.report.Status("进行解密文件...");
  platform::StagedOutput out(folder);
  job.progress.Init(r.span.size);
  BodyMonitor monitor = Monitor(job);
  aead::Metadata record;
  {
    // The plaintext goes to the file while the next chunks are opened.
    aead::BackgroundWriter background(out);
    failure = aead::ReadContent(source, r.span.start, r.span.size, opened, background, monitor, record);
    if (failure == aead::Failure::kNone) background.Flush();
  }
  if (failure == aead::Failure::kStopped || !job.running) return false;
  if (failure != aead::Failure::kNone) {
    out.Discard();
    job.report.Log(std::string(FailureText(failure)) + job.subject);
    return false;
  }
  const std::optional<std::string> safe = aead::SafeExtension(record.extension);
  if (!safe) job.report.Log(std::string(read_text::kExtensionDamaged) + job.subject);
  const std::string extension = platform::Utf8Prefix(safe ? *safe : std::string(kDamagedExtension), kMaxOutputExtension);
  const std::string name = r.outputName;
  const std::filesystem::path written =
      out.Commit([folder, name, extension](unsigned n) { return DecryptedCandidate(folder, name, extension, n); });
  job.progress.Complete();
  job.report.Log(std::string(aead_text::kDecryptDone) + job.subject);
  if (!r.source.empty()) LogResultPlace(host, r.source, written);
  return true;
}

}  // namespace engine
