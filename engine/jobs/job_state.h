// The job state of one window: the job flags, the idle flag and the flags
// that jobs keep between their stages. Flags are shared between the window
// thread, which clears them to cancel, and the job's worker, which polls them.
#pragma once

#include <atomic>

namespace engine {

struct JobState {
  std::atomic<bool> encryptActive{false};
  std::atomic<bool> decryptActive{false};
  std::atomic<bool> compressActive{false};
  std::atomic<bool> sfxCreateActive{false};
  std::atomic<bool> separateActive{false};
  std::atomic<bool> shredActive{false};
  // No batch is being dispatched, or a stop was requested.
  std::atomic<bool> idleFlag{true};
  // A decryption is expanding a file that was no container.
  std::atomic<bool> plainDecompress{false};
  // A decrypted intermediate is being expanded.
  std::atomic<bool> decompressPending{false};

  // All six job flags false and the idle flag true (the caller also stops
  // the compression component).
  void ClearJobFlags();
  // True while any job flag is set or a dispatch is under way.
  bool Busy() const;
};

// Clears a job flag; true when this call is the one that cleared it. A
// worker ends its job this way just before it gives its result the final
// name, and the window's cancel ends it this way too: exactly one of them
// wins, and only the winner reports how the job ended, so the log never
// calls a file cancelled that is on the disk, nor completed and cancelled.
inline bool EndJob(std::atomic<bool>& flag) { return flag.exchange(false); }

}  // namespace engine
