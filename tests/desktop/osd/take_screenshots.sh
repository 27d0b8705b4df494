#!/usr/bin/env bash
# Takes the screenshots of the on-screen windows and the special symbol dialog, in English and
# Russian, into docs/screenshots/ (their configuration pages come with the configuration
# dialog's, tests/desktop/config/take_screenshots.sh):
#   tests/desktop/osd/take_screenshots.sh build/h/tests/desktop/osd/osd_screenshot_driver
set -euo pipefail
driver=$(realpath "$1")
out=$(realpath "$(dirname "$0")/../../../docs/screenshots")
work=$(mktemp -d)
# Xvfb picks a free display and writes its number once it accepts clients.
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
  sleep 0.3
  import -window root -crop "$geometry" +repage "$out/$3-$2.png"
  kill "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
}

for language in en ru; do
  shoot clock "$language" osd-clock
  shoot message "$language" osd-message
  shoot symbols "$language" symbol-dialog
done
