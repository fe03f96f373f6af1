// Whether a file may be packed: a save-key container by its header test.
#pragma once

#include "platform/stream.h"

namespace sfx {

enum class Acceptance {
  kAccepted,
  kNewerVersion,   // a container of an algorithm version above 70
  kNotRecognised,  // no save-key container (plain, compressed-only, no-saved-key)
};

// The 12-byte header test at 0 (files under 5,428 bytes) or 260, with the
// second try at 260 for files of 1,033..5,427 bytes. Throws IoError.
Acceptance TestPackSource(platform::ByteSource& file);

}  // namespace sfx
