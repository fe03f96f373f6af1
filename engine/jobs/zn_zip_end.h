// What a window does when its compression component has ended a job stage.
#pragma once

#include <string>

#include "engine/jobs/job_window.h"

namespace engine {

// The log text of a failed stage, in order of precedence: compression
// cancelled, decompression cancelled, the expanded output could not be
// written (followed by the output's path), decompression failed (no stream
// this tool wrote), compression failed; followed by `displayPath` for a
// compression and by the component's source for a decompression.
std::string ZnZipFailureText(const TZnZip& zip, const std::string& statusText, const std::string& displayPath);

// The common end of every stage that ran on the component: the compression
// and decryption flags cleared, the decryption buttons and the job controls
// unlocked.
void ZnZipStageEnded(JobWindow& window);

}  // namespace engine
