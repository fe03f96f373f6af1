// A result file that appears under its final name only when it is complete.
//
// The bytes go to a temporary file in the destination folder; Commit renames
// it to the first free name that the caller proposes, so a cancelled or
// failed job leaves nothing behind and two jobs never claim the same name.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>

#include "platform/file.h"

namespace platform {

class StagedOutput final : public ByteSink {
 public:
  // Proposes the n-th name to try (n = 0, 1, 2, ...).
  using NameCandidate = std::function<std::filesystem::path(unsigned n)>;

  // Creates the temporary file in `folder`; throws IoError. `ownerOnly` as
  // for OutputFile::CreateNew: for intermediates that hold a file's content.
  explicit StagedOutput(const std::filesystem::path& folder, bool ownerOnly = false);
  ~StagedOutput() override;  // discards unless committed
  StagedOutput(const StagedOutput&) = delete;
  StagedOutput& operator=(const StagedOutput&) = delete;

  void Write(const void* data, std::size_t size) override;
  // As OutputFile::CopyFrom.
  std::uint64_t CopyFrom(const ReadAtFile& source, std::uint64_t offset, std::uint64_t length);
  std::uint64_t BytesWritten() const { return written_; }

  // Flushes and closes the file; throws IoError. The commits do it when it
  // has not been done, but a caller that reports a failed flush apart from a
  // failed rename calls it first.
  void Close();
  // Closes the file and gives it the first free candidate name; returns it.
  std::filesystem::path Commit(const NameCandidate& candidate);
  // Closes the file and puts it in the place of `target`, which may exist:
  // the old file is replaced only by the complete new one. Throws IoError.
  void CommitReplacing(const std::filesystem::path& target);
  // Closes and deletes the temporary file.
  void Discard() noexcept;

 private:
  std::filesystem::path temporary_;
  std::optional<OutputFile> file_;
  std::uint64_t written_ = 0;
  bool done_ = false;
};

}  // namespace platform
