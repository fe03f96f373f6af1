#!/usr/bin/env bash
# The authenticated container beside its peers, in one run, warm cache:
#  - payload throughput of `jmz encrypt --aead` and `jmz decrypt` on one file
#    (1 GiB by default) with the key derivation at its smallest, beside `cp`,
#    `age -r` (an X25519 recipient: no key derivation) and
#    `gpg --symmetric --cipher-algo AES256 --compress-algo none`, and a plain
#    read-write loop (`dd bs=4M`, the ceiling of any tool that passes the
#    bytes through its own buffers; `cp` copies inside the kernel); the commands
#    take turns round by round and each keeps its best time;
#  - the key derivation at the written parameters (Argon2id, 256 MiB, 3 passes)
#    beside `argon2 -id -t 3 -k 262144 -p 1`, and a batch of 100 small files,
#    which costs one derivation;
#  - the peak memory of encrypting the file at the written parameters.
# Usage: bench/aead/run.sh [size in MiB, default 1024] [rounds, default 3]
set -euo pipefail
cd "$(dirname "$0")/../.."
. bench/common.sh

mib=${1:-1024}
rounds=${2:-3}
for tool in age age-keygen gpg argon2; do
  command -v "$tool" >/dev/null || { echo "bench/aead needs $tool: run scripts/install-deps.sh" >&2; exit 1; }
done
bench_build native jmz
jmz=$PWD/build/native/cli/jmz

bench_workdir jmz-aead-bench
export GNUPGHOME=$work/gnupg
mkdir -m 700 "$GNUPGHOME"
bench_random_file "$mib" "$work/data.bin"
key="bench key 0123"
small=(--kdf-memory 1 --kdf-passes 1)
age-keygen -o "$work/age.key" 2>/dev/null
recipient=$(age-keygen -y "$work/age.key")
mkdir "$work/enc0"
"$jmz" encrypt --aead "${small[@]}" -k "$key" -o "$work/enc0" "$work/data.bin" >/dev/null
age -r "$recipient" -o "$work/enc0/data.age" "$work/data.bin"
gpg --batch --quiet --pinentry-mode loopback --passphrase "$key" --symmetric --cipher-algo AES256 \
  --compress-algo none -o "$work/enc0/data.gpg" "$work/data.bin"
cat "$work/data.bin" "$work/enc0/"* > /dev/null

names=(cp dd jmz-encrypt jmz-decrypt age-encrypt age-decrypt gpg-encrypt gpg-decrypt)
declare -A best
run() {  # one run of $1 into $work/out
  case $1 in
    cp | dd) copy_baseline "$1" ;;
    jmz-encrypt) "$jmz" encrypt --aead "${small[@]}" -k "$key" -o "$work/out" "$work/data.bin" >/dev/null ;;
    jmz-decrypt) "$jmz" decrypt -k "$key" -o "$work/out" "$work/enc0/data.jmz" >/dev/null ;;
    age-encrypt) age -r "$recipient" -o "$work/out/data.age" "$work/data.bin" ;;
    age-decrypt) age -d -i "$work/age.key" -o "$work/out/data.bin" "$work/enc0/data.age" ;;
    gpg-encrypt) gpg --batch --quiet --pinentry-mode loopback --passphrase "$key" --symmetric --cipher-algo AES256 \
                   --compress-algo none -o "$work/out/data.gpg" "$work/data.bin" ;;
    gpg-decrypt) gpg --batch --quiet --pinentry-mode loopback --passphrase "$key" -d -o "$work/out/data.bin" \
                   "$work/enc0/data.gpg" 2>/dev/null ;;
  esac
}
check() { case $1 in *-decrypt) cmp "$work/data.bin" "$work/out/data.bin" ;; esac; }
best_of_turns "$rounds" run check "${names[@]}"

report() { report_vs_cp 44 "$@"; }
report_cp_and_dd 44
report "jmz encrypt --aead (KDF 1 MiB, 1 pass)" "${best[jmz-encrypt]}"
report "jmz decrypt (authenticated)" "${best[jmz-decrypt]}"
report "age -r (X25519, no KDF)" "${best[age-encrypt]}"
report "age -d" "${best[age-decrypt]}"
report "gpg --symmetric AES256, no compression" "${best[gpg-encrypt]}"
report "gpg -d" "${best[gpg-decrypt]}"
ratio() { echo "$1 / $2" | bc -l; }
printf 'jmz encrypt vs age: %.2fx  vs gpg: %.2fx   jmz decrypt vs age: %.2fx  vs gpg: %.2fx\n' \
  "$(ratio "${best[age-encrypt]}" "${best[jmz-encrypt]}")" "$(ratio "${best[gpg-encrypt]}" "${best[jmz-encrypt]}")" \
  "$(ratio "${best[age-decrypt]}" "${best[jmz-decrypt]}")" "$(ratio "${best[gpg-decrypt]}" "${best[jmz-decrypt]}")"

echo
echo "key derivation at the written parameters (Argon2id, 256 MiB, 3 passes, 1 lane), best of $rounds:"
printf 'x' > "$work/one.txt"
mkdir -p "$work/batch"
for i in $(seq 1 100); do printf 'file %d\n' "$i" > "$work/batch/f$i.txt"; done
declare -A kdf
timed() {  # best time of "$@" into kdf[$name]
  local name=$1 t0
  shift
  rm -rf "$work/out" && mkdir "$work/out"
  t0=$(date +%s.%N)
  "$@" >/dev/null
  keep_best kdf "$name" "$(seconds_since "$t0")"
}
for ((r = 0; r < rounds; r++)); do
  timed argon2 sh -c "printf '%s' '$key' | argon2 somesaltsomesalt -id -t 3 -k 262144 -p 1 -l 32"
  timed one "$jmz" encrypt --aead -k "$key" -o "$work/out" "$work/one.txt"
  timed batch "$jmz" encrypt --aead -k "$key" -o "$work/out" "$work/batch/"*.txt
done
printf '%-44s %7.3f s\n' "argon2 -id -t 3 -k 262144 -p 1" "${kdf[argon2]}"
printf '%-44s %7.3f s  (%.2fx argon2)\n' "jmz encrypt --aead, one 1-byte file" "${kdf[one]}" "$(ratio "${kdf[one]}" "${kdf[argon2]}")"
printf '%-44s %7.3f s  (%.2fx one file)\n' "jmz encrypt --aead, 100 small files" "${kdf[batch]}" "$(ratio "${kdf[batch]}" "${kdf[one]}")"

echo
rm -rf "$work/out" && mkdir "$work/out"
peak=$( { /usr/bin/time -f '%M' "$jmz" encrypt --aead -k "$key" -o "$work/out" "$work/data.bin" >/dev/null; } 2>&1 | tail -n 1)
printf 'peak memory of jmz encrypt --aead on %d MiB at the written parameters: %d MiB (limit 320 MiB)\n' \
  "$mib" "$((peak / 1024))"
