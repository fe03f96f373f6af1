// The process's table of secondary windows (those a batch creates for its
// further files) and its two counters. Used on the user-interface thread only.
#pragma once

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <vector>

namespace app {

template <typename WindowT>
class WindowTable {
 public:
  static constexpr std::size_t kSlots = 65536;

  WindowTable() : slots_(std::make_unique<WindowT*[]>(kSlots)) {}
  WindowTable(const WindowTable&) = delete;
  WindowTable& operator=(const WindowTable&) = delete;

  // Stores a new secondary window: secondaryCount and windowCounter grow by
  // one and the window takes the slot of windowCounter, so slots go 1, 2,
  // 3, ... Once the 16-bit counter has wrapped, slot 0 and slots still
  // holding a window are passed over. Returns the slot; throws
  // std::length_error when every slot holds a window.
  std::uint16_t Add(WindowT* window) {
    for (std::size_t tried = 0; tried < kSlots; ++tried) {
      ++windowCounter_;
      if (windowCounter_ != 0 && slots_[windowCounter_] == nullptr) {
        slots_[windowCounter_] = window;
        ++secondaryCount_;
        return windowCounter_;
      }
    }
    throw std::length_error("no free window slot");
  }

  // A window closes: every window, primary or secondary, lowers
  // secondaryCount; a secondary window also empties its slot.
  void Closed(std::uint16_t slot, bool secondary) {
    --secondaryCount_;
    if (secondary && slot != 0) slots_[slot] = nullptr;
  }

  // The window in a slot, or null.
  WindowT* At(std::uint16_t slot) const { return slots_[slot]; }

  // Every window stored, in slot order.
  std::vector<WindowT*> Windows() const {
    std::vector<WindowT*> windows;
    for (std::size_t slot = 1; slot < kSlots; ++slot)
      if (slots_[slot] != nullptr) windows.push_back(slots_[slot]);
    return windows;
  }

  std::int32_t SecondaryCount() const { return secondaryCount_; }
  std::uint16_t WindowCounter() const { return windowCounter_; }

 private:
  std::unique_ptr<WindowT*[]> slots_;
  std::uint16_t windowCounter_ = 0;
  std::int32_t secondaryCount_ = 0;
};

// The question a window asks before it closes.
enum class CloseQuestion {
  kNone,         // it closes at once
  kCloseAll,     // "真的要关闭本程序吗？本程序是主程序，会同时关闭全部副程序。"
  kJobsRunning,  // "真的要关闭本程序吗？正在运行的操作会被取消。"
};

// The primary window with secondary windows open asks about closing them
// all; otherwise a window whose job runs (or whose batch is being dispatched)
// asks about cancelling it.
inline CloseQuestion CloseQueryQuestion(bool isPrimary, std::int32_t secondaryCount, bool busy) {
  if (isPrimary && secondaryCount > 0) return CloseQuestion::kCloseAll;
  return busy ? CloseQuestion::kJobsRunning : CloseQuestion::kNone;
}

}  // namespace app
