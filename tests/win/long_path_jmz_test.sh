#!/usr/bin/env bash
# jmz.exe under Wine on a file whose full path is over 300 characters:
# encrypt, decrypt, MD5 and shred.
#   long_path_jmz_test.sh WINE_RUN JMZ_EXE
set -euo pipefail
wine_run=$1
jmz_exe=$2

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

win() { "$wine_run" "$jmz_exe" "$@" | tr -d '\r'; }
fail() { echo "FAILED: $*" >&2; exit 1; }

deep=$(printf 'a%.0s' $(seq 90))/$(printf 'b%.0s' $(seq 90))/$(printf 'c%.0s' $(seq 90))/星尘目录
mkdir -p "$deep/out" "$deep/back"
file="$deep/一个很长的路径下的文件.txt"
head -c 100000 /dev/urandom >"$file"
full="$work/$file"
[ "${#full}" -gt 300 ] || fail "the path is only ${#full} characters"
key='长路径 key'

win encrypt -k "$key" -o "$deep/out" "$file" | grep -q '^加密文件已完成:' || fail "encrypt"
container="$deep/out/一个很长的路径下的文件.jmz"
[ -f "$container" ] || fail "no container"
win decrypt -k "$key" -o "$deep/back" "$container" >/dev/null
cmp "$file" "$deep/back/一个很长的路径下的文件.txt" || fail "the decrypted file differs"

expected=$(md5sum "$file" | cut -c1-32)
win md5 "$file" | grep -qi "$expected" || fail "md5 does not show $expected"

win shred --yes "$file" >/dev/null
[ ! -e "$file" ] || fail "the shredded file still exists"
echo "jmz.exe on a ${#full}-character path: all checks passed"
