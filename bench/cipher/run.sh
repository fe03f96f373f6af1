#!/usr/bin/env bash
# Enciphers and deciphers a 1 GiB file with jmz beside `cp`, a plain
# read-write loop (`dd bs=4M`) and `openssl enc -aes-128-ctr` of the same
# file, in the same run, warm cache. The commands take turns round by round
# (the page cache of a virtual machine is slow now and then), and each keeps
# its best time. Prints the times and the throughput ratios to cp.
# Usage: bench/cipher/run.sh [size in MiB, default 1024] [rounds, default 5]
set -euo pipefail
cd "$(dirname "$0")/../.."
. bench/common.sh

mib=${1:-1024}
rounds=${2:-5}
bench_build native jmz cipher_bench
jmz=$PWD/build/native/cli/jmz

bench_workdir jmz-bench
bench_random_file "$mib" "$work/data.bin"
key="bench key 0123"
mkdir "$work/enc0"
"$jmz" encrypt -k "$key" -o "$work/enc0" "$work/data.bin" >/dev/null
cat "$work/data.bin" "$work/enc0/data.jmz" > /dev/null

names=(cp dd openssl encrypt decrypt)
declare -A best
run() {  # one run of $1 into $work/out
  case $1 in
    cp | dd) copy_baseline "$1" ;;
    openssl) openssl enc -aes-128-ctr -K 000102030405060708090a0b0c0d0e0f -iv 000102030405060708090a0b0c0d0e0f \
               -in "$work/data.bin" -out "$work/out/aes.bin" ;;
    encrypt) "$jmz" encrypt -k "$key" -o "$work/out" "$work/data.bin" >/dev/null ;;
    decrypt) "$jmz" decrypt -k "$key" -o "$work/out" "$work/enc0/data.jmz" >/dev/null ;;
  esac
}
check() { if [ "$1" = decrypt ]; then cmp "$work/data.bin" "$work/out/data.bin"; fi; }
best_of_turns "$rounds" run check "${names[@]}"

report() { report_vs_cp 34 "$@"; }
report_cp_and_dd 34
report "openssl enc -aes-128-ctr" "${best[openssl]}"
report "jmz encrypt (version 66)" "${best[encrypt]}"
report "jmz decrypt (version 66)" "${best[decrypt]}"
printf 'jmz encrypt / openssl aes-128-ctr: %.2fx   jmz decrypt / openssl: %.2fx\n' \
  "$(echo "${best[openssl]} / ${best[encrypt]}" | bc -l)" "$(echo "${best[openssl]} / ${best[decrypt]}" | bc -l)"
echo
echo "in memory, 256 MiB buffer, one core:"
"$PWD/build/native/bench/cipher/cipher_bench"
