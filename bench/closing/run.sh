#!/usr/bin/env bash
# Closing beside its own design pauses: the time from the close message to
# the end of the process for one window and for a primary window with four
# secondary windows, under Wine (best kept short: a few rounds).
# Usage: bench/closing/run.sh [rounds, default 3]
set -euo pipefail
cd "$(dirname "$0")/../.."
. bench/common.sh
bench_build win64 close_bench
cmake/wine-run.sh build/win64/bench/closing/close_bench.exe "${1:-3}"
