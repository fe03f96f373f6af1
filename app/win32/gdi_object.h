// Ownership of a GDI object (font, brush, ...): deleted with its owner.
#pragma once

#include <windows.h>

#include <utility>

namespace app {

template <typename Handle>
class GdiObject {
 public:
  GdiObject() = default;
  // Takes ownership of `handle` (may be null).
  explicit GdiObject(Handle handle) : handle_(handle) {}
  GdiObject(GdiObject&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
  GdiObject& operator=(GdiObject&& other) noexcept {
    if (this != &other) Reset(std::exchange(other.handle_, nullptr));
    return *this;
  }
  GdiObject(const GdiObject&) = delete;
  GdiObject& operator=(const GdiObject&) = delete;
  ~GdiObject() { Reset(nullptr); }

  // The object, or null.
  Handle Get() const { return handle_; }
  // Deletes the current object and takes ownership of `handle`.
  void Reset(Handle handle) {
    if (handle_ != nullptr) DeleteObject(handle_);
    handle_ = handle;
  }

 private:
  Handle handle_ = nullptr;
};

}  // namespace app
