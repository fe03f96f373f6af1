#!/usr/bin/env bash
# jmz md5 beside md5sum, and jmz shred beside dd (flushed) and shred -n0 -z -u,
# on a warm-cache file. Usage: bench/utils/run.sh [BUILD_DIR] [MIB]
set -euo pipefail
build=${1:-build/native}
mib=${2:-512}
jmz=$build/cli/jmz
work=$(mktemp -d "${TMPDIR:-/tmp}/utilsbench.XXXXXX")
trap 'rm -rf "$work"' EXIT

seconds() { local s e; s=$(date +%s.%N); "$@" >/dev/null 2>&1; e=$(date +%s.%N); echo "$e - $s" | bc -l; }
rate() { echo "scale=0; $mib / $1" | bc -l; }

head -c $((mib << 20)) /dev/urandom >"$work/f"
cat "$work/f" >/dev/null
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

# Shredding: each tool overwrites a fresh copy of the same length.
cp "$work/f" "$work/d"; sync
t_dd=$(seconds dd if=/dev/zero of="$work/d" bs=64K count=$((mib * 16)) conv=notrunc,fdatasync)
printf '%-34s %10s %10s\n' "dd bs=64K conv=notrunc,fdatasync" "$(rate "$t_dd")" "1.00"
cp "$work/f" "$work/s"; sync
t=$(seconds shred -n0 -z -u "$work/s")
printf '%-34s %10s %10.2f\n' "shred -n0 -z -u" "$(rate "$t")" "$(echo "$t_dd / $t" | bc -l)"
cp "$work/f" "$work/j"; sync
t=$(seconds "$jmz" shred --yes "$work/j")
printf '%-34s %10s %10.2f\n' "jmz shred --yes" "$(rate "$t")" "$(echo "$t_dd / $t" | bc -l)"

# The window's check beside jmz.exe md5 under Wine (needs the win64 build).
if [[ ${WINDOW_BENCH:-1} == 1 ]] && command -v wine64 >/dev/null 2>&1 && [[ -d build/win64 ]]; then
  cmake --build --preset win64 --target window_md5_bench jmz >/dev/null
  cmake/wine-run.sh build/win64/bench/utils/win32/window_md5_bench.exe "Z:$(realpath build/win64/cli/jmz.exe | tr / '\\\\')" "$mib" 3
fi
