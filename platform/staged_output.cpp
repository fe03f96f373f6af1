#include "platform/staged_output.h"

#include <cstdio>

#include "platform/fault_point.h"
#include "platform/random.h"

namespace platform {

namespace {

constexpr unsigned kMaxNameAttempts = 100000;

std::filesystem::path TemporaryName(const std::filesystem::path& folder) {
  char name[40];
  std::snprintf(name, sizeof name, "~xcjm-%016llx.part", static_cast<unsigned long long>(RandomU64()));
  return folder / name;
}

}  // namespace

StagedOutput::StagedOutput(const std::filesystem::path& folder, bool ownerOnly) {
  for (int attempt = 0; attempt < 100 && !file_; ++attempt) {
    temporary_ = TemporaryName(folder);
    file_ = OutputFile::CreateNew(temporary_, ownerOnly);
  }
  if (!file_) throw IoError("cannot create a temporary file in " + folder.string());
}

StagedOutput::~StagedOutput() { Discard(); }

void StagedOutput::Write(const void* data, std::size_t size) {
  file_->Write(data, size);
  written_ += size;
}

std::uint64_t StagedOutput::CopyFrom(const ReadAtFile& source, std::uint64_t offset, std::uint64_t length) {
  const std::uint64_t copied = file_->CopyFrom(source, offset, length);
  written_ += copied;
  return copied;
}

void StagedOutput::Close() {
  if (!file_) return;
  OutputFile file = std::move(*file_);
  file_.reset();
  file.Close();
}

std::filesystem::path StagedOutput::Commit(const NameCandidate& candidate) {
  Close();
  for (unsigned n = 0; n < kMaxNameAttempts; ++n) {
    std::filesystem::path target = candidate(n);
    if (RenameNoReplace(temporary_, target)) {
      done_ = true;
      return target;
    }
  }
  throw IoError("no free output name");
}

void StagedOutput::CommitReplacing(const std::filesystem::path& target) {
  Close();
  std::error_code ec;
  if (const int error = XCJM_FAULT(kRename))
    ec.assign(error, std::generic_category());
  else
    std::filesystem::rename(temporary_, target, ec);  // an atomic replace on both systems
  if (ec) throw IoError("cannot replace " + target.string());
  done_ = true;
}

void StagedOutput::Discard() noexcept {
  if (done_) return;
  done_ = true;
  file_.reset();
  DeleteIfExists(temporary_);
}

}  // namespace platform
