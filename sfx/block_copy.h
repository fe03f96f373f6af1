// The copy loop of creation and separation: constant memory, the job's flag
// asked after every block, progress after every block.
#pragma once

#include <atomic>
#include <cstdint>

#include "engine/jobs/job_progress.h"
#include "platform/stream.h"

namespace sfx {

// Copies `length` bytes from the source's position; false when the flag
// dropped first. Read and write failures throw IoError (a source shorter
// than `length` too).
bool CopyBlocks(platform::ByteSource& from, platform::ByteSink& to, std::uint64_t length,
                const std::atomic<bool>& running, engine::JobProgress* progress);

}  // namespace sfx
