#!/usr/bin/env bash
# Runs every test on a fresh machine: installs what the project needs, builds
# and tests the native core, again under AddressSanitizer and UBSan, builds the
# 64-bit Windows programs and runs their tests under Wine, and builds the
# 32-bit Windows programs (this kernel cannot run them).
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh

jobs=$(nproc)
logs=$(mktemp -d)
trap 'rm -rf "$logs"; [ -x cmake/wine-run.sh ] && cmake/wine-run.sh --stop build/win64 >/dev/null 2>&1 || true' EXIT

configure_and_build() {
  echo "== build: $1"
  cmake --preset "$1" >/dev/null
  cmake --build --preset "$1" -j "$jobs"
}

run_tests() {
  echo "== test: $1"
  local status=0
  # jmz.exe's test also exchanges containers with the Linux jmz.
  XCJM_NATIVE_JMZ=$PWD/build/native/cli/jmz ctest --preset "$1" -j "$jobs" 2>&1 | tee "$logs/$1.log" || status=$?
  return $status
}

failed=0
for preset in native native-asan win64; do
  configure_and_build "$preset"
  run_tests "$preset" || failed=1
done
# The tests that start threads, under ThreadSanitizer (a race fails them).
configure_and_build native-tsan
run_tests native-tsan || failed=1
configure_and_build win32
# The 32-bit programs must be able to address more than 2 GiB.
for exe in build/win32/app/win32/xcjm.exe build/win32/cli/jmz.exe; do
  # grep reads everything (no -q): an early exit would fail objdump's side
  # of the pipe under pipefail.
  if ! i686-w64-mingw32-objdump -p "$exe" | grep -i "large address aware" >/dev/null; then
    echo "$exe is not large-address-aware"
    failed=1
  fi
done
# Every fuzz target for a short bounded time on its seed corpus (a crash, a
# hang or a failed check fails it).
configure_and_build fuzz
run_tests fuzz || failed=1

# One summary over all runs, in ctest's own words.
total=0
bad=0
for log in "$logs"/*.log; do
  line=$(grep -E 'tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -n 1 || true)
  [ -n "$line" ] || { failed=1; continue; }
  n=$(sed -E 's/.* out of ([0-9]+).*/\1/' <<<"$line")
  f=$(sed -E 's/.*passed, ([0-9]+) tests? failed.*/\1/' <<<"$line")
  total=$((total + n))
  bad=$((bad + f))
done
passed=$((total - bad))
percent=0
[ "$total" -gt 0 ] && percent=$((100 * passed / total))
echo
echo "== all presets (native, native-asan, win64, native-tsan, fuzz; win32 built)"
echo "${percent}% tests passed, ${bad} tests failed out of ${total}"
[ "$failed" -eq 0 ] && [ "$bad" -eq 0 ]
