#include "engine/aead/secret.h"

namespace engine::aead {

void Wipe(void* data, std::size_t size) noexcept {
  // Stores through a volatile pointer are never optimised away, even when the
  // buffer is freed right after.
  volatile std::uint8_t* p = static_cast<volatile std::uint8_t*>(data);
  for (std::size_t i = 0; i < size; ++i) p[i] = 0;
}

}  // namespace engine::aead
