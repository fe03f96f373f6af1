#!/usr/bin/env bash
# Builds the release packages into build/release/: a zip per Windows
# architecture (xcjm.exe stripped, jmz.exe, a short read-me) and a Debian
# package of jmz with its manual page and bash completion. The version is the
# project's version in CMakeLists.txt.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
out=$PWD/build/release
mkdir -p "$out"
jobs=${XCJM_JOBS:-2}

# One configuration per package: only the programs, no tests or benchmarks.
# The install step does not build everything; the targets are built here.
package() {  # name, targets..., -- extra cmake arguments
  local name=$1; shift
  local targets=()
  while (($#)) && [ "$1" != -- ]; do targets+=("$1"); shift; done
  shift
  local dir=build/release-$name
  cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DXCJM_BENCH=OFF -DXCJM_WIN_TESTS=OFF \
    -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON "$@" >/dev/null
  cmake --build "$dir" -j "$jobs" --target "${targets[@]}" >/dev/null
  (cd "$dir" && cpack -B "$out" >/dev/null)
  echo "$name: done"
}

package win64 xcjm jmz -- -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
package win32 xcjm jmz -- -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-i686.cmake
package linux jmz jmz_manpage --

rm -rf "$out/_CPack_Packages"
ls -l "$out"/*.zip "$out"/*.deb
