#include "engine/jobs/job_files.h"

#include <chrono>
#include <string>

#include "engine/format/save_key_format.h"
#include "platform/file.h"
#include "platform/stale_parts.h"

namespace engine {

namespace {

bool CheckSize(JobHost& host, std::uint64_t size, std::uint64_t limit, std::string_view emptyText,
               std::string_view tooBigText) {
  if (size == 0) {
    host.LogLine(std::string(emptyText));
    return true;
  }
  if (size > limit) {
    host.LogLine(std::string(tooBigText));
    return true;
  }
  return false;
}

}  // namespace

bool CheckJobFileSize(JobHost& host, std::uint64_t size, std::string_view emptyText, std::string_view tooBigText) {
  return CheckSize(host, size, kMaxPayload, emptyText, tooBigText);
}

bool CheckContainerFileSize(JobHost& host, std::uint64_t size, std::string_view emptyText,
                            std::string_view tooBigText) {
  return CheckSize(host, size, kMaxContainerSize, emptyText, tooBigText);
}

void RemoveStaleIntermediates() noexcept {
  // A finished output is unheld only between its close and its rename.
  constexpr std::chrono::seconds kSettled{60};
  try {
    platform::RemoveStaleStagedOutputs(TempDirectory(), kSettled);
  } catch (const std::exception&) {
    // Leftovers only cost space; the program starts anyway.
  }
}

std::filesystem::path TempDirectory() {
  std::error_code ec;
  std::filesystem::path folder = platform::SystemTempFolder().lexically_normal();
  if (!folder.empty()) {
    std::filesystem::create_directories(folder, ec);
    if (!ec && std::filesystem::is_directory(folder, ec)) return folder / "";
  }
  return platform::ExecutableFolder() / "";
}

}  // namespace engine
