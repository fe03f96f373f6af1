// The authenticated container's part of the encryption and decryption jobs:
// the key derivation with its waiting, the streaming writer and reader, the
// staged output and the log lines. The jobs call these after their own
// checks, with their controls locked.
#pragma once

#include <filesystem>
#include <string>

#include "engine/aead/writer.h"
#include "engine/format/save_key_reader.h"
#include "engine/jobs/aead_settings.h"
#include "engine/jobs/job_progress.h"
#include "engine/jobs/job_report.h"
#include "engine/jobs/job_window.h"
#include "platform/stream.h"

namespace engine {

// Where a job reports and what it polls.
struct AeadJobContext {
  JobWindow& window;
  JobReport& report;
  JobProgress& progress;
  RunFlag& running;
  std::string subject;  // what the log lines name
};

struct AeadEncryptRequest {
  std::filesystem::path source;
  std::string keyText;  // UTF-8, as typed
  AeadSettings settings;
  int zipLevel = 0;            // 0 none, 1..3
  std::string extension;       // UTF-8 with its "."
  std::filesystem::path outputFolder;
  std::string outputName;      // the container's name without ".jmz"
};

// A new container's options: the batch's KDF salt, a fresh file salt, the
// extension cut to what the metadata holds.
aead::WriteOptions NewWriteOptions(const aead::KdfBatch& batch, const aead::KdfParams& params, int compression,
                                   const std::string& extension);

// The master key for writing, the status panel saying what it waits for;
// empty when the job stopped or (after logging it) the memory area cannot be had.
aead::Secret WritingMaster(AeadJobContext& job, aead::KdfBatch& batch, const std::string& key,
                           const aead::WriteOptions& options);

// Encrypts into "name.jmz" (the first free "name(n).jmz"); true when it
// was written. Failures are logged; I/O errors too.
bool EncryptAead(AeadJobContext& job, const AeadEncryptRequest& request);

struct AeadDecryptRequest {
  ContainerSpan span;
  std::string keyText;  // UTF-8, as typed
  std::shared_ptr<aead::KdfBatch> batch;
  std::filesystem::path outputFolder;
  std::string outputName;  // the decrypted file's name without its extension
  // The container's file when the user chose it (not a carried package): a
  // result elsewhere is then named in the log.
  std::filesystem::path source;
};

// True when the container at `span` starts with the authenticated format's magic.
bool IsAeadContainer(platform::ByteSource& source, ContainerSpan span);

// Decrypts the container; true when the file was written. Every refusal
// is logged before anything is written. Read and write errors throw
// platform::IoError (the output is gone by then).
bool DecryptAead(AeadJobContext& job, platform::ByteSource& source, const AeadDecryptRequest& request);

}  // namespace engine
