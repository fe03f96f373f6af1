#!/usr/bin/env bash
# Enciphers and deciphers a 1 GiB file with jmz beside `cp`, a plain
# read-write loop (`dd bs=4M`) and `openssl enc -aes-128-ctr` of the same
# file, in the same run, warm cache. The commands take turns round by round
# (the page cache of a virtual machine is slow now and then), and each keeps
# its best time. Prints the times and the throughput ratios to cp.
# Usage: bench/cipher/run.sh [size in MiB, default 1024] [rounds, default 5]
set -euo pipefail
cd "$(dirname "$0")/../.."

mib=${1:-1024}
rounds=${2:-5}
cmake --preset native >/dev/null
cmake --build --preset native --target jmz cipher_bench >/dev/null
jmz=$PWD/build/native/cli/jmz

work=$(mktemp -d "${BENCH_DIR:-/tmp}/jmz-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT
head -c $((mib * 1048576)) /dev/urandom > "$work/data.bin"
key="bench key 0123"
mkdir "$work/enc0"
"$jmz" encrypt -k "$key" -o "$work/enc0" "$work/data.bin" >/dev/null
cat "$work/data.bin" "$work/enc0/data.jmz" > /dev/null

names=(cp dd openssl encrypt decrypt)
declare -A best
run() {  # one timed run of $1, its output removed before and after
  rm -rf "$work/out"
  mkdir "$work/out"
  sync -f "$work"
  local t0 t1
  t0=$(date +%s.%N)
  case $1 in
    cp) cp "$work/data.bin" "$work/out/copy.bin" ;;
    dd) dd if="$work/data.bin" of="$work/out/dd.bin" bs=4M status=none ;;
    openssl) openssl enc -aes-128-ctr -K 000102030405060708090a0b0c0d0e0f -iv 000102030405060708090a0b0c0d0e0f \
               -in "$work/data.bin" -out "$work/out/aes.bin" ;;
    encrypt) "$jmz" encrypt -k "$key" -o "$work/out" "$work/data.bin" >/dev/null ;;
    decrypt) "$jmz" decrypt -k "$key" -o "$work/out" "$work/enc0/data.jmz" >/dev/null ;;
  esac
  t1=$(date +%s.%N)
  local t
  t=$(echo "$t1 - $t0" | bc -l)
  if [ "$1" = decrypt ]; then cmp "$work/data.bin" "$work/out/data.bin"; fi
  if [ -z "${best[$1]:-}" ] || [ "$(echo "$t < ${best[$1]}" | bc -l)" = 1 ]; then best[$1]=$t; fi
}
for ((r = 0; r < rounds; r++)); do
  for n in "${names[@]}"; do run "$n"; done
done

t_cp=${best[cp]}
report() { printf '%-34s %7.3f s  %8.1f MiB/s  %5.2fx cp\n' "$1" "$2" "$(echo "$mib / $2" | bc -l)" "$(echo "$t_cp / $2" | bc -l)"; }
echo "file: $mib MiB, warm page cache, $(nproc) cores, best of $rounds alternating rounds"
report "cp" "${best[cp]}"
report "dd bs=4M (plain read-write loop)" "${best[dd]}"
report "openssl enc -aes-128-ctr" "${best[openssl]}"
report "jmz encrypt (version 66)" "${best[encrypt]}"
report "jmz decrypt (version 66)" "${best[decrypt]}"
printf 'jmz encrypt / openssl aes-128-ctr: %.2fx   jmz decrypt / openssl: %.2fx\n' \
  "$(echo "${best[openssl]} / ${best[encrypt]}" | bc -l)" "$(echo "${best[openssl]} / ${best[decrypt]}" | bc -l)"
echo
echo "in memory, 256 MiB buffer, one core:"
"$PWD/build/native/bench/cipher/cipher_bench"
