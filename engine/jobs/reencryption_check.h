// Encrypting a file that already is a container adds a layer. Before that,
// the container's header is checked against the decrypt key.
#pragma once

#include <string>

#include "engine/bytes.h"
#include "engine/jobs/job_host.h"
#include "platform/stream.h"

namespace engine {

struct ReencryptionCheck {
  bool stop = false;    // the job must stop (the reason was logged)
  unsigned layers = 1;  // layer count of the new container
};

// Reads the header of `file` (at 0, or 260 for larger files, retrying at 260
// where a header may sit there) and logs every problem, each followed by
// `display`. An ordinary file gives one layer.
ReencryptionCheck CheckForReencryption(platform::ByteSource& file, ByteSpan decryptKey, JobHost& host,
                                       const std::string& display);

// True when `file` has a container header where CheckForReencryption looks
// for one, so encrypting it needs the decrypt key.
bool HasContainerHeader(platform::ByteSource& file);

}  // namespace engine
