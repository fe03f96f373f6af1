// Sizes past which the data block and the undo stream refuse to grow, as if
// memory had run out. Unlimited in use; tests lower them to provoke the
// failures that otherwise only a full memory gives.
#pragma once

#include <cstdint>

namespace hexed {

struct AllocationLimits {
  std::int64_t dataBlock = INT64_MAX;
  std::int64_t undoStream = INT64_MAX;
};

// The limits in force for the process.
AllocationLimits& TestAllocationLimits();

}  // namespace hexed
