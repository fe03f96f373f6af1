#include "engine/aead/kdf_batch.h"

#include <chrono>

namespace engine::aead {

namespace {

// One Argon2 computation at a time in the process.
std::timed_mutex& DerivationGate() {
  static std::timed_mutex gate;
  return gate;
}

}  // namespace

KdfBatch::KdfBatch() : writeSalt_(RandomSalt()) {}
KdfBatch::KdfBatch(const Salt& salt) : writeSalt_(salt) {}

std::optional<Secret> KdfBatch::Known(const Id& id) const {
  std::lock_guard lock(mutex_);
  auto it = keys_.find(id);
  if (it == keys_.end()) return std::nullopt;
  return it->second;
}

Secret KdfBatch::Master(ByteSpan key, const Salt& salt, const KdfParams& params, const std::atomic<bool>& running,
                        const std::function<void()>& waiting) {
  // The batch remembers a digest of the key, never the key itself.
  const Id id{Sha256(key), salt, params.memoryKiB, params.passes, params.lanes};
  if (auto known = Known(id)) return std::move(*known);

  std::unique_lock gate(DerivationGate(), std::defer_lock);
  if (!gate.try_lock()) {
    if (waiting) waiting();
    while (!gate.try_lock_for(std::chrono::milliseconds(100)))
      if (!running) return {};
  }
  // Another file of this batch may have derived the same key meanwhile.
  if (auto known = Known(id)) return std::move(*known);
  Secret master = Argon2id(key, salt, params);
  std::lock_guard lock(mutex_);
  ++derivations_;
  keys_.emplace(id, master);
  return master;
}

unsigned KdfBatch::Derivations() const {
  std::lock_guard lock(mutex_);
  return derivations_;
}

}  // namespace engine::aead
