#!/usr/bin/env bash
# Packages with the real program as stub: jmz.exe under Wine packs a
# container behind xcjm.exe, describes, separates and self-decrypts it; when
# XCJM_NATIVE_JMZ names the Linux build of jmz, each build reads the
# packages of the other.
#   sfx_exe_test.sh WINE_RUN JMZ_EXE XCJM_EXE
set -euo pipefail
wine_run=$1
jmz_exe=$2
program=$3
native=${XCJM_NATIVE_JMZ:-}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$program" "$work/xcjm.exe"
cd "$work"

win() { "$wine_run" "$jmz_exe" "$@"; }
fail() { echo "FAILED: $*" >&2; exit 1; }

mkdir out sep dec nat
head -c 400000 /dev/urandom > '照片.jpg'
key='钥匙 key'
win encrypt -k "$key" '照片.jpg' >/dev/null
size=$(stat -c %s xcjm.exe)
carried=$(stat -c %s '照片.jmz')

win sfx-create --stub xcjm.exe -o out '照片.jmz' | tr -d '\r' | grep -q '^创建自解密文件已完成:.*照片.exe$' ||
  fail "no completion line for the package"
[ "$(stat -c %s 'out/照片.exe')" -eq $((size + 225 + carried)) ] || fail "package length"
win info 'out/照片.exe' | tr -d '\r' |
  grep -q "image $size bytes, package: carried name \"照片.jmz\", carried size $carried bytes" || fail "info"

win sfx-separate -o sep 'out/照片.exe' >/dev/null
cmp '照片.jmz' 'sep/照片.jmz' || fail "separated container differs"
cmp xcjm.exe 'sep/星尘 文件加密.exe' || fail "tool copy differs from the program"
win sfx-decrypt -k "$key" -o dec 'out/照片.exe' >/dev/null
cmp '照片.jpg' 'dec/照片.jpg' || fail "self-decrypted file differs"

if [ -n "$native" ]; then
  # The Windows build's package read on Linux, and the Linux build's read under Wine.
  "$native" sfx-separate -o nat 'out/照片.exe' >/dev/null
  cmp '照片.jmz' 'nat/照片.jmz' || fail "native separation differs"
  "$native" sfx-decrypt -k "$key" -o nat 'out/照片.exe' >/dev/null
  cmp '照片.jpg' 'nat/照片.jpg' || fail "native self-decryption differs"
  rm -rf out/*
  "$native" sfx-create --stub xcjm.exe -o out '照片.jmz' >/dev/null
  win info 'out/照片.exe' | tr -d '\r' | grep -q "image $size bytes, package: carried name \"照片.jmz\"" ||
    fail "the Windows build does not see the native build's package"
fi
echo "sfx_exe_test: all passed"
