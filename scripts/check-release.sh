#!/usr/bin/env bash
# Checks the packages that scripts/release.sh built (run it first):
#  deb   the Debian package installs on a fresh Debian 12 root (made with
#        mmdebstrap from Debian's packages), and jmz runs there: --version,
#        its manual page, a round trip, the bash completion;
#  wine  the 64-bit xcjm.exe from the zip starts under Wine in a fresh empty
#        prefix; a screenshot of its window goes to build/release/.
# Needs root (mmdebstrap, chroot) and the network to Debian's mirrors for the
# root; it is a manual check, not part of the test command.
set -euo pipefail
cd "$(dirname "$0")/.."
out=$PWD/build/release
what=${1:-all}

check_deb() {
  command -v mmdebstrap >/dev/null || apt-get install -y -qq --no-install-recommends mmdebstrap >/dev/null
  local deb root
  deb=$(ls "$out"/jmz_*.deb)
  root=$(mktemp -d)
  trap 'umount "$root/proc" 2>/dev/null || true; rm -rf "$root"' RETURN
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
}

check_wine() {
  local zip dir display=${XCJM_DISPLAY:-:16} xvfb="" title=""
  zip=$(ls "$out"/xcjm-*-win64.zip)
  dir=$(mktemp -d)
  unzip -q "$zip" -d "$dir"
  echo "== $(basename "$zip") in a fresh Wine prefix"
  if ! xdpyinfo -display "$display" >/dev/null 2>&1; then
    Xvfb "$display" -screen 0 1024x768x24 >/dev/null 2>&1 &
    xvfb=$!
    sleep 2
  fi
  # The Wine runner sets the Chinese locale; the prefix is new and empty. No
  # network in the program's namespace: its update check at start-up fails
  # at once instead of asking the maker's sites.
  export DISPLAY=$display XCJM_WINEPREFIX=$dir/prefix WINEDLLOVERRIDES="mscoree,mshtml=" LC_ALL=C.UTF-8
  (cd "$dir"/xcjm-*-win64 && unshare -n "$OLDPWD/cmake/wine-run.sh" ./xcjm.exe >/dev/null 2>&1 &)
  for _ in $(seq 1 120); do
    sleep 1
    title=$(xdotool search --onlyvisible --name "^星尘 文件加密" getwindowname 2>/dev/null | head -1) || true
    [ -n "$title" ] && break
  done
  sleep 2
  import -display "$display" -window root "$out/release-win64-start.png"
  cmake/wine-run.sh --stop "$dir/prefix" || true
  [ -n "$xvfb" ] && kill "$xvfb"
  rm -rf "$dir"
  if [ -z "$title" ]; then
    echo "xcjm.exe showed no window"
    return 1
  fi
  echo "window \"$title\"; screenshot build/release/release-win64-start.png"
}

case $what in
  deb) check_deb ;;
  wine) check_wine ;;
  all) check_deb && check_wine ;;
esac
