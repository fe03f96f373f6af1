#!/usr/bin/env bash
# Kills jmz with SIGKILL at random moments of each job, many times, and checks
# what is left: nothing incomplete under a result's name (a file under that
# name must decrypt or expand to the source), anything else only under the
# temporary name "~xcjm-….part", the source unchanged. Shredding may leave its
# file only in one of its own stages.
#
#   kill_runs_test.sh JMZ [KILLS_PER_JOB]
set -u
jmz=$1
kills=${2:-12}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

# 4 MiB of noise and 4 MiB of text: slow enough to be killed inside a job.
head -c 4M /dev/urandom >"$work/a.bin"
yes 'a line of text that compresses well, number 12345' | head -c 4M >>"$work/a.bin"
src=$work/a.bin

is_temporary() { [[ $1 =~ ^~xcjm-[0-9a-f]{16}\.part$ ]]; }

# Decrypts or expands $1 and compares the result with the source.
restores_source() {
  local check=$work/check
  rm -rf "$check" && mkdir -p "$check"
  "$jmz" decrypt -k key -o "$check" "$1" >/dev/null 2>&1 || return 1
  local out
  out=$(ls -A "$check")
  [ "$(wc -l <<<"$out")" -eq 1 ] && cmp -s "$check/$out" "$src"
}

# Same bytes as the source after decryption without a key check.
nokey_restores_source() {
  local check=$work/check
  rm -rf "$check" && mkdir -p "$check"
  "$jmz" nokey-decrypt -k key -o "$check" "$1" >/dev/null 2>&1 || return 1
  cmp -s "$check/$(ls -A "$check")" "$src"
}

plain_is_source() { cmp -s "$1" "$src"; }

# Every file of folder $1 is a temporary file or a complete result named $2
# (checked by function $3); intermediates in the temporary folder $4 must be
# complete as well (checked by $5).
check_left() {
  local dir=$1 final=$2 verify=$3 tmp=$4 verifyTmp=$5 what=$6 f name
  for f in "$dir"/* "$dir"/.[!.]*; do
    [ -e "$f" ] || continue
    name=$(basename "$f")
    if is_temporary "$name"; then continue; fi
    if [ "$name" = "$final" ]; then
      "$verify" "$f" || fail "$what: incomplete result $name"
    else
      fail "$what: unexpected file $name"
    fi
  done
  for f in "$tmp"/* "$tmp"/.[!.]*; do
    [ -e "$f" ] || continue
    name=$(basename "$f")
    if is_temporary "$name"; then continue; fi
    "$verifyTmp" "$f" || fail "$what: incomplete intermediate $name"
  done
}

# Runs `jmz $@` and kills it after a random part of $duration.
run_and_kill() {
  local ms=$((RANDOM % (duration_ms + duration_ms / 5 + 1)))
  "$jmz" "$@" >/dev/null 2>&1 &
  local pid=$!
  sleep "$(printf '%d.%03d' $((ms / 1000)) $((ms % 1000)))"
  kill -9 "$pid" 2>/dev/null
  wait "$pid" 2>/dev/null
}

# Milliseconds of one uninterrupted run of `jmz $@`.
time_run() {
  local start end
  start=$(date +%s%N)
  "$jmz" "$@" >/dev/null 2>&1
  end=$(date +%s%N)
  echo $(((end - start) / 1000000))
}

sum=$(md5sum <"$src")

# Job: name, result name, check of a result, check of an intermediate, input, jmz arguments.
job() {
  local what=$1 final=$2 verify=$3 verifyTmp=$4 input=$5
  shift 5
  local out=$work/out tmp=$work/tmp i killed=0 finished=0 partial=0
  rm -rf "$out" "$tmp" && mkdir -p "$out" "$tmp"
  duration_ms=$(TMPDIR=$tmp time_run "$@" -o "$out" "$input")
  [ -e "$out/$final" ] || fail "$what: the uninterrupted run made no $final"
  for ((i = 0; i < kills; i++)); do
    rm -rf "$out" "$tmp" && mkdir -p "$out" "$tmp"
    TMPDIR=$tmp run_and_kill "$@" -o "$out" "$input"
    check_left "$out" "$final" "$verify" "$tmp" "$verifyTmp" "$what (kill $i)"
    if [ -e "$out/$final" ]; then
      finished=$((finished + 1))
    elif [ -n "$(ls -A "$out" "$tmp")" ]; then
      partial=$((partial + 1))
    fi
    [ "$(md5sum <"$input")" = "$input_sum" ] || fail "$what: the source changed"
    killed=$((killed + 1))
  done
  echo "$what: $killed kills within ${duration_ms} ms runs ($finished after the result, $partial left temporary files)"
}

input_sum=$sum
job "encrypt" a.jmz restores_source restores_source "$src" encrypt -k key
job "compress and encrypt" a.jmz restores_source restores_source "$src" encrypt -k key -l 2
job "compress only" a.bin.zak restores_source restores_source "$src" encrypt -k '' -l 2
job "no-key encrypt" a.bin.jmz nokey_restores_source nokey_restores_source "$src" nokey-encrypt -k key

# The decryptions start from containers made without interruption.
mkdir -p "$work/made" "$work/made-l2" "$work/made-zak" "$work/made-nokey"
"$jmz" encrypt -k key -o "$work/made" "$src" >/dev/null 2>&1
"$jmz" encrypt -k key -l 2 -o "$work/made-l2" "$src" >/dev/null 2>&1
"$jmz" encrypt -k '' -l 2 -o "$work/made-zak" "$src" >/dev/null 2>&1
"$jmz" nokey-encrypt -k key -o "$work/made-nokey" "$src" >/dev/null 2>&1
for c in made/a.jmz made-l2/a.jmz made-zak/a.bin.zak made-nokey/a.bin.jmz; do
  input_sum=$(md5sum <"$work/$c")
  case $c in
    made-nokey/*) job "no-key decrypt" a.bin plain_is_source plain_is_source "$work/$c" nokey-decrypt -k key ;;
    *) job "decrypt $c" a.bin plain_is_source restores_source "$work/$c" decrypt -k key ;;
  esac
done

# Package creation, where this jmz has it: the smallest program image the
# package reader accepts (0x200 bytes of headers, one section of 0x1000
# bytes) leads each package. A package's bytes follow from the stub and the
# container, so a complete one equals the uninterrupted run's.
put() { printf "$2" | dd of="$work/stub.exe" bs=1 seek=$(($1)) conv=notrunc status=none; }
if "$jmz" --help 2>&1 | grep -q 'sfx-create'; then
  head -c 512 /dev/zero >"$work/stub.exe"
  head -c 4096 /dev/zero | tr '\0' '\220' >>"$work/stub.exe"
  put 0 'MZ'
  put 0x3C '\x80\0\0\0'
  put 0x80 'PE\0\0'
  put 0x86 '\x01\0'
  put 0x94 '\xf0\0'
  put 0x98 '\x0b\x02'
  put 0x104 '\x10\0\0\0'
  put 0x198 '\0\x10\0\0'
  put 0x19C '\0\x02\0\0'
  mkdir -p "$work/made-sfx"
  "$jmz" sfx-create --stub "$work/stub.exe" -o "$work/made-sfx" "$work/made/a.jmz" >/dev/null 2>&1
  package=$(ls -A "$work/made-sfx")
  [ -n "$package" ] || fail "sfx-create made no package"
  same_package() { cmp -s "$1" "$work/made-sfx/$package"; }
  input_sum=$(md5sum <"$work/made/a.jmz")
  job "package" "$package" same_package same_package "$work/made/a.jmz" sfx-create --stub "$work/stub.exe"
else
  echo "package: this jmz has no sfx-create, not run"
fi

# Shredding: the file stays whole with a zeroed front, or is gone, or is the
# re-created file of at most one zero byte.
shred_state_ok() {
  local f=$1 size first
  [ -e "$f" ] || return 0
  size=$(stat -c %s "$f")
  if [ "$size" -le 1 ]; then cmp -s -n "$size" "$f" /dev/zero; return; fi
  [ "$size" -eq "$(stat -c %s "$src")" ] || return 1
  first=$(cmp "$f" /dev/zero 2>/dev/null | sed -E 's/.* byte ([0-9]+),.*/\1/')
  [ -z "$first" ] && return 0
  cmp -s -i $((first - 1)) "$f" "$src"
}
cp "$src" "$work/s.bin"
duration_ms=$(time_run shred --yes "$work/s.bin")
[ -e "$work/s.bin" ] && fail "shred: the uninterrupted run left the file"
for ((i = 0; i < kills; i++)); do
  cp "$src" "$work/s.bin"
  run_and_kill shred --yes "$work/s.bin"
  shred_state_ok "$work/s.bin" || fail "shred (kill $i): the file is in no state of the job"
  for f in "$work"/*; do
    case $(basename "$f") in a.bin | s.bin | stub.exe | made* | out | tmp | check) ;; *) fail "shred: left $(basename "$f")" ;; esac
  done
done
echo "shred: $kills kills within ${duration_ms} ms runs"

[ "$failures" -eq 0 ] && echo "all kill runs left only complete results and temporary files"
[ "$failures" -eq 0 ]
