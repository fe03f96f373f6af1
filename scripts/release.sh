#!/usr/bin/env bash
# Builds the release packages into build/release/:
#   xcjm-VERSION-win64.zip, -win32.zip   the programs (xcjm.exe stripped and
#                                        signed, jmz.exe), read-me, licence, notices
#   xcjm-VERSION-win64.msi, -win32.msi   the per-user installers of the same files
#   jmz_VERSION_amd64.deb                jmz with its manual page and bash completion
#   xcjm-VERSION-source.tar.gz           the source of this release (the LGPL
#                                        libraries' relinking needs it)
# The version is the project's version in CMakeLists.txt.
#
#   release.sh [--cert CERT.pem --key KEY.pem [--key-pass-file FILE]]
#
# The Windows programs are signed with the given certificate and key (PEM);
# without them, with a test certificate made here for this build alone
# (build/release/signing/, never part of the repository).
set -euo pipefail
cd "$(dirname "$0")/.."

cert="" key="" pass_file=""
while (($#)); do
  case $1 in
    --cert) cert=$(realpath "$2"); shift 2 ;;
    --key) key=$(realpath "$2"); shift 2 ;;
    --key-pass-file) pass_file=$(realpath "$2"); shift 2 ;;
    *) echo "usage: release.sh [--cert CERT.pem --key KEY.pem [--key-pass-file FILE]]" >&2; exit 2 ;;
  esac
done
if { [ -n "$cert" ] && [ -z "$key" ]; } || { [ -z "$cert" ] && [ -n "$key" ]; }; then
  echo "release.sh: --cert and --key go together" >&2
  exit 2
fi

bash scripts/install-deps.sh
out=$PWD/build/release
rm -rf "$out"
mkdir -p "$out"
jobs=${XCJM_JOBS:-2}
version=$(sed -n 's/^project(xcjm VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
# Dates inside the packages (the changelog's) are the last commit's.
SOURCE_DATE_EPOCH=$(git log -1 --format=%ct)
export SOURCE_DATE_EPOCH

# One configuration per package: only the programs, no tests or benchmarks.
configure_and_build() {  # dir, targets..., -- extra cmake arguments
  local dir=$1; shift
  local targets=()
  while (($#)) && [ "$1" != -- ]; do targets+=("$1"); shift; done
  shift
  cmake -S . -B "$dir" -G Ninja --no-warn-unused-cli -DCMAKE_BUILD_TYPE=Release -DXCJM_BENCH=OFF -DXCJM_WIN_TESTS=OFF \
    -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON "$@" >/dev/null
  cmake --build "$dir" -j "$jobs" --target "${targets[@]}" >/dev/null
}

make_test_certificate() {
  local dir=$out/signing
  mkdir -p "$dir"
  openssl req -x509 -newkey rsa:3072 -nodes -days 30 -sha256 -keyout "$dir/key.pem" -out "$dir/cert.pem" \
    -subj "/CN=xcjm release test signing/O=xcjm" -addext "extendedKeyUsage=codeSigning" \
    -addext "keyUsage=digitalSignature" 2>/dev/null
  cert=$dir/cert.pem key=$dir/key.pem
  echo "signing: test certificate build/release/signing/cert.pem"
}

sign() {  # file...
  local file pass=()
  [ -n "$pass_file" ] && pass=(-readpass "$pass_file")
  for file in "$@"; do
    osslsigncode sign -certs "$cert" -key "$key" "${pass[@]}" -h sha256 -n "星尘 文件加密" \
      -in "$file" -out "$file.signed" >/dev/null
    mv "$file.signed" "$file"
  done
}

windows_package() {  # name (win64|win32), installer architecture (x64|x86), toolchain file
  local name=$1 arch=$2 toolchain=$3
  local dir=build/release-$name folder=xcjm-$version-$name
  configure_and_build "$dir" xcjm jmz -- -DCMAKE_TOOLCHAIN_FILE="$toolchain"
  # Stripped before signing: the signature covers the image as shipped, and
  # a package made from the program copies exactly that image.
  cmake --install "$dir" --prefix "$out/stage-$name/$folder" --strip >/dev/null
  sign "$out/stage-$name/$folder/xcjm.exe" "$out/stage-$name/$folder/jmz.exe"
  (cd "$out/stage-$name" && cmake -E tar cf "$out/$folder.zip" --format=zip "$folder")
  bash packaging/windows/build-msi.sh "$arch" "$version" "$out/stage-$name/$folder" "$out/$folder.msi"
  sign "$out/$folder.msi"
  echo "$name: zip and installer done"
}

linux_package() {
  local dir=build/release-linux
  # Debian's hardening flags, all of them (fortified functions, position-
  # independent executable, relocations read-only and bound at start).
  local cppflags cflags cxxflags ldflags
  export DEB_BUILD_MAINT_OPTIONS=hardening=+all
  cppflags=$(dpkg-buildflags --get CPPFLAGS) cflags=$(dpkg-buildflags --get CFLAGS)
  cxxflags=$(dpkg-buildflags --get CXXFLAGS) ldflags=$(dpkg-buildflags --get LDFLAGS)
  configure_and_build "$dir" jmz jmz_manpage -- -DCMAKE_C_FLAGS="$cppflags $cflags" \
    -DCMAKE_CXX_FLAGS="$cppflags $cxxflags" -DCMAKE_EXE_LINKER_FLAGS="$ldflags"
  (cd "$dir" && cpack -B "$out" >/dev/null)
  rm -rf "$out/_CPack_Packages"
  echo "linux: Debian package done"
}

[ -n "$cert" ] || make_test_certificate
windows_package win64 x64 cmake/mingw-w64-x86_64.cmake
windows_package win32 x86 cmake/mingw-w64-i686.cmake
linux_package
[ -z "$(git status --porcelain --untracked-files=no)" ] ||
  echo "release.sh: the working tree has uncommitted changes; the source archive holds the last commit only" >&2
git archive --format=tar.gz --prefix="xcjm-$version/" -o "$out/xcjm-$version-source.tar.gz" HEAD

ls -l "$out"/*.zip "$out"/*.msi "$out"/*.deb "$out"/*.tar.gz
