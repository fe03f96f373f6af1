// Master keys of one batch of files. The files a batch encrypts share one
// KDF salt, and a batch derives each distinct (key, KDF salt, parameters)
// once. In the whole process at most one Argon2 computation runs at a time,
// so many windows never hold more than one memory area.
#pragma once

#include <functional>
#include <atomic>
#include <map>
#include <mutex>
#include <optional>
#include <tuple>

#include "engine/aead/crypto.h"

namespace engine::aead {

class KdfBatch {
 public:
  KdfBatch();                          // a fresh random KDF salt
  explicit KdfBatch(const Salt& salt);  // a given one (tests)
  KdfBatch(const KdfBatch&) = delete;
  KdfBatch& operator=(const KdfBatch&) = delete;

  // The KDF salt of the containers this batch writes.
  const Salt& WriteSalt() const { return writeSalt_; }

  // The master key, from the batch's keys or derived now. `waiting` is called
  // once when another derivation in the process has to end first; an empty
  // Secret comes back when `running` dropped meanwhile. Throws
  // KdfMemoryError when the memory area cannot be had.
  Secret Master(ByteSpan key, const Salt& salt, const KdfParams& params, const std::atomic<bool>& running,
                const std::function<void()>& waiting = {});

  // Argon2 computations this batch has run.
  unsigned Derivations() const;

 private:
  using Id = std::tuple<Mac, Salt, std::uint32_t, std::uint32_t, std::uint32_t>;
  std::optional<Secret> Known(const Id& id) const;

  const Salt writeSalt_;
  mutable std::mutex mutex_;
  std::map<Id, Secret> keys_;  // guarded by mutex_
  unsigned derivations_ = 0;   // guarded by mutex_
};

}  // namespace engine::aead
