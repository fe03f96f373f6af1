// Points in the file routines where a test can make a call fail on purpose.
//
// Only the fault tests compile the file routines with XCJM_FAULT_POINTS, into
// a copy of their own; in every other build a point is the constant 0 and the
// compiler drops it.
#pragma once

namespace platform::fault {

// The kinds of file calls a job makes.
enum class Op { kOpen, kRead, kWrite, kFlush, kRename, kDelete };

#ifdef XCJM_FAULT_POINTS
// The errno value this call is to fail with, or 0 to let it run (defined by
// the fault tests).
int At(Op op);
#endif

}  // namespace platform::fault

#ifdef XCJM_FAULT_POINTS
#define XCJM_FAULT(op) (::platform::fault::At(::platform::fault::Op::op))
#else
#define XCJM_FAULT(op) 0
#endif
