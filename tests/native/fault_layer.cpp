#include "fault_layer.h"

#include <atomic>

namespace testing_support::faults {

namespace {

constexpr int kKinds = 6;

// Compression writes from its worker threads: everything here is atomic.
std::atomic<bool> g_counting{false};
std::atomic<unsigned> g_calls[kKinds];
std::atomic<int> g_failKind{-1};
std::atomic<unsigned> g_failAt{0};
std::atomic<int> g_error{0};
std::atomic<bool> g_fired{false};

void Reset() {
  for (auto& c : g_calls) c = 0;
  g_fired = false;
}

}  // namespace

void CountOnly() {
  g_counting = false;
  g_failKind = -1;
  Reset();
  g_counting = true;
}

void FailNth(Op op, unsigned k, int error) {
  g_counting = false;
  Reset();
  g_failAt = k;
  g_error = error;
  g_failKind = static_cast<int>(op);
  g_counting = true;
}

void Off() {
  g_counting = false;
  g_failKind = -1;
}

unsigned Calls(Op op) { return g_calls[static_cast<int>(op)]; }

bool Fired() { return g_fired; }

std::string Name(Op op) {
  static const char* const kNames[kKinds] = {"open", "read", "write", "flush", "rename", "delete"};
  return kNames[static_cast<int>(op)];
}

}  // namespace testing_support::faults

namespace platform::fault {

int At(Op op) {
  using namespace testing_support::faults;
  if (!g_counting) return 0;
  const int kind = static_cast<int>(op);
  const unsigned n = ++g_calls[kind];
  if (kind != g_failKind || n != g_failAt) return 0;
  g_fired = true;
  return g_error;
}

}  // namespace platform::fault
