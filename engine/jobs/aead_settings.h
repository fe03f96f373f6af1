// What a job needs to write or read the authenticated container.
#pragma once

#include <memory>

#include "engine/aead/kdf_batch.h"

namespace engine {

struct AeadSettings {
  bool enabled = false;          // encryption writes the authenticated container
  aead::KdfParams params;        // the parameters written
  // Shared by the files of one batch (one KDF salt, each key derived once);
  // empty: the file is a batch of its own.
  std::shared_ptr<aead::KdfBatch> batch;

  // The batch, or a new one for this file alone.
  std::shared_ptr<aead::KdfBatch> BatchOrOwn() const {
    return batch ? batch : std::make_shared<aead::KdfBatch>();
  }
};

}  // namespace engine
