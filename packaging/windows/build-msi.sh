#!/usr/bin/env bash
# Builds the Windows installer from xcjm.wxs with wixl (Debian's wixl and
# msitools):
#   build-msi.sh x64|x86 VERSION STAGING_DIR OUT.msi
# STAGING_DIR holds the files of the zip (xcjm.exe, jmz.exe, README.txt,
# LICENSE.txt, THIRD-PARTY-NOTICES.txt).
set -euo pipefail
arch=$1 version=$2 staging=$3 out=$4
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# wixl writes text in the Windows code page of WINDOWS_LANGUAGE and silently
# drops what that code page cannot hold: the Chinese names need 936.
export WINDOWS_LANGUAGE=zh_CN

# The size "Apps and features" shows, in KiB.
size_kib=$(du -sk --apparent-size "$staging" | cut -f1)
source_dir=$(realpath --relative-to="$here" "$staging")
out_abs=$(realpath -m "$out")
# wixl leaves a temporary file in the current folder when it fails.
(cd "$work" && wixl -a "$arch" -D Version="$version" -D SourceDir="$source_dir" -D ArpSize="$size_kib" \
  -o "$out_abs" "$here/xcjm.wxs" 2> >(grep -v -e 'GLib' -e '^$' >&2))

# Two things wixl cannot say, set in its tables afterwards: the database's
# code page (without it Windows reads the names in the system's ANSI code
# page), and an inclusive upper bound for the older versions to replace
# (wixl ignores IncludeMaximum; Windows Installer compares three fields of a
# version, so a release that changes the fourth would otherwise install beside
# the older one).
printf '\r\n\r\n936\t_ForceCodepage\r\n' >"$work/_ForceCodepage.idt"
msiinfo export "$out_abs" Upgrade |
  sed 's/\t256\t\tXCJM_OLDER_FOUND\r\?$/\t768\t\tXCJM_OLDER_FOUND\r/' >"$work/Upgrade.idt"
grep -q $'\t768\t\tXCJM_OLDER_FOUND' "$work/Upgrade.idt" || { echo "build-msi.sh: no upgrade row to widen" >&2; exit 1; }
msibuild "$out_abs" -i "$work/_ForceCodepage.idt" -i "$work/Upgrade.idt"
msiinfo export "$out_abs" Upgrade | grep -q $'\t768\t' || { echo "build-msi.sh: upgrade row not written" >&2; exit 1; }
