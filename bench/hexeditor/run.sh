#!/usr/bin/env bash
# Opens a 1 GiB file in the hex editor and reads every byte through it,
# beside `cat` of the same file, in the same run with a warm cache. Opening
# reads nothing, so this measures the editor's reads of its data. Prints wall
# time (best of three, process start to end) and peak resident memory (GNU
# time's maximum RSS) of both, and the ratios editor / cat.
# Usage: bench/hexeditor/run.sh [size in MiB, default 1024]
# HEXED_BENCH_BIN names an already built hexed_load_bench.
set -euo pipefail
cd "$(dirname "$0")/../.."
. bench/common.sh

mib=${1:-1024}
bench=$(bench_program "${HEXED_BENCH_BIN:-}" bench/hexeditor/hexed_load_bench)
[ -x /usr/bin/time ] || { echo "GNU time (Debian package 'time') is needed" >&2; exit 1; }

bench_workdir hexed-bench
file=$work/data.bin
bench_random_file "$mib" "$file"
cat "$file" > /dev/null

# Runs a command three times; prints the best wall time and the largest peak RSS (KiB).
measure() {
  local best="" peak=0
  for _ in 1 2 3; do
    local t0 t1 kib
    t0=$(date +%s.%N)
    /usr/bin/time -f "%M" -o "$work/rss" "$@" > "$work/out"
    t1=$(date +%s.%N)
    kib=$(tail -n 1 "$work/rss")
    best=$(echo "$t1 - $t0" | bc -l | awk -v b="$best" '{ if (b == "" || $1 < b) print $1; else print b }')
    [ "$kib" -gt "$peak" ] && peak=$kib
  done
  echo "$best $peak"
}

read -r t_cat kib_cat < <(measure cat "$file")
read -r t_ed kib_ed < <(measure "$bench" "$file")
self=$(cat "$work/out")

bytes=$((mib * 1048576))
printf 'file: %d MiB\n' "$mib"
printf '%-28s %10s %14s\n' "" "time (s)" "peak RSS (MiB)"
printf '%-28s %10.3f %14.1f\n' "cat FILE > /dev/null" "$t_cat" "$(echo "$kib_cat / 1024" | bc -l)"
printf '%-28s %10.3f %14.1f\n' "hex editor open + read all" "$t_ed" "$(echo "$kib_ed / 1024" | bc -l)"
printf 'ratio editor / cat: time %.2f, peak memory %.1f\n' \
  "$(echo "$t_ed / $t_cat" | bc -l)" "$(echo "$kib_ed / $kib_cat" | bc -l)"
printf 'editor peak: %.1f MiB, %.2f%% of the file (%d MiB)\n' \
  "$(echo "$kib_ed / 1024" | bc -l)" "$(echo "$kib_ed * 1024 * 100 / $bytes" | bc -l)" "$mib"
printf 'editor self-report: %s\n' "$self"
