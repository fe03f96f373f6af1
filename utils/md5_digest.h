// The RFC 1321 digest itself, from the platform's well-kept implementation
// (OpenSSL on Linux, CNG on Windows).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>

namespace utils {

using MD5Digest = std::array<std::uint8_t, 16>;

class MD5Context {
 public:
  MD5Context();  // throws std::runtime_error when the platform has no MD5
  ~MD5Context();
  MD5Context(const MD5Context&) = delete;
  MD5Context& operator=(const MD5Context&) = delete;

  void Update(const void* data, std::size_t size);
  MD5Digest Final();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace utils
