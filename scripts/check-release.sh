#!/usr/bin/env bash
# Checks the packages that scripts/release.sh built (run it first):
#  lintian  lintian reports no error and no warning on the Debian package;
#  deb      the Debian package installs on a fresh Debian 12 root (made with
#           mmdebstrap from Debian's packages), and jmz runs there: --version,
#           its manual page, a round trip, the bash completion;
#  msi      in a fresh Wine prefix: the 64-bit installer installs quietly, the
#           installed program starts, the association and context-menu keys
#           hold the values of the program's own commands; an installer of the
#           next version replaces it in place; the uninstall leaves none of its
#           files or keys and keeps the settings and the user's files; without
#           the two optional features neither key is written;
#  sign     osslsigncode accepts the signed programs and installers (the CA
#           file is the test certificate, or XCJM_SIGN_CA for a release signed
#           with --cert); the signed xcjm.exe's image length (as
#           the package code reads it) ends after the certificate table, and a
#           package made from it separates and self-decrypts under Wine;
#  wine     the 64-bit xcjm.exe from the zip starts under Wine in a fresh empty
#           prefix; a screenshot of its window goes to build/release/.
#   check-release.sh [lintian|deb|msi|sign|wine|all]
# Needs root (mmdebstrap, chroot) and the network to Debian's mirrors for the
# root; it is a manual check, not part of the test command (three to four minutes).
set -euo pipefail
cd "$(dirname "$0")/.."
out=$PWD/build/release
what=${1:-all}
version=$(sed -n 's/^project(xcjm VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
display=${XCJM_DISPLAY:-:17}
xvfb=""

fail() { echo "FAILED: $*" >&2; return 1; }

start_display() {
  xdpyinfo -display "$display" >/dev/null 2>&1 && return
  Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb=$!
  sleep 2
}
stop_display() { if [ -n "$xvfb" ]; then kill "$xvfb"; xvfb=""; fi; }

# Waits up to two minutes for a visible window whose title starts with the
# program's name; prints the title.
wait_for_window() {
  local title=""
  for _ in $(seq 1 120); do
    sleep 1
    title=$(DISPLAY=$display xdotool search --onlyvisible --name "^星尘 文件加密" getwindowname 2>/dev/null | head -1) || true
    [ -n "$title" ] && break
  done
  echo "$title"
}

check_lintian() {
  local deb
  deb=$(ls "$out"/jmz_*.deb)
  echo "== lintian $(basename "$deb")"
  lintian --fail-on error,warning --info "$deb" && echo "lintian: no error, no warning"
}

check_deb() (
  command -v mmdebstrap >/dev/null || apt-get install -y -qq --no-install-recommends mmdebstrap >/dev/null
  local deb root
  deb=$(ls "$out"/jmz_*.deb)
  root=$(mktemp -d)
  trap 'umount "$root/proc" 2>/dev/null || true; rm -rf "$root"' EXIT
  echo "== a fresh Debian 12 root (minbase, man-db for the manual page)"
  mmdebstrap --quiet --variant=minbase --include=man-db,bash-completion bookworm "$root" >/dev/null
  cp "$deb" "$root/tmp/"
  mount -t proc proc "$root/proc"
  echo "== dpkg -i $(basename "$deb"); apt-get -f install for its dependencies"
  chroot "$root" dpkg -i "/tmp/$(basename "$deb")" || true
  chroot "$root" apt-get update -qq
  chroot "$root" apt-get -o Dpkg::Use-Pty=0 -f install -y -qq >/dev/null
  chroot "$root" dpkg -s jmz | grep -E '^(Status|Version|Depends):'
  echo "== jmz --version"
  chroot "$root" jmz --version
  echo "== man jmz (first lines)"
  chroot "$root" env MANPAGER=cat MANWIDTH=80 man jmz | head -12
  echo "== a round trip"
  chroot "$root" bash -c 'cd /tmp && printf "星尘 test\n" > a.txt && jmz encrypt -k 钥匙 a.txt && rm a.txt &&
    jmz decrypt -k 钥匙 a.jmz && cat a.txt'
  echo "== bash completion of 'jmz sh'"
  chroot "$root" bash -c 'source /usr/share/bash-completion/bash_completion; source /usr/share/bash-completion/completions/jmz;
    COMP_WORDS=(jmz sh); COMP_CWORD=1; _jmz; echo "${COMPREPLY[*]}"'
)

# --- the installer under Wine -------------------------------------------------

win() { cmake/wine-run.sh "$@"; }
system32() { echo "$XCJM_WINEPREFIX/drive_c/windows/system32"; }
msiexec() { win "$(system32)/msiexec.exe" "$@"; }
# The default value of a key, or nothing when the key is missing.
default_value() {
  { win "$(system32)/reg.exe" query "$1" /ve 2>/dev/null || true; } | iconv -f gbk -t utf-8 | tr -d '\r' |
    sed -n 's/^ *[^ ]* *REG_SZ *//p'
}
key_exists() { win "$(system32)/reg.exe" query "$1" >/dev/null 2>&1; }
# "version|publisher|size in KiB" of each entry of the uninstall lists that
# names the program (Wine keeps them under HKLM, also for per-user products).
uninstall_entries() {
  local root
  for root in HKLM HKCU; do
    { win "$(system32)/reg.exe" query "$root\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall" /s 2>/dev/null ||
      true; } | iconv -f gbk -t utf-8 | tr -d '\r' |
      awk 'function flush() { if (name == "星尘 文件加密") print version "|" publisher "|" size }
           function value() { v = $0; sub(/.*REG_SZ +/, "", v); return v }
           /^HKEY/ { flush(); name = version = publisher = size = "" }
           /^ +DisplayName / { name = value() }
           /^ +DisplayVersion / { version = value() }
           /^ +Publisher / { publisher = value() }
           /^ +Size / { size = value() }
           END { flush() }'
  done
}

# The keys of the association and the context-menu entry, and the values the
# program's own commands write for a program at $1 (a Windows path).
expected_keys() {
  local p=$1
  printf '%s|%s\n' \
    'HKCU\Software\Classes\.jmz' 'xcwjjm' \
    'HKCU\Software\Classes\xcwjjm\shell\open\command' "\"$p\" \"%1\"" \
    'HKCU\Software\Classes\xcwjjm\DefaultIcon' "$p,0" \
    'HKCU\Software\Classes\*\shell\星尘 文件加密' '星尘 文件加密(&H)' \
    'HKCU\Software\Classes\*\shell\星尘 文件加密\command' "\"$p\" \"%1\""
}

check_installed_keys() {  # Windows path of the program
  local key value actual
  while IFS='|' read -r key value; do
    actual=$(default_value "$key")
    [ "$actual" = "$value" ] || fail "$key is \"$actual\", not \"$value\"" || return 1
    echo "  $key = $actual"
  done < <(expected_keys "$1")
}

# Runs in a subshell of its own: its prefix, display and exports end with it.
check_msi() (
  local msi next_msi dir user home folder program title next entries
  msi=$(ls "$out"/xcjm-*-win64.msi)
  dir=$(mktemp -d)
  trap 'cmake/wine-run.sh --stop "$dir/prefix" >/dev/null 2>&1 || true; stop_display; rm -rf "$dir"' EXIT
  export XCJM_WINEPREFIX=$dir/prefix WINEDLLOVERRIDES="mscoree,mshtml=" LC_ALL=C.UTF-8
  start_display
  export DISPLAY=$display
  # A fresh prefix: the first program run creates it.
  win "$out"/stage-win64/*/jmz.exe --version >/dev/null
  user=$(ls "$XCJM_WINEPREFIX/drive_c/users" | grep -v -x Public | head -1)
  home=$XCJM_WINEPREFIX/drive_c/users/$user
  folder="$home/AppData/Local/Programs/星尘 文件加密"
  program="C:\\users\\$user\\AppData\\Local\\Programs\\星尘 文件加密\\xcjm.exe"

  echo "== msiexec /i $(basename "$msi") /qn (a fresh prefix, per user)"
  msiexec /i "$(winepath_of "$msi")" /qn || fail "msiexec /i exited with $?" || return 1
  [ -f "$folder/xcjm.exe" ] && [ -f "$folder/THIRD-PARTY-NOTICES.txt" ] || fail "no program in $folder" || return 1
  [ -f "$home/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/星尘 文件加密.lnk" ] ||
    fail "no Start menu shortcut" || return 1
  echo "installed into the user's programs folder; Start menu shortcut present"
  echo "== association and context-menu keys"
  check_installed_keys "$program" || return 1
  entries=$(uninstall_entries)
  [[ $entries =~ ^$version\|星尘\ 文件加密\ 开发组\|[1-9][0-9]*$ ]] || fail "uninstall entry: $entries" || return 1
  echo "== uninstall entry (version|publisher|KiB): $entries"

  echo "== the installed program starts"
  (unshare -n cmake/wine-run.sh "$folder/xcjm.exe" >/dev/null 2>&1 &)
  title=$(wait_for_window)
  cmake/wine-run.sh --stop "$XCJM_WINEPREFIX" >/dev/null 2>&1 || true
  [ -n "$title" ] || fail "the installed xcjm.exe showed no window" || return 1
  echo "window \"$title\""

  echo "== an installer of the next version replaces it in place"
  next=${version%.*}.$((${version##*.} + 1))
  next_msi=$dir/xcjm-$next-win64.msi
  bash packaging/windows/build-msi.sh x64 "$next" "$(ls -d "$out"/stage-win64/*/)" "$next_msi"
  msiexec /i "$(winepath_of "$next_msi")" /qn || fail "msiexec /i of $next exited with $?" || return 1
  entries=$(uninstall_entries)
  [ "$(echo "$entries" | wc -l)" -eq 1 ] && [ "${entries%%|*}" = "$next" ] ||
    fail "uninstall entries after the upgrade: $entries" || return 1
  echo "one uninstall entry: $entries"
  check_installed_keys "$program" || return 1

  echo "== msiexec /x: no file or key of the installer left; settings and user files kept"
  win "$(system32)/reg.exe" add 'HKCU\Software\星尘 文件加密' /v Color /d 12345 /f >/dev/null
  mkdir -p "$home/Documents" && echo mine >"$home/Documents/照片.jmz"
  msiexec /x "$(winepath_of "$next_msi")" /qn || fail "msiexec /x exited with $?" || return 1
  [ ! -e "$folder" ] || fail "$folder is left: $(ls "$folder")" || return 1
  [ ! -e "$home/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/星尘 文件加密.lnk" ] ||
    fail "the shortcut is left" || return 1
  local key _
  while IFS='|' read -r key _; do
    ! key_exists "$key" || fail "$key is left" || return 1
  done < <(expected_keys "$program")
  ! key_exists 'HKCU\Software\Classes\xcwjjm' || fail "xcwjjm is left" || return 1
  [ -z "$(uninstall_entries)" ] || fail "uninstall entry left: $(uninstall_entries)" || return 1
  key_exists 'HKCU\Software\星尘 文件加密' || fail "the settings key is gone" || return 1
  [ -f "$home/Documents/照片.jmz" ] || fail "the user's file is gone" || return 1
  echo "program folder, shortcut, keys and uninstall entry gone; settings key and user's file kept"

  echo "== the association and the menu entry are features a user can leave out"
  msiexec /i "$(winepath_of "$msi")" /qn ADDLOCAL=Main || fail "msiexec /i ADDLOCAL=Main exited with $?" || return 1
  [ -f "$folder/xcjm.exe" ] || fail "no program with ADDLOCAL=Main" || return 1
  while IFS='|' read -r key _; do
    ! key_exists "$key" || fail "$key written without its feature" || return 1
  done < <(expected_keys "$program")
  msiexec /x "$(winepath_of "$msi")" /qn || fail "msiexec /x exited with $?" || return 1
  [ ! -e "$folder" ] || fail "$folder is left" || return 1
  echo "ADDLOCAL=Main: the program without either key"
)

winepath_of() { echo "Z:$(realpath "$1" | tr / '\\')"; }

# --- the signed program as a package stub --------------------------------------

# The end of the certificate table named by a PE file's security directory.
certificate_table_end() {
  python3 - "$1" <<'EOF'
import struct, sys
data = open(sys.argv[1], 'rb').read()
pe = struct.unpack_from('<I', data, 0x3C)[0]
optional = pe + 24
magic = struct.unpack_from('<H', data, optional)[0]
directories = optional + (96 if magic == 0x10B else 112)
offset, size = struct.unpack_from('<II', data, directories + 4 * 8)
print(offset + size if size else 0)
EOF
}

check_sign() (
  local folder signed ca image table size native dir
  folder=$(ls -d "$out"/stage-win64/*/)
  signed=$folder/xcjm.exe
  ca=${XCJM_SIGN_CA:-$out/signing/cert.pem}
  local file
  for file in "$out"/stage-win*/*/xcjm.exe "$out"/stage-win*/*/jmz.exe "$out"/*.msi; do
    echo "== osslsigncode verify ${file#"$out"/}"
    osslsigncode verify -CAfile "$ca" -in "$file" | grep -x 'Signature verification: ok' ||
      fail "osslsigncode verify ${file#"$out"/}" || return 1
  done
  echo "== image length of the signed program"
  native=build/release-linux/cli/jmz
  image=$("$native" info "$signed" | sed -n 's/.*image \([0-9]*\) bytes.*/\1/p')
  table=$(certificate_table_end "$signed")
  size=$(stat -c %s "$signed")
  echo "image length $image, certificate table ends at $table, file $size bytes"
  [ "$table" -gt 0 ] || fail "no certificate table" || return 1
  [ "$image" -eq "$table" ] && [ "$image" -eq "$size" ] || fail "image length does not end after the certificate table" ||
    return 1
  echo "== a package of the signed program: separation and self-decryption under Wine"
  dir=$(mktemp -d)
  trap 'cmake/wine-run.sh --stop "$dir/prefix" >/dev/null 2>&1 || true; rm -rf "$dir"' EXIT
  XCJM_WINEPREFIX=$dir/prefix XCJM_NATIVE_JMZ=$PWD/$native \
    bash tests/win/sfx_exe_test.sh "$PWD/cmake/wine-run.sh" "$folder/jmz.exe" "$signed"
)

check_wine() (
  local zip dir title=""
  zip=$(ls "$out"/xcjm-*-win64.zip)
  dir=$(mktemp -d)
  unzip -q "$zip" -d "$dir"
  echo "== $(basename "$zip") in a fresh Wine prefix"
  start_display
  # The Wine runner sets the Chinese locale; the prefix is new and empty. No
  # network in the program's namespace: its update check at start-up fails
  # at once instead of asking the maker's sites.
  export DISPLAY=$display XCJM_WINEPREFIX=$dir/prefix WINEDLLOVERRIDES="mscoree,mshtml=" LC_ALL=C.UTF-8
  (cd "$dir"/xcjm-*-win64 && unshare -n "$OLDPWD/cmake/wine-run.sh" ./xcjm.exe >/dev/null 2>&1 &)
  title=$(wait_for_window)
  sleep 2
  import -display "$display" -window root "$out/release-win64-start.png"
  cmake/wine-run.sh --stop "$dir/prefix" || true
  stop_display
  rm -rf "$dir"
  [ -n "$title" ] || fail "xcjm.exe showed no window" || return 1
  echo "window \"$title\"; screenshot build/release/release-win64-start.png"
)

case $what in
  lintian) check_lintian ;;
  deb) check_deb ;;
  msi) check_msi ;;
  sign) check_sign ;;
  wine) check_wine ;;
  all)
    start=$SECONDS
    check_lintian
    check_sign
    check_msi
    check_wine
    check_deb
    echo "check-release: all passed in $((SECONDS - start)) s"
    ;;
  *) echo "usage: check-release.sh [lintian|deb|msi|sign|wine|all]" >&2; exit 2 ;;
esac
