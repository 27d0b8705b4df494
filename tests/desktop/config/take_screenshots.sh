#!/usr/bin/env bash
# Takes the screenshots of the taskbar notifier and of the ten configuration pages, in English
# and Russian, into docs/screenshots/:
#   tests/desktop/config/take_screenshots.sh build/h/tests/desktop/config/config_screenshot_driver
set -euo pipefail
driver=$(realpath "$1")
out=$(realpath "$(dirname "$0")/../../../docs/screenshots")
work=$(mktemp -d)
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$work/display" 2>"$work/xvfb.log" &
xvfb=$!
cleanup() { kill "$xvfb" 2>/dev/null || true; rm -rf "$work"; }
trap cleanup EXIT
for _ in $(seq 200); do [ -s "$work/display" ] && break; sleep 0.05; done
display=$(head -n 1 "$work/display")
export DISPLAY=":$display" HOME="$work" XDG_RUNTIME_DIR="$work" QT_QPA_PLATFORM=xcb
chmod 700 "$work"

shoot() {  # kind language file
  local geometry pid
  coproc DRIVER { "$driver" "$1" "$2" 2>/dev/null; }
  pid=$DRIVER_PID
  read -r -t 10 geometry <&"${DRIVER[0]}"
  sleep 0.5
  import -window root -crop "$geometry" +repage "$out/$3-$2.png"
  kill "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
}

pages=(general osd clock-format sound quickpaste plugins wallpaper notifiers stickers skins)
for language in en ru; do
  shoot notifier "$language" taskbar-notifier
  for index in "${!pages[@]}"; do
    shoot "page-$index" "$language" "config-${pages[$index]}"
  done
done
