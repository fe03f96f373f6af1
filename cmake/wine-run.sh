#!/usr/bin/env bash
# Runs a Windows program under Wine; CMake uses it as the emulator of the
# win64 build, so ctest runs the Windows tests like native ones.
#
#   wine-run.sh PROGRAM.exe [ARGS...]   run PROGRAM, exit with its exit code
#   wine-run.sh --stop [DIR]            stop the prefix's wineserver (and the
#                                       Xvfb started for it); DIR is the build
#                                       folder or a folder inside it (default:
#                                       the current folder)
#
# The Wine prefix is <build>/wineprefix, where <build> is the nearest folder
# above PROGRAM (or DIR) that holds CMakeCache.txt; XCJM_WINEPREFIX overrides.
#
# Wine runs in Chinese (zh_CN.UTF-8, so the ANSI code page is 936). Without a
# DISPLAY the first run starts an Xvfb through xvfb-run together with a
# wineserver that outlives single programs; parallel runs share both. The
# server ends by itself after XCJM_WINE_IDLE seconds without programs
# (default 30), its Xvfb with it; --stop ends both at once.
set -u

readonly kWine=/usr/lib/wine/wine64
readonly kServer=/usr/lib/wine/wineserver64
readonly kIdleSeconds=${XCJM_WINE_IDLE:-30}

Die() {
  echo "wine-run.sh: $*" >&2
  exit 125
}

# Nearest folder at or above $1 holding CMakeCache.txt; $1 itself otherwise.
BuildFolderOf() {
  local dir
  dir=$(cd "$1" 2>/dev/null && pwd -P) || Die "no such folder: $1"
  local probe=$dir
  while [ "$probe" != / ]; do
    if [ -f "$probe/CMakeCache.txt" ]; then
      echo "$probe"
      return
    fi
    probe=$(dirname "$probe")
  done
  echo "$dir"
}

PrefixFor() {
  if [ -n "${XCJM_WINEPREFIX:-}" ]; then
    mkdir -p "$XCJM_WINEPREFIX" && (cd "$XCJM_WINEPREFIX" && pwd -P)
  else
    echo "$(BuildFolderOf "$1")/wineprefix"
  fi
}

# Only the 64-bit loader: the `wine` wrapper would prefer a 32-bit one, which
# this kernel cannot run.
[ -x "$kWine" ] || Die "$kWine is missing (install wine64)"

callerDisplay=${DISPLAY:-}
mode=run
if [ "${1:-}" = --stop ]; then
  mode=stop
  prefix=$(PrefixFor "${2:-.}")
else
  [ $# -ge 1 ] || Die "usage: wine-run.sh PROGRAM.exe [ARGS...] | --stop [DIR]"
  [ -f "$1" ] || Die "no such program: $1"
  prefix=$(PrefixFor "$(dirname "$1")")
fi

state="$prefix/.xcjm"
# Nothing to stop where this script never ran.
[ "$mode" = stop ] && [ ! -d "$state" ] && exit 0
mkdir -p "$state" || Die "cannot create $state"

exec 9>"$state/lock"
flock 9 || Die "cannot lock $state/lock"

# Wine takes its Windows locale from the Unix one; when zh_CN.UTF-8 is not
# generated on this machine, it is built once inside the prefix and used from
# there (LOCPATH) by the Wine processes alone.
if ! locale -a 2>/dev/null | grep -qiE '^zh_CN\.utf-?8$'; then
  export LOCPATH="$state/locale"
  if [ ! -d "$LOCPATH/zh_CN.UTF-8" ]; then
    mkdir -p "$LOCPATH"
    localedef -i zh_CN -f UTF-8 "$LOCPATH/zh_CN.UTF-8" >>"$state/init.log" 2>&1 ||
      echo "wine-run.sh: could not build the zh_CN.UTF-8 locale; Wine will not use code page 936" >&2
  fi
fi
unset LC_ALL LC_CTYPE LC_MESSAGES LANGUAGE
export LANG=zh_CN.UTF-8 2>/dev/null
export WINEPREFIX=$prefix
export WINESERVER=$kServer
export WINEDEBUG=-all

# True when the Xvfb session started for this prefix is still alive.
SessionAlive() {
  [ -f "$state/session" ] || return 1
  local pid
  read -r pid _ _ <"$state/session" || return 1
  kill -0 "$pid" 2>/dev/null && grep -q xvfb-run "/proc/$pid/cmdline" 2>/dev/null
}

StopServer() {
  "$kServer" -k >/dev/null 2>&1
  "$kServer" -w >/dev/null 2>&1
  if [ -f "$state/session" ]; then
    local pid
    read -r pid _ _ <"$state/session"
    # xvfb-run ends its Xvfb as soon as the server it waits for is gone.
    for _ in $(seq 50); do
      kill -0 "$pid" 2>/dev/null || break
      sleep 0.1
    done
    rm -f "$state/session"
  fi
}

if [ "$mode" = stop ]; then
  StopServer
  exit 0
fi

if [ ! -f "$state/ready" ]; then
  StopServer
  # mscoree and mshtml off: no prompts to install Mono or Gecko. Windows are
  # not left to a window manager (Managed=N): Xvfb has none, so nothing would
  # draw their captions and every hide would wait for one in vain. A crashing
  # program gets its backtrace printed but no crash dialog, which would wait
  # for a click that never comes. The server of the first start is waited
  # for: it writes the new registry when it ends, and processes left over from
  # the set-up would keep a lasting one alive.
  # shellcheck disable=SC2016 # expanded by the inner shell
  initialise='export WINEDLLOVERRIDES="mscoree,mshtml="
    "$0" wineboot -i &&
    "$0" reg add "HKCU\\Software\\Wine\\X11 Driver" /v Managed /d N /f &&
    "$0" reg add "HKCU\\Software\\Wine\\WineDbg" /v ShowCrashDialog /t REG_DWORD /d 0 /f &&
    "$1" -w'
  if [ -z "$callerDisplay" ]; then
    xvfb-run -a -s "-screen 0 1024x768x24 -nolisten tcp" sh -c "$initialise" "$kWine" "$kServer" \
      </dev/null >>"$state/init.log" 2>&1 9>&-
  else
    sh -c "$initialise" "$kWine" "$kServer" </dev/null >>"$state/init.log" 2>&1 9>&-
  fi || Die "wineboot -i failed (see $state/init.log)"
  touch "$state/ready"
fi

# Every process that outlives one program (wineserver, explorer, services...)
# is started here with its output going to a log: a process left holding the
# test's stdout or stderr would make ctest wait for it.
if [ -z "$callerDisplay" ]; then
  if ! SessionAlive; then
    # A server of this prefix that belongs to no live session would keep the
    # new one from starting.
    StopServer
    rm -f "$state/display"
    # `wineserver -p` returns once the server accepts clients; `-w` then keeps
    # xvfb-run, and with it the X server, alive exactly as long as the server.
    # shellcheck disable=SC2016 # expanded by the inner shell
    setsid xvfb-run -a -s "-screen 0 1024x768x24 -nolisten tcp" \
      sh -c '"$0" -p"$1" && echo "$DISPLAY $XAUTHORITY" >"$2.new" && mv "$2.new" "$2" && exec "$0" -w' \
      "$kServer" "$kIdleSeconds" "$state/display" \
      </dev/null >>"$state/session.log" 2>&1 9>&- &
    sessionPid=$!
    for _ in $(seq 300); do
      [ -f "$state/display" ] && break
      kill -0 "$sessionPid" 2>/dev/null || break
      sleep 0.1
    done
    [ -f "$state/display" ] || Die "Xvfb or wineserver did not start (see $state/session.log)"
    echo "$sessionPid" >"$state/session"
    fresh=1
  fi
  read -r DISPLAY XAUTHORITY <"$state/display"
  export DISPLAY XAUTHORITY
else
  # Starts a server unless one runs already.
  "$kServer" -p"$kIdleSeconds" </dev/null >>"$state/session.log" 2>&1 9>&-
fi

if [ -n "${fresh:-}" ] || [ -n "$callerDisplay" ]; then
  # Starts the desktop and the system services away from the caller's output.
  "$kWine" cmd.exe /c exit </dev/null >>"$state/session.log" 2>&1 9>&-
fi

exec 9>&-
exec "$kWine" "$@"
