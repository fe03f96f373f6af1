#!/usr/bin/env bash
# Package creation and separation beside cp of the same bytes, and
# self-decryption beside plain decryption, on a warm-cache file.
# Usage: bench/sfx/run.sh [BUILD_DIR] [MIB] [STUB.exe]
# Without STUB a minimal Windows image (64 KiB) is made for the run.
set -euo pipefail
build=${1:-build/native}
mib=${2:-512}
jmz=$build/cli/jmz
work=$(mktemp -d "${TMPDIR:-/tmp}/sfxbench.XXXXXX")
trap 'rm -rf "$work"' EXIT

# Each step starts with no dirty pages, so that no step pays for the writes of the one before.
seconds() { local s e; sync; s=$(date +%s.%N); "$@" >/dev/null 2>&1; e=$(date +%s.%N); echo "$e - $s" | bc -l; }
rate() { echo "scale=0; $mib / $1" | bc -l; }
row() { printf '%-40s %10s %10.2f\n' "$1" "$(rate "$2")" "$(echo "$3 / $2" | bc -l)"; }

stub=${3:-}
if [ -z "$stub" ]; then
  stub=$work/stub.exe
  python3 - "$stub" <<'PY'
import struct, sys
b = bytearray(0x200 + 0x10000)
b[0:2] = b"MZ"; struct.pack_into("<I", b, 0x3C, 0x80); b[0x80:0x84] = b"PE\0\0"
struct.pack_into("<HHIIIHH", b, 0x84, 0x8664, 1, 0, 0, 0, 240, 0x22)
struct.pack_into("<H", b, 0x98, 0x20B); struct.pack_into("<I", b, 0x98 + 108, 16)
struct.pack_into("<II", b, 0x98 + 240 + 16, 0x10000, 0x200)
open(sys.argv[1], "wb").write(b)
PY
fi

rounds=${ROUNDS:-3}
head -c $((mib << 20)) /dev/urandom >"$work/data.bin"
"$jmz" encrypt -k bench -o "$work" "$work/data.bin" >/dev/null
cat "$work/data.jmz" >/dev/null

# The tools run in turn, `rounds` times; each keeps its best time, since on
# a shared disk the slow runs measure the neighbours.
best() { if [ -z "${!1:-}" ] || [ "$(echo "$2 < ${!1}" | bc -l)" = 1 ]; then printf -v "$1" '%s' "$2"; fi; }
for ((r = 0; r < rounds; r++)); do
  rm -rf "$work/cp" "$work/pkg" "$work/sep" "$work/dec" "$work/self"
  mkdir -p "$work/cp" "$work/pkg" "$work/sep" "$work/dec" "$work/self"
  best t_cp "$(seconds cp "$work/data.jmz" "$work/cp/data.jmz")"
  best t_create "$(seconds "$jmz" sfx-create --stub "$stub" -o "$work/pkg" "$work/data.jmz")"
  best t_separate "$(seconds "$jmz" sfx-separate -o "$work/sep" "$work/pkg/data.exe")"
  cmp "$work/sep/data.jmz" "$work/data.jmz"
  best t_dec "$(seconds "$jmz" decrypt -k bench -o "$work/dec" "$work/data.jmz")"
  best t_self "$(seconds "$jmz" sfx-decrypt -k bench -o "$work/self" "$work/pkg/data.exe")"
  cmp "$work/self/data.bin" "$work/data.bin"
done

printf '%-40s %10s %10s\n' "tool ($mib MiB carried, best of $rounds)" "MiB/s" "ratio"
printf '%-40s %10s %10s\n' "cp (the .jmz)" "$(rate "$t_cp")" "1.00"
row "jmz sfx-create" "$t_create" "$t_cp"
row "jmz sfx-separate" "$t_separate" "$t_cp"
printf '%-40s %10s %10s\n' "jmz decrypt (the .jmz)" "$(rate "$t_dec")" "1.00"
row "jmz sfx-decrypt (the package)" "$t_self" "$t_dec"
