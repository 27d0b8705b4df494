#!/usr/bin/env bash
# Screenshots of the main window with its view and calendar, and of the day note editor opened
# from the calendar's context menu, in English and Russian, under Xvfb:
#   tests/desktop/view/take_view_screenshots.sh build/h/src/desktop/kalvory build/h/src/cli/kalvory-cli
# Writes docs/screenshots/main-view-{en,ru}.png and day-note-editor-{en,ru}.png.
set -euo pipefail
program=$(realpath "$1")
cli=$(realpath "$2")
here=$(cd "$(dirname "$0")" && pwd)
out=$(realpath "$here/../../../docs/screenshots")
mkdir -p "$out"
work=$(mktemp -d)
display=190
while [ -e "/tmp/.X11-unix/X$display" ]; do display=$((display + 1)); done
Xvfb ":$display" -screen 0 1024x640x24 -nolisten tcp -noreset >/dev/null 2>&1 &
xvfb=$!
program_pid=
cleanup() {
  [ -n "$program_pid" ] && kill "$program_pid" 2>/dev/null || true
  kill "$xvfb" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
export DISPLAY=":$display" HOME="$work" XDG_RUNTIME_DIR="$work/run" XDG_CONFIG_HOME="$work/config"
export XDG_DATA_HOME="$work/data" KALVORY_HOME="$work/kalvory" QT_LOGGING_RULES="kalvory.*=false"
export DBUS_SESSION_BUS_ADDRESS="unix:path=$work/no-bus"
mkdir -m 700 "$work/run"
for _ in $(seq 100); do [ -e "/tmp/.X11-unix/X$display" ] && break; sleep 0.05; done

# The id of the visible window whose title is exactly $1 (waits for it to appear).
window_named() {
  local id=
  for _ in $(seq 60); do
    id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -1 || true)
    [ -n "$id" ] && break
    sleep 0.1
  done
  echo "$id"
}

shoot() {  # setting-language name editor-caption
  local language=$1 name=$2 caption=$3
  mkdir -p "$work/config/Kalvory"
  printf '[AppSettings]\nLanguage=%s\nMainPositionX=40\nMainPositionY=40\n' "$language" >"$work/config/Kalvory/Kalvory.conf"
  "$cli" build "$here/screenshot-notes-$name.json" "$work/notes-$name.alr" >/dev/null
  "$program" "$work/notes-$name.alr" >/dev/null 2>&1 &
  program_pid=$!
  local frame
  frame=$(window_named ".*Kalvory")
  sleep 1.5
  import -window "$frame" "$out/main-view-$name.png"
  # The calendar's context menu on its fourth row, sixth column, then "Add day note".
  eval "$(xdotool getwindowgeometry --shell "$frame")"
  local calendar_x=$((X + 378 - 8 - 188)) calendar_y=$((Y + 1 + 26 + 20 + 6))
  xdotool mousemove $((calendar_x + 8 + 5 * 24 + 12)) $((calendar_y + 44 + 3 * 18 + 9)) click 3
  sleep 0.5
  xdotool key Down Down Return
  local editor
  editor=$(window_named "$caption")
  sleep 0.8
  import -window "$editor" "$out/day-note-editor-$name.png"
  xdotool key Escape
  kill "$program_pid" 2>/dev/null || true
  wait "$program_pid" 2>/dev/null || true
  program_pid=
}
shoot 1 en "Date Note"
shoot 0 ru "$(sed -n 's/^6975\t//p' "$here/../../../res/strings/ru.txt")"
