#!/usr/bin/env bash
# The hex editor on large files, figures side by side in one run:
#  - opening a 16 GiB sparse file and computing the first screen's cells,
#    beside the same for a 1 KiB file (ratio), and Ctrl+End;
#  - peak resident memory above the start while opening, scrolling through
#    and editing a few bytes of a 4 GiB file (goal: at most 64 MiB), and its
#    save time beside `cp` of the same file (goal: at least 0.8 of cp's speed).
# Usage: bench/hexeditor/large_run.sh [size of the edited file in MiB, default 4096]
# HEXED_LARGE_BENCH_BIN names an already built hexed_large_bench.
set -euo pipefail
cd "$(dirname "$0")/../.."
. bench/common.sh

mib=${1:-4096}
bench=$(bench_program "${HEXED_LARGE_BENCH_BIN:-}" bench/hexeditor/hexed_large_bench)

bench_workdir hexed-large

value() { tr ' ' '\n' | sed -n "s/^$1=//p"; }
# The smaller of two numbers; the first when the second is empty.
best() { awk -v a="$1" -v b="$2" 'BEGIN { if (b == "" || a < b) print a; else print b }'; }
# Best of three runs of `$bench open FILE` for one key.
best_open() {
  local result=""
  for _ in 1 2 3; do
    result=$(best "$("$bench" open "$1" | value "$2")" "$result")
  done
  echo "$result"
}

truncate -s 16G "$work/huge.bin"
head -c 1024 /dev/urandom > "$work/small.bin"
open_huge=$(best_open "$work/huge.bin" open_first_screen_seconds)
end_huge=$(best_open "$work/huge.bin" ctrl_end_seconds)
open_small=$(best_open "$work/small.bin" open_first_screen_seconds)
rm -f "$work/huge.bin"

# A file with every block on disk, so that the save and cp both write it all.
head -c $((mib * 1048576)) /dev/zero > "$work/edit.bin"
cat "$work/edit.bin" > /dev/null
sync
# Both writes count until they are on disk (the save syncs inside the
# benchmark, cp is followed by a sync); alternate rounds, the best of each.
save_seconds=""
cp_seconds=""
for _ in 1 2 3; do
  edit=$("$bench" edit "$work/edit.bin")
  sync  # the saved copy is gone: its blocks are freed before cp starts
  save_seconds=$(best "$(echo "$edit" | value save_seconds)" "$save_seconds")
  t0=$(date +%s.%N)
  cp --sparse=never "$work/edit.bin" "$work/copy.bin"
  sync
  t1=$(date +%s.%N)
  rm -f "$work/copy.bin"
  sync
  cp_seconds=$(best "$(echo "$t1 - $t0" | bc -l)" "$cp_seconds")
done

kib() { echo "$edit" | value "$1"; }
printf '%-44s %12s %12s\n' "" "16 GiB" "1 KiB"
printf '%-44s %12.6f %12.6f\n' "open + first screen's cells (s)" "$open_huge" "$open_small"
printf '%-44s %12.2f\n' "ratio 16 GiB / 1 KiB" "$(echo "$open_huge / $open_small" | bc -l)"
printf '%-44s %12.6f\n' "Ctrl+End + last screen's cells (s)" "$end_huge"
echo
printf '%d MiB file, peak RSS above the start (MiB; goal <= 64):\n' "$mib"
printf '  %-42s %10.1f\n' "open" "$(echo "$(kib peak_open_kib) / 1024" | bc -l)"
printf '  %-42s %10.1f\n' "scroll through, 1000 screens" "$(echo "$(kib peak_scroll_kib) / 1024" | bc -l)"
printf '  %-42s %10.1f\n' "edit a few bytes at both ends" "$(echo "$(kib peak_edit_kib) / 1024" | bc -l)"
printf '  %-42s %10.1f\n' "save" "$(echo "$(kib peak_save_kib) / 1024" | bc -l)"
printf '%-44s %10s %10s\n' "" "save" "cp"
printf '%-44s %10.3f %10.3f\n' "seconds, with the sync (best of 3)" "$save_seconds" "$cp_seconds"
printf '%-44s %10.2f\n' "save speed / cp speed (goal >= 0.8)" "$(echo "$cp_seconds / $save_seconds" | bc -l)"
