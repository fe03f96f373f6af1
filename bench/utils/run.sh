#!/usr/bin/env bash
# jmz md5 beside md5sum, and jmz shred beside dd (flushed) and shred -n0 -z -u,
# on a warm-cache file.
# Usage: bench/utils/run.sh [BUILD_DIR] [MIB] [all|md5|shred]
#   SHRED_ROUNDS=N   rounds of the shredding comparison (default 5)
#   JMZ_BEFORE=FILE  another jmz (an older build) shredding in the same rounds
set -euo pipefail
build=${1:-build/native}
mib=${2:-512}
part=${3:-all}
jmz=$build/cli/jmz
work=$(mktemp -d "${TMPDIR:-/tmp}/utilsbench.XXXXXX")
trap 'rm -rf "$work"' EXIT

seconds() { local s e; s=$(date +%s.%N); "$@" >/dev/null 2>&1; e=$(date +%s.%N); echo "$e - $s" | bc -l; }
rate() { echo "scale=0; $mib / $1" | bc -l; }

# Shredding: each tool overwrites a fresh, flushed copy of the same file, in
# rounds whose order alternates; the medians and their ratios to dd, and to
# dd followed by rm (the deletion that shredding also does: on a file system
# mounted with online discard it waits for the device).
median() { sort -n | awk '{v[NR] = $1} END {print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2}'; }
shred_once() {
  cp "$work/f" "$work/s"; sync
  case $1 in
    dd) seconds dd if=/dev/zero of="$work/s" bs=64K count=$((mib * 16)) conv=notrunc,fdatasync; rm -f "$work/s" ;;
    ddrm) seconds bash -c 'dd if=/dev/zero of="$1" bs=64K count=$2 conv=notrunc,fdatasync && rm "$1"' _ "$work/s" $((mib * 16)) ;;
    shred) seconds shred -n0 -z -u "$work/s" ;;
    jmz) seconds "$jmz" shred --yes "$work/s" ;;
    before) seconds "$JMZ_BEFORE" shred --yes "$work/s" ;;
  esac
}
run_shred() {
  local tools=(dd ddrm shred jmz) rounds=${SHRED_ROUNDS:-5} r t
  [[ -n ${JMZ_BEFORE:-} ]] && tools+=(before)
  declare -A times
  for ((r = 0; r < rounds; r++)); do
    local order=("${tools[@]}")
    ((r % 2)) && order=($(printf '%s\n' "${tools[@]}" | tac))
    for t in "${order[@]}"; do times[$t]+="$(shred_once "$t") "; done
  done
  printf '%-34s %10s %10s %10s %10s\n' "shredding ($mib MiB, $rounds rounds)" "median s" "MiB/s" "dd/tool" "dd+rm/tool"
  local t_dd t_ddrm
  t_dd=$(tr ' ' '\n' <<<"${times[dd]}" | grep . | median)
  t_ddrm=$(tr ' ' '\n' <<<"${times[ddrm]}" | grep . | median)
  local -A label=([dd]="dd bs=64K conv=notrunc,fdatasync" [ddrm]="  the same, then rm" [shred]="shred -n0 -z -u"
                  [jmz]="jmz shred --yes" [before]="jmz shred --yes (JMZ_BEFORE)")
  for t in "${tools[@]}"; do
    local m; m=$(tr ' ' '\n' <<<"${times[$t]}" | grep . | median)
    printf '%-34s %10.3f %10s %10.2f %10.2f\n' "${label[$t]}" "$m" "$(rate "$m")" "$(echo "$t_dd / $m" | bc -l)" \
      "$(echo "$t_ddrm / $m" | bc -l)"
  done
}

head -c $((mib << 20)) /dev/urandom >"$work/f"
cat "$work/f" >/dev/null
if [[ $part != shred ]]; then
  printf '%-34s %10s %10s\n' "tool ($mib MiB)" "MiB/s" "ratio"
  t_ref=$(seconds md5sum "$work/f")
  printf '%-34s %10s %10s\n' "md5sum" "$(rate "$t_ref")" "1.00"
  # The ceiling of any reading loop: OpenSSL's digest alone on 1 MiB blocks in memory.
  if command -v openssl >/dev/null; then
    kps=$(openssl speed -bytes 1048576 -seconds 2 md5 2>/dev/null | awk '/^md5/ {sub(/k$/, "", $2); print $2}')
    if [[ -n $kps ]]; then
      mem=$(echo "$kps * 1000 / 1048576" | bc -l)
      printf '%-34s %10.0f %10.2f\n' "MD5 in memory (openssl speed)" "$mem" "$(echo "$mem * $t_ref / $mib" | bc -l)"
    fi
  fi
  for mode in auto stream; do
    t=$(seconds "$jmz" md5 --mode $mode "$work/f")
    printf '%-34s %10s %10.2f\n' "jmz md5 --mode $mode" "$(rate "$t")" "$(echo "$t_ref / $t" | bc -l)"
  done

  # Many files: md5sum over them beside jmz md5 -j 2 (the same bytes in 16 files).
  mkdir "$work/many"
  split -n 16 "$work/f" "$work/many/p"
  cat "$work/many/"* >/dev/null
  t_many=$(seconds md5sum "$work/many/"*)
  printf '%-34s %10s %10s\n' "md5sum, 16 files" "$(rate "$t_many")" "1.00"
  t=$(seconds "$jmz" md5 -j 2 "$work/many/"*)
  printf '%-34s %10s %10.2f\n' "jmz md5 -j 2, 16 files" "$(rate "$t")" "$(echo "$t_many / $t" | bc -l)"
  rm -rf "$work/many"
fi
[[ $part == md5 ]] || run_shred

# The window's check beside jmz.exe md5 under Wine (needs the win64 build).
if [[ $part == all && ${WINDOW_BENCH:-1} == 1 ]] && command -v wine64 >/dev/null 2>&1 && [[ -d build/win64 ]]; then
  cmake --build --preset win64 --target window_md5_bench jmz >/dev/null
  cmake/wine-run.sh build/win64/bench/utils/win32/window_md5_bench.exe "Z:$(realpath build/win64/cli/jmz.exe | tr / '\\\\')" "$mib" 3
fi
