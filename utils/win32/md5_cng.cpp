#include <windows.h>
#include <bcrypt.h>

#include <algorithm>
#include <stdexcept>

#include "utils/md5_digest.h"

namespace utils {

struct MD5Context::Impl {
  BCRYPT_ALG_HANDLE algorithm = nullptr;
  BCRYPT_HASH_HANDLE hash = nullptr;
};

MD5Context::MD5Context() : impl_(std::make_unique<Impl>()) {
  if (BCryptOpenAlgorithmProvider(&impl_->algorithm, BCRYPT_MD5_ALGORITHM, nullptr, 0) != 0 ||
      BCryptCreateHash(impl_->algorithm, &impl_->hash, nullptr, 0, nullptr, 0, 0) != 0)
    throw std::runtime_error("MD5 is not available");
}

MD5Context::~MD5Context() {
  if (impl_->hash) BCryptDestroyHash(impl_->hash);
  if (impl_->algorithm) BCryptCloseAlgorithmProvider(impl_->algorithm, 0);
}

void MD5Context::Update(const void* data, std::size_t size) {
  auto* p = static_cast<UCHAR*>(const_cast<void*>(data));
  while (size > 0) {
    const ULONG n = static_cast<ULONG>(std::min<std::size_t>(size, 1u << 30));
    BCryptHashData(impl_->hash, p, n, 0);
    p += n;
    size -= n;
  }
}

MD5Digest MD5Context::Final() {
  MD5Digest digest{};
  BCryptFinishHash(impl_->hash, digest.data(), static_cast<ULONG>(digest.size()), 0);
  return digest;
}

}  // namespace utils
