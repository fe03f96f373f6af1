#!/usr/bin/env bash
# jmz.exe under Wine: Chinese names and keys, every writable version, compressed
# and compress-only files, and (when XCJM_NATIVE_JMZ names the Linux build of
# jmz) containers that each build writes and the other reads.
#   jmz_exe_test.sh WINE_RUN JMZ_EXE
set -euo pipefail
wine_run=$1
jmz_exe=$2
native=${XCJM_NATIVE_JMZ:-}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

win() { "$wine_run" "$jmz_exe" "$@"; }
fail() { echo "FAILED: $*" >&2; exit 1; }

mkdir out back
printf '星尘 文件加密\r\n' > '说明.txt'
head -c 300000 /dev/urandom > 'photo.jpg'
key='钥匙 key'

log=$(win encrypt -k "$key" -l 2 -o out '说明.txt' photo.jpg | tr -d '\r')
echo "$log"
grep -q '^加密文件已完成:.*说明.txt$' <<<"$log" || fail "no completion line for 说明.txt"
[ -f 'out/说明.jmz' ] && [ -f out/photo.jmz ] || fail "containers missing"

win decrypt -k "$key" -o back 'out/说明.jmz' out/photo.jmz >/dev/null
cmp '说明.txt' 'back/说明.txt' || fail "说明.txt differs"
cmp photo.jpg back/photo.jpg || fail "photo.jpg differs"

if win decrypt -k 'wrong key' -o back 'out/说明.jmz' >/dev/null; then fail "a wrong key was accepted"; fi

# The authenticated container under Windows alone: round trip, wrong key refused.
rm -rf out/* back/*
win encrypt --aead --kdf-memory 8 --kdf-passes 1 -k "$key" -o out photo.jpg >/dev/null
if win decrypt -k 'wrong key' -o back out/photo.jmz >/dev/null; then fail "a wrong key opened an authenticated container"; fi
[ -z "$(ls back)" ] || fail "a refused authenticated container left output"
win decrypt -k "$key" -o back out/photo.jmz >/dev/null
cmp photo.jpg back/photo.jpg || fail "authenticated container"

for v in 66 56 38 18 11; do
  rm -rf out/* back/*
  win encrypt --format-version "$v" -k "$key" -o out photo.jpg >/dev/null
  win decrypt -k "$key" -o back out/photo.jmz >/dev/null
  cmp photo.jpg back/photo.jpg || fail "version $v"
done

if [ -n "$native" ]; then
  rm -rf out/* back/*
  win encrypt -k "$key" -l 1 -o out '说明.txt' >/dev/null
  "$native" decrypt -k "$key" -o back 'out/说明.jmz' >/dev/null
  cmp '说明.txt' 'back/说明.txt' || fail "jmz.exe container read by Linux jmz"
  rm -rf out/* back/*
  "$native" nokey-encrypt -k "$key" -o out photo.jpg >/dev/null
  win nokey-decrypt -k "$key" -o back out/photo.jpg.jmz >/dev/null
  cmp photo.jpg back/photo.jpg || fail "Linux no-key container read by jmz.exe"
  # Authenticated containers, each way, with a key outside GBK.
  akey='🔑 密钥'
  rm -rf out/* back/*
  win encrypt --aead --kdf-memory 8 --kdf-passes 1 -k "$akey" -l 3 -o out '说明.txt' photo.jpg >/dev/null
  "$native" decrypt -k "$akey" -o back 'out/说明.jmz' out/photo.jmz >/dev/null
  cmp '说明.txt' 'back/说明.txt' && cmp photo.jpg back/photo.jpg || fail "jmz.exe authenticated container read by Linux jmz"
  rm -rf out/* back/*
  "$native" encrypt --aead --kdf-memory 8 --kdf-passes 1 -k "$akey" -o out photo.jpg >/dev/null
  win decrypt -k "$akey" -o back out/photo.jmz >/dev/null
  cmp photo.jpg back/photo.jpg || fail "Linux authenticated container read by jmz.exe"
  echo "cross-checked with $native"
fi
echo "jmz.exe: all checks passed"
