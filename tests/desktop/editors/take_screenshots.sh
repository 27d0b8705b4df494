#!/usr/bin/env bash
# Takes docs/screenshots/reminder-editor-timer-{en,ru,uk}.png (Timer Mode with its length label and
# the warning about a sound file that is not there) and config-wallpaper-folder-{en,ru,uk}.png (the
# Wallpaper page with a folder that does not exist) under a private Xvfb:
#   tests/desktop/editors/take_screenshots.sh BUILD_FOLDER
set -euo pipefail
build=$(realpath "$1")
here=$(cd "$(dirname "$0")" && pwd)
out=$(realpath "$here/../../../docs/screenshots")
cmake --build "$build" --target editor_screenshot_driver >/dev/null
driver="$build/tests/desktop/editors/editor_screenshot_driver"
work=$(mktemp -d)
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$work/display" 2>"$work/xvfb.log" &
xvfb=$!
cleanup() { kill "$xvfb" 2>/dev/null || true; rm -rf "$work"; }
trap cleanup EXIT
for _ in $(seq 200); do [ -s "$work/display" ] && break; sleep 0.05; done
display=$(head -n 1 "$work/display")
export DISPLAY=":$display" HOME="$work" XDG_RUNTIME_DIR="$work" QT_QPA_PLATFORM=xcb
chmod 700 "$work"

for language in en ru uk; do
  for item in reminder-editor-timer=editor-timer config-wallpaper-folder=wallpaper-page; do
    name=${item%%=*}
    kind=${item#*=}
    coproc DRIVER { "$driver" "$kind" "$language" 2>/dev/null; }
    pid=$DRIVER_PID
    read -r -t 10 geometry <&"${DRIVER[0]}"
    import -window root -crop "$geometry" +repage "$out/$name-$language.png"
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
done
echo "screenshots in $out"
