#!/usr/bin/env bash
# Takes the screenshots of docs/screenshots/ under Xvfb with a tray host (trayer):
#   tests/desktop/take_screenshots.sh build/release/src/desktop/kalvory [all|clock]
# "clock" takes only the analog clock and stopwatch pictures.
set -euo pipefail
program=$(realpath "$1")
out=$(realpath "$(dirname "$0")/../../docs/screenshots")
mkdir -p "$out"
work=$(mktemp -d)
# Xvfb chooses a free display and names it through a pipe once it accepts clients. -noreset:
# between two shots every client is gone, and the server must not start afresh under the next.
mkfifo "$work/display"
Xvfb -displayfd 3 -noreset -nolisten tcp -screen 0 1024x640x24 3>"$work/display" >"$work/xvfb.log" 2>&1 &
xvfb=$!
pids=()
cleanup() {
  local status=$?
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  kill "$xvfb" 2>/dev/null || true
  [ "$status" -eq 0 ] || { echo "--- Xvfb log ---"; cat "$work/xvfb.log"; } >&2
  rm -rf "$work"
}
trap cleanup EXIT
display=$(timeout 30 head -n 1 "$work/display") || true
[ -n "$display" ] || { echo "Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$display" HOME="$work" XDG_RUNTIME_DIR="$work/run" XDG_CONFIG_HOME="$work/config"
export XDG_DATA_HOME="$work/data" KALVORY_HOME="$work/kalvory" QT_LOGGING_RULES="kalvory.*=false"
mkdir -m 700 "$work/run"
# A session bus of our own, without a StatusNotifierItem host, so the icon goes to trayer.
bus=$(dbus-daemon --session --fork --print-address=1 --print-pid=1 | { read -r address; read -r pid; echo "$address $pid"; })
pids+=("${bus##* }")
bus=${bus% *}

shoot() {  # language name x-of-the-View-menu
  local language=$1 name=$2 view_x=$3
  mkdir -p "$work/config/Kalvory"
  printf '[AppSettings]\nLanguage=%s\nMainPositionX=300\nMainPositionY=150\n' "$language" >"$work/config/Kalvory/Kalvory.conf"
  trayer --edge bottom --align right --widthtype request --height 28 --transparent false --tint 0x303030 >/dev/null 2>&1 &
  local trayer_pid=$!
  DBUS_SESSION_BUS_ADDRESS="$bus" "$program" >/dev/null 2>&1 &
  local program_pid=$!
  pids+=("$trayer_pid" "$program_pid")
  xdotool search --sync --onlyvisible --name 'Kalvory$' >/dev/null
  # Nothing tells when the window and the tray icon have finished painting; the pauses here
  # and below give them time for the pictures.
  sleep 1
  import -window root "$out/main-window-$name.png"
  # The View menu of the menu bar.
  xdotool mousemove "$view_x" 189 click 1
  sleep 0.7
  import -window root "$out/menu-view-$name.png"
  xdotool key Escape
  sleep 0.3
  # The tray menu: a right click on the icon at the right end of the panel.
  xdotool mousemove 1011 626 mousedown 3
  sleep 0.7
  import -window root "$out/tray-menu-$name.png"
  xdotool mouseup 3 key Escape
  kill "$program_pid" "$trayer_pid" 2>/dev/null || true
  wait "$program_pid" "$trayer_pid" 2>/dev/null || true
}
# The analog clock in the main window, then the stopwatch opened with its key (Ctrl+F2) over it.
shoot_clock_windows() {  # language name
  local language=$1 name=$2
  mkdir -p "$work/config/Kalvory"
  printf '[AppSettings]\nLanguage=%s\nMainPositionX=300\nMainPositionY=150\n' "$language" >"$work/config/Kalvory/Kalvory.conf"
  DBUS_SESSION_BUS_ADDRESS="$bus" "$program" >/dev/null 2>&1 &
  local program_pid=$!
  pids+=("$program_pid")
  sleep 3
  import -window root -crop 400x290+290+140 +repage "$out/analog-clock-$name.png"
  # No window manager gives the main window the keyboard: it is given by hand.
  xdotool windowfocus --sync "$(xdotool search --onlyvisible --name 'Kalvory$' | head -1)"
  xdotool mousemove 600 300 key ctrl+F2
  sleep 2.3
  import -window root -crop 230x150+397+245 +repage "$out/stopwatch-$name.png"
  kill "$program_pid" 2>/dev/null || true
  wait "$program_pid" 2>/dev/null || true
}

if [ "${2:-all}" = all ]; then
  shoot 1 en 360
  shoot 0 ru 371
fi
shoot_clock_windows 1 en
shoot_clock_windows 0 ru
