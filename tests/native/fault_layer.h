// The fault tests' side of the file routines' fault points: counts the calls
// of each kind and fails the k-th call of one kind with a chosen errno.
#pragma once

#include <string>

#include "platform/fault_point.h"

namespace testing_support::faults {

using platform::fault::Op;

inline constexpr Op kOps[] = {Op::kOpen, Op::kRead, Op::kWrite, Op::kFlush, Op::kRename, Op::kDelete};

// From now on every call runs and is counted.
void CountOnly();
// From now on the k-th call (from 1) of kind `op` fails with `error`; the
// others run and all are counted.
void FailNth(Op op, unsigned k, int error);
// Calls are neither counted nor failed.
void Off();

// Calls of kind `op` since CountOnly or FailNth.
unsigned Calls(Op op);
// Whether the planned failure has happened.
bool Fired();

std::string Name(Op op);

}  // namespace testing_support::faults
