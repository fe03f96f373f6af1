#include <openssl/evp.h>

#include <stdexcept>

#include "utils/md5_digest.h"

namespace utils {

struct MD5Context::Impl {
  EVP_MD_CTX* ctx = nullptr;
};

MD5Context::MD5Context() : impl_(std::make_unique<Impl>()) {
  impl_->ctx = EVP_MD_CTX_new();
  if (!impl_->ctx || EVP_DigestInit_ex(impl_->ctx, EVP_md5(), nullptr) != 1)
    throw std::runtime_error("MD5 is not available");
}

MD5Context::~MD5Context() { EVP_MD_CTX_free(impl_->ctx); }

void MD5Context::Update(const void* data, std::size_t size) { EVP_DigestUpdate(impl_->ctx, data, size); }

MD5Digest MD5Context::Final() {
  MD5Digest digest{};
  unsigned int n = 0;
  EVP_DigestFinal_ex(impl_->ctx, digest.data(), &n);
  return digest;
}

}  // namespace utils
