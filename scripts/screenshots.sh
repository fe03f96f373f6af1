#!/usr/bin/env bash
# Makes the user's guide's screenshots (docs/images/*.png) under Wine: the
# program runs in a fresh prefix on an Xvfb display of its own, driven with
# xdotool, without network (its update check at start-up fails at once).
# Each picture is one shot_* function below; a new one is a function and a
# line in the list at the end. The pictures are reduced to a 256-colour
# palette to stay small.
#
#   bash scripts/screenshots.sh              all pictures
#   bash scripts/screenshots.sh main hexview only these
# XCJM_EXE picks the program (default: the win64 build, built when missing);
# XCJM_DISPLAY the X display (default :16).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

bash scripts/install-deps.sh
exe=${XCJM_EXE:-build/win64/app/win32/xcjm.exe}
if [ ! -f "$exe" ]; then
  cmake --preset win64 >/dev/null
  cmake --build --preset win64 --target xcjm >/dev/null
fi
exe=$(realpath "$exe")
images=$root/docs/images
work=$root/build/screenshots
rm -rf "$work"
mkdir -p "$work" "$images"

export DISPLAY=${XCJM_DISPLAY:-:16} XCJM_WINEPREFIX=$work/prefix WINEDLLOVERRIDES="mscoree,mshtml="
# xdotool matches the windows' UTF-8 names.
export LC_ALL=C.UTF-8
Xvfb "$DISPLAY" -screen 0 1280x1024x24 >/dev/null 2>&1 &
xvfb=$!
cleanup() {
  cmake/wine-run.sh --stop "$work/prefix" 2>/dev/null || true
  kill "$xvfb" 2>/dev/null || true
}
trap cleanup EXIT
sleep 2
xsetroot -solid '#3a6ea5' 2>/dev/null || true

# The Wine runner sets the Chinese locale (code page 936) and the prefix.
wine() { unshare -n "$root/cmake/wine-run.sh" "$@"; }

# The sample files lie in C:\文档 of the prefix, so that the pictures show
# a short Windows path and nothing of this machine's folders.
winpath() { local rel=${1#"$work/files/"}; printf 'C:\\%s' "${rel//\//\\}"; }
# The folder goes into the prefix's C: drive once Wine has made the prefix
# (a small program of Wine's own makes it), before the files are written.
wine /usr/lib/x86_64-linux-gnu/wine/x86_64-windows/hostname.exe >/dev/null 2>&1 || true
mkdir -p "$work/prefix/drive_c/文档"
ln -sfn "$work/prefix/drive_c" "$work/files"

# Starts the program with `args` and waits for its window: $found.
# (No command substitution here: its subshell would run the exit trap.)
start() {
  (cd "$work/files" && wine "$exe" "$@" >/dev/null 2>&1 &)
  wait_window "^星尘 文件加密"
}

found=""
wait_window() {  # name pattern; the newest matching window id goes to $found
  local id=""
  for _ in $(seq 1 600); do
    id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | tail -1) || true
    [ -n "$id" ] && break
    sleep 0.2
  done
  [ -n "$id" ] || { echo "no window named $1" >&2; return 1; }
  sleep 1
  found=$id
}

# Clicks at a point of a window's client area (the frame that Wine draws
# around the 498 x 472 client area of the main window is measured).
click() {  # window, x, y, button
  local w h border caption
  eval "$(xdotool getwindowgeometry --shell "$1")"
  w=$WIDTH h=$HEIGHT
  border=$(((w - 498) / 2))
  caption=$((h - 472 - border))
  xdotool mousemove --window "$1" $((border + $2)) $((caption + $3)) click "$4"
  sleep 0.7
}

# Saves the screen area of `window` (grown by `extra` pixels to the right,
# for menus that open beyond it, and `below` pixels downwards, for an open
# list) as docs/images/NAME.png with a palette.
shoot() {  # name, window, extra, below
  local extra=${3:-0} below=${4:-0}
  eval "$(xdotool getwindowgeometry --shell "$2")"
  import -display "$DISPLAY" -window root -crop "$((WIDTH + extra))x$((HEIGHT + below))+$X+$Y" +repage "$work/$1.png"
  pngquant --force --quality 60-90 --strip --output "$images/$1.png" -- "$work/$1.png" ||
    convert "$work/$1.png" -colors 256 "PNG8:$images/$1.png"
  echo "docs/images/$1.png"
}

shoot_screen() {  # name: the whole screen, cropped to the windows' area
  import -display "$DISPLAY" -window root -crop 1280x760+0+0 +repage "$work/$1.png"
  pngquant --force --quality 60-90 --strip --output "$images/$1.png" -- "$work/$1.png" ||
    convert "$work/$1.png" -colors 256 "PNG8:$images/$1.png"
  echo "docs/images/$1.png"
}

stop_all() {
  cmake/wine-run.sh --stop "$work/prefix" 2>/dev/null || true
  sleep 1
}

type_key() {  # window, text: typed into the encryption key box
  click "$1" 120 200 1
  xdotool type --delay 40 "$2"
}

shot_main() {
  local w
  start
  w=$found
  type_key "$w" "demo key 2026"
  shoot main-window "$w"
  stop_all
}

shot_keymenu() {
  local w
  start
  w=$found
  type_key "$w" "demo key 2026"
  click "$w" 120 200 3
  shoot key-menu "$w" 120
  xdotool key Escape
  stop_all
}

shot_mainmenu() {
  local w
  start
  w=$found
  click "$w" 440 45 3
  shoot main-menu "$w" 310
  xdotool key Escape
  stop_all
}

# The authenticated-encryption item on (by /rzjm): the key box's title says
# so, and the open menu shows the item checked.
shot_aead() {
  local w
  start /rzjm
  w=$found
  type_key "$w" "demo key 2026"
  click "$w" 440 45 3
  shoot aead-item "$w" 310
  xdotool key Escape
  stop_all
}

shot_batch() {
  local w dialog
  # xdotool types ASCII reliably, so the typed names are ASCII.
  for name in report photo data; do head -c 400M /dev/urandom > "$work/files/文档/$name.bin"; done
  start "$(winpath "$work/files/文档/report.bin")"
  w=$found
  type_key "$w" "demo key 2026"
  click "$w" 118 34 1
  wait_window "选择要加密的文件"
  dialog=$found
  xdotool windowfocus "$dialog" 2>/dev/null || true
  xdotool key ctrl+a
  xdotool type --delay 20 '"report.bin" "photo.bin" "data.bin"'
  xdotool key Return
  sleep 2
  # The program cascades the windows of a batch itself, one caption apart.
  xdotool mousemove 1270 1010
  sleep 3
  shoot batch "$w" 50 50
  stop_all
  rm -f "$work/files/文档/"*.bin "$work/files/文档/"*.jmz
}

shot_hexview() {
  local w hex
  printf '星尘 文件加密: 一个示例文件。\r\nA sample file for the hex view.\r\n' > "$work/files/sample.txt"
  head -c 2000 /dev/urandom >> "$work/files/sample.txt"
  start "$(winpath "$work/files/sample.txt")"
  w=$found
  click "$w" 440 45 3
  # The menu opens at the pointer; its first item is the hex view, whose
  # dialog starts in the working folder (C:\).
  xdotool mousemove --window "$w" 500 78 click 1
  wait_window "16进制查看"
  xdotool windowfocus "$found" 2>/dev/null || true
  xdotool type --delay 40 'sample.txt'
  xdotool key Return
  wait_window "sample.txt" || { import -window root "$work/hexview-failed.png"; return 1; }
  hex=$found
  xdotool mousemove 1270 1010
  sleep 1
  shoot hex-view "$hex"
  # The find bar with its replace row, after a search for text in GBK.
  xdotool windowfocus "$hex" 2>/dev/null || true
  xdotool key ctrl+h
  sleep 0.5
  xdotool type --delay 60 'sample'
  xdotool key Return
  sleep 1
  shoot hex-find "$hex"
  stop_all
}

# The log after checking two files through the log's menu ("选择文件效验MD5"),
# with its list opened.
shot_md5() {
  local w
  printf '星尘 文件加密: 一个示例文件。\r\n' > "$work/files/notes.txt"
  head -c 300000 /dev/urandom >> "$work/files/notes.txt"
  head -c 2000000 /dev/urandom > "$work/files/photo.bin"
  start "$(winpath "$work/files/notes.txt")"
  w=$found
  # The dialog starts in the working folder (C:\), where the files lie.
  click "$w" 240 427 3
  # The menu opens at the pointer; its first item checks files.
  xdotool mousemove_relative 30 10 click 1
  wait_window "选择文件效验MD5"
  xdotool windowfocus "$found" 2>/dev/null || true
  xdotool key ctrl+a
  xdotool type --delay 20 '"notes.txt" "photo.bin"'
  xdotool key Return
  sleep 3
  click "$w" 472 427 1
  sleep 1
  shoot md5-log "$w" 0 60
  xdotool key Escape
  stop_all
  rm -f "$work/files/notes.txt" "$work/files/photo.bin"
}

# A package made by jmz with this program as its stub shows what it carries.
shot_package() {
  local jmz=${XCJM_JMZ:-build/native/cli/jmz} folder=$work/files/文档/package
  if [ ! -x "$jmz" ]; then
    cmake --preset native >/dev/null
    cmake --build --preset native --target jmz >/dev/null
  fi
  mkdir -p "$folder"
  printf '星尘 文件加密: 一个示例文件。\r\n' > "$folder/合同.txt"
  head -c 400000 /dev/urandom >> "$folder/合同.txt"
  "$jmz" encrypt -q -k 'demo key 2026' "$folder/合同.txt"
  "$jmz" sfx-create -q --stub "$exe" "$folder"/*.jmz
  rm -f "$folder"/*.txt "$folder"/*.jmz
  local package
  package=$(find "$folder" -name '*.exe' | head -1)
  (cd "$folder" && wine "$package" >/dev/null 2>&1 &)
  wait_window "^星尘 文件加密"
  xdotool mousemove 1270 1010
  sleep 1
  shoot package-window "$found"
  stop_all
}

shots=("$@")
((${#shots[@]})) || shots=(main keymenu mainmenu aead batch hexview md5 package)
for s in "${shots[@]}"; do "shot_$s"; done
