#!/usr/bin/env bash
# Runs the control's paint and scroll benchmark under Wine: a 1 KiB file
# beside a large one in one run (ratio large / small), and the peak memory
# of opening, editing and saving the large file.
# Usage: bench/hexeditor/win32/run.sh [large size in MiB, default 256] [rounds, default 20]
set -euo pipefail
cd "$(dirname "$0")/../../.."
. bench/common.sh
bench_build win64 hexed_paint_bench
cmake/wine-run.sh build/win64/bench/hexeditor/win32/hexed_paint_bench.exe "${1:-256}" "${2:-20}"
