#!/usr/bin/env bash
# Finds a 16-byte pattern that is absent from a 1 GiB file through the hex
# editor's search beside `LC_ALL=C grep -c -F` for the same bytes, in the same
# run with a warm cache. Prints the wall time of each (best of five, process
# start to end), their throughput and the ratio of the editor's throughput to
# grep's.
# Usage: bench/hexeditor/find_run.sh [size in MiB, default 1024] [chunk KiB]
# HEXED_FIND_BENCH_BIN names an already built hexed_find_bench.
set -euo pipefail
cd "$(dirname "$0")/../.."
. bench/common.sh

mib=${1:-1024}
chunk=${2:-}
bench=$(bench_program "${HEXED_FIND_BENCH_BIN:-}" bench/hexeditor/hexed_find_bench)

bench_workdir hexed-find
file=$work/data.bin
bench_random_file "$mib" "$file"
cat "$file" > /dev/null

# 16 random bytes without a line end or a zero (grep reads its patterns as
# lines), absent from the file.
while :; do
  head -c 64 /dev/urandom | tr -d '\000\n' | head -c 16 > "$work/pattern"
  [ "$(stat -c %s "$work/pattern")" -eq 16 ] || continue
  LC_ALL=C grep -q -F -f "$work/pattern" "$file" || break
done
hex=$(od -An -tx1 -v "$work/pattern" | tr -s ' \n' ' ' | sed 's/^ //; s/ $//')

# Runs a command five times; prints the best wall time.
measure() {
  local best=""
  for _ in 1 2 3 4 5; do
    local t0 t1
    t0=$(date +%s.%N)
    "$@" > "$work/out" || true
    t1=$(date +%s.%N)
    best=$(echo "$t1 - $t0" | bc -l | awk -v b="$best" '{ if (b == "" || $1 < b) print $1; else print b }')
  done
  echo "$best"
}

t_grep=$(measure env LC_ALL=C grep -c -F -f "$work/pattern" "$file")
grep_out=$(cat "$work/out")
# shellcheck disable=SC2086
t_find=$(measure "$bench" "$file" "$hex" $chunk)
self=$(cat "$work/out")

mb=$(echo "$mib * 1048576 / 1000000" | bc -l)
printf 'file: %d MiB, pattern: %s\n' "$mib" "$hex"
printf '%-36s %10s %12s\n' "" "time (s)" "MB/s"
printf '%-36s %10.3f %12.0f\n' "LC_ALL=C grep -c -F (count $grep_out)" "$t_grep" "$(echo "$mb / $t_grep" | bc -l)"
printf '%-36s %10.3f %12.0f\n' "hex editor find" "$t_find" "$(echo "$mb / $t_find" | bc -l)"
printf 'throughput editor / grep: %.2f (goal at least 0.80)\n' "$(echo "$t_grep / $t_find" | bc -l)"
printf 'editor self-report: %s\n' "$self"
