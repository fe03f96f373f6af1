#!/usr/bin/env bash
# jmz.exe under Wine writing into an output folder that nobody may write to
# (made immutable, which binds even root, as whom Wine may run): every job
# ends in its failure report with exit status 1, the folder stays empty and
# the sources unchanged. Exits 77 (skipped) where the file system cannot
# lock a folder.
#   jmz_exe_locked_folder_test.sh WINE_RUN JMZ_EXE
set -uo pipefail
wine_run=$1
jmz_exe=$2

work=$(mktemp -d)
trap 'chattr -i "$work/locked" 2>/dev/null; rm -rf "$work"' EXIT
cd "$work"

win() { "$wine_run" "$jmz_exe" "$@"; }
failures=0
fail() {
  echo "FAILED: $*" >&2
  failures=$((failures + 1))
}

mkdir locked made
head -c 300000 /dev/urandom >a.txt
win encrypt -k key -o made a.txt >/dev/null || fail "could not make a container"
if ! chattr +i locked 2>/dev/null || touch locked/probe 2>/dev/null; then
  echo "this file system cannot lock a folder: skipped"
  exit 77
fi
sums=$(md5sum a.txt made/a.jmz)

# Arguments, then the start of the report the job ends with.
check() {
  local report=$1
  shift
  local log status
  log=$(win "$@" -o locked 2>&1 | tr -d '\r')
  status=${PIPESTATUS[0]}
  [ "$status" -eq 1 ] || fail "$*: exit status $status"
  grep -q "^$report" <<<"$log" || fail "$*: no report '$report' in: $log"
  [ -z "$(ls -A locked)" ] || fail "$*: left $(ls -A locked)"
  echo "$*: $(tail -n 1 <<<"$log")"
}

check '加密文件出错!已停止:' encrypt -k key a.txt
check '加密文件出错!已停止:' encrypt -k key -l 2 a.txt
check '进行压缩文件...不能完成！已经取消。可能文件压缩意外出错停止等:' encrypt -k '' -l 2 a.txt
check '解密文件出错!已停止:' decrypt -k key made/a.jmz
check '加密文件“' nokey-encrypt -k key a.txt
[ "$(md5sum a.txt made/a.jmz)" = "$sums" ] || fail "a source changed"

[ "$failures" -eq 0 ] && echo "jmz.exe: a locked output folder ends every job in its report"
[ "$failures" -eq 0 ]
