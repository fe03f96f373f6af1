#!/usr/bin/env bash
# Compresses a file of mixed data with the product's parallel compressor beside
# `pigz -z` at the same level and thread count, then expands the product's
# stream with its one-pass InflateSink beside a plain zlib inflate loop (and
# `pigz -dz`), all in the same run with a warm page cache. Prints the best
# wall time of each, throughput, speed ratios and output sizes.
# Usage: bench/compression/run.sh [size in MiB, default 512] [runs, default 3]
# COMPRESSION_BENCH_BIN may name a folder holding already built
# compression_bench and zlib_inflate_loop programs.
set -euo pipefail
cd "$(dirname "$0")/../.."
. bench/common.sh

mib=${1:-512}
runs=${2:-3}
cores=$(nproc)
if [ -n "${COMPRESSION_BENCH_BIN:-}" ]; then
  bin=$COMPRESSION_BENCH_BIN
else
  bench_build native compression_bench zlib_inflate_loop
  bin=$PWD/build/native/bench/compression
fi

bench_workdir jmz-zbench

# The test file: C headers (text), executables and random bytes (already
# compressed media), 55 / 30 / 15 %, interleaved in eight rounds.
total=$((mib * 1048576))
text=$((total * 55 / 100 / 8))
exe=$((total * 30 / 100 / 8))
rnd=$((total / 8 - text - exe))
pool() {  # repeats a tar of a system folder up to $2 bytes
  (while :; do tar cf - -C /usr "$1" 2>/dev/null || exit 0; done) | head -c "$2" > "$work/$1.pool"
}
pool include $((text * 8))
pool bin $((exe * 8))
head -c $((rnd * 8)) /dev/urandom > "$work/random.pool"
slice() { dd if="$work/$1.pool" bs=1M iflag=skip_bytes,count_bytes skip=$(($2 * $3)) count="$3" status=none; }
for i in 0 1 2 3 4 5 6 7; do
  slice include $i $text
  slice bin $i $exe
  slice random $i $rnd
done > "$work/data.bin"
rm -f "$work"/*.pool
size=$(stat -c %s "$work/data.bin")
cat "$work/data.bin" > /dev/null

# Runs of the two sides alternate, so a load that comes and goes (other
# builds on the machine) falls on both; each side keeps its best run.
measure() {  # one timed run of a command; sets wall and cpu (user + system)
  "$1" prepare
  local TIMEFORMAT='%3R %3U %3S' line
  { time "$1" run 2>&3; } 3>&2 2>"$work/time"
  line=$(tail -n 1 "$work/time")
  wall=${line%% *}
  cpu=$(echo "$line" | awk '{ print $2 + $3 }')
}
race() {  # sets wall_a cpu_a wall_b cpu_b: the best of $runs runs of $1 and of $2
  wall_a=""
  wall_b=""
  for ((r = 0; r < runs; ++r)); do
    measure "$1"
    if [ -z "$wall_a" ] || (($(echo "$wall < $wall_a" | bc -l))); then wall_a=$wall cpu_a=$cpu; fi
    measure "$2"
    if [ -z "$wall_b" ] || (($(echo "$wall < $wall_b" | bc -l))); then wall_b=$wall cpu_b=$cpu; fi
  done
}
fresh() { rm -f "$1"; sync -f "$work"; }

pigz_z() { case $1 in prepare) fresh "$work/pigz.zz" ;; run) pigz -z -"$level" -p "$cores" -c "$work/data.bin" > "$work/pigz.zz" ;; esac; }
product_z() { case $1 in prepare) fresh "$work/product.zak" ;; run) "$bin/compression_bench" compress "$zlevel" "$cores" "$work/data.bin" "$work/product.zak" ;; esac; }
product_d() { case $1 in prepare) fresh "$work/product.out" ;; run) "$bin/compression_bench" decompress "$work/stream.zak" "$work/product.out" ;; esac; }
zlib_d() { case $1 in prepare) fresh "$work/zlib.out" ;; run) "$bin/zlib_inflate_loop" "$work/stream.zak" "$work/zlib.out" ;; esac; }
pigz_d() { case $1 in prepare) fresh "$work/pigz.out" ;; run) pigz -dz -c "$work/stream.zak" > "$work/pigz.out" ;; esac; }

mibs() { echo "$size / 1048576 / $1" | bc -l; }

printf 'file: %.1f MiB (55%% C headers, 30%% executables, 15%% random), warm page cache, %d cores, best of %d\n' \
  "$(echo "$size / 1048576" | bc -l)" "$cores" "$runs"
echo "s = wall time, cpu = user + system seconds of that run"
echo
printf '%-5s | %-38s | %-38s | %-12s | %s\n' "level" "pigz -z -p $cores" "product (ParallelDeflateSink)" "speed" "size"
printf '%-5s | %6s %6s %8s %15s | %6s %6s %8s %15s | %-12s | %s\n' "" "s" "cpu" "MiB/s" "bytes" "s" "cpu" "MiB/s" "bytes" \
  "product/pigz" "product/pigz"
for level in 1 6 9 0; do
  zlevel=$level
  [ "$level" = 6 ] && zlevel=-1  # the product's default choice is zlib's default, 6
  race pigz_z product_z
  s_pigz=$(stat -c %s "$work/pigz.zz")
  s_prod=$(stat -c %s "$work/product.zak")
  # Both streams must expand to the input; the product's by zlib itself.
  "$bin/zlib_inflate_loop" "$work/product.zak" "$work/check.out" && cmp -s "$work/check.out" "$work/data.bin" ||
    { echo "level $level: the product's stream does not expand to the input" >&2; exit 1; }
  pigz -dz -c "$work/pigz.zz" | cmp -s - "$work/data.bin" || { echo "level $level: pigz's stream is wrong" >&2; exit 1; }
  rm -f "$work/check.out"
  [ "$level" = 6 ] && mv "$work/product.zak" "$work/stream.zak"
  printf '%-5s | %6.2f %6.2f %8.1f %15d | %6.2f %6.2f %8.1f %15d | %11.3fx | %.5f\n' "$level" \
    "$wall_a" "$cpu_a" "$(mibs "$wall_a")" "$s_pigz" "$wall_b" "$cpu_b" "$(mibs "$wall_b")" "$s_prod" \
    "$(echo "$wall_a / $wall_b" | bc -l)" "$(echo "$s_prod / $s_pigz" | bc -l)"
done
rm -f "$work/pigz.zz" "$work/product.zak"

echo
echo "decompression of the product's level-6 stream ($(stat -c %s "$work/stream.zak") bytes), MiB/s of output:"
race zlib_d product_d
t_zlib=$wall_a c_zlib=$cpu_a t_prod=$wall_b c_prod=$cpu_b
race pigz_d zlib_d
t_pigzd=$wall_a c_pigzd=$cpu_a
for out in zlib product pigz; do
  cmp -s "$work/$out.out" "$work/data.bin" || { echo "$out: expanded bytes differ" >&2; exit 1; }
done
report() {
  printf '%-36s %6.2f s %6.2f cpu %8.1f MiB/s %7.3fx zlib loop\n' "$1" "$2" "$3" "$(mibs "$2")" "$(echo "$t_zlib / $2" | bc -l)"
}
report "zlib inflate loop (64 KiB buffers)" "$t_zlib" "$c_zlib"
report "product (InflateSink, one pass)" "$t_prod" "$c_prod"
report "pigz -dz" "$t_pigzd" "$c_pigzd"
