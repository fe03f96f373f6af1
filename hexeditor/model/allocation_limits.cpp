#include "hexeditor/model/allocation_limits.h"

namespace hexed {

AllocationLimits& TestAllocationLimits() {
  static AllocationLimits limits;
  return limits;
}

}  // namespace hexed
