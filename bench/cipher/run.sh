#!/usr/bin/env bash
# Enciphers and deciphers a 1 GiB file with jmz beside `cp` and
# `openssl enc -aes-128-ctr` of the same file, in the same run, warm cache.
# Prints each time (best of three) and the throughput ratio to cp.
# Usage: bench/cipher/run.sh [size in MiB, default 1024]
set -euo pipefail
cd "$(dirname "$0")/../.."

mib=${1:-1024}
cmake --preset native >/dev/null
cmake --build --preset native --target jmz cipher_bench >/dev/null
jmz=$PWD/build/native/cli/jmz

work=$(mktemp -d "${BENCH_DIR:-/tmp}/jmz-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT
head -c $((mib * 1048576)) /dev/urandom > "$work/data.bin"
cat "$work/data.bin" > /dev/null

best() {  # best of three wall times of a command, in seconds
  local best=""
  for _ in 1 2 3; do
    "$@" prepare
    local t0 t1
    t0=$(date +%s.%N)
    "$@" run
    t1=$(date +%s.%N)
    best=$(echo "$t1 - $t0" | bc -l | awk -v b="$best" '{ if (b == "" || $1 < b) print $1; else print b }')
  done
  echo "$best"
}

copy() { case $1 in prepare) rm -f "$work/copy.bin"; sync -f "$work" ;; run) cp "$work/data.bin" "$work/copy.bin" ;; esac; }
aes() { case $1 in prepare) rm -f "$work/aes.bin"; sync -f "$work" ;; run) openssl enc -aes-128-ctr -K 000102030405060708090a0b0c0d0e0f -iv 000102030405060708090a0b0c0d0e0f -in "$work/data.bin" -out "$work/aes.bin" ;; esac; }
encrypt() { case $1 in prepare) rm -rf "$work/enc"; mkdir "$work/enc"; sync -f "$work" ;; run) "$jmz" encrypt -k "bench key 0123" -o "$work/enc" "$work/data.bin" >/dev/null ;; esac; }
decrypt() { case $1 in prepare) rm -rf "$work/dec"; mkdir "$work/dec"; sync -f "$work" ;; run) "$jmz" decrypt -k "bench key 0123" -o "$work/dec" "$work/enc/data.jmz" >/dev/null ;; esac; }

t_cp=$(best copy)
t_aes=$(best aes)
t_enc=$(best encrypt)
t_dec=$(best decrypt)
cmp "$work/data.bin" "$work/dec/data.bin"

report() { printf '%-34s %7.3f s  %8.1f MiB/s  %5.2fx cp\n' "$1" "$2" "$(echo "$mib / $2" | bc -l)" "$(echo "$t_cp / $2" | bc -l)"; }
echo "file: $mib MiB, warm page cache, $(nproc) cores"
report "cp" "$t_cp"
report "openssl enc -aes-128-ctr" "$t_aes"
report "jmz encrypt (version 66)" "$t_enc"
report "jmz decrypt (version 66)" "$t_dec"
printf 'jmz encrypt / openssl aes-128-ctr: %.2fx\n' "$(echo "$t_aes / $t_enc" | bc -l)"
echo
echo "in memory, 256 MiB buffer, one core:"
"$PWD/build/native/bench/cipher/cipher_bench"
