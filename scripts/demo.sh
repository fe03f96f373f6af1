#!/usr/bin/env bash
# The product's main job on a fresh machine: builds the jmz tool, encrypts a
# few sample files (compressed first) into .jmz containers and decrypts them
# again, showing the files and the log lines.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
cmake --preset native >/dev/null
cmake --build --preset native --target jmz >/dev/null
jmz=$PWD/build/native/cli/jmz

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
mkdir plain encrypted decrypted
printf '星尘 文件加密: 一个示例文件。\r\nA sample file.\r\n' > plain/说明.txt
head -c 3000000 /dev/urandom > plain/photo.jpg
printf 'no extension here\n' > plain/README
seq 1 200000 > plain/numbers.csv
key='示例密钥 demo key'

echo "== source files"
ls -l plain
echo
echo "== jmz encrypt -l 2 -j 2 -o encrypted plain/*   (compressed, then encrypted; two files at once)"
"$jmz" encrypt -k "$key" -l 2 -j 2 -o encrypted plain/*
echo
echo "== encrypted files"
ls -l encrypted
"$jmz" info encrypted/*
echo
echo "== jmz decrypt with a wrong key (refused)"
"$jmz" decrypt -k "wrong key 12345678" -o decrypted "encrypted/说明.jmz" || true
echo
echo "== jmz decrypt -o decrypted encrypted/*"
"$jmz" decrypt -k "$key" -j 2 -o decrypted encrypted/*
echo
echo "== decrypted files"
ls -l decrypted
for f in plain/*; do
  cmp "$f" "decrypted/$(basename "$f")"
done
echo "every decrypted file equals its source"
echo
echo "== compress only (empty key): jmz encrypt -k '' -l 3, then jmz decrypt"
mkdir packed unpacked
"$jmz" encrypt -k '' -l 3 -o packed plain/numbers.csv
ls -l plain/numbers.csv packed
"$jmz" decrypt -o unpacked packed/numbers.csv.zak
cmp plain/numbers.csv unpacked/numbers.csv && echo "numbers.csv expanded unchanged"
