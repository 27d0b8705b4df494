#!/usr/bin/env bash
# Shows windows on a private Xvfb and saves their pictures, in English and Russian (or the
# languages of SCREENSHOT_LANGUAGES, such as "en ru uk"), into docs/screenshots/:
#   tests/desktop/common/take_screenshots.sh DRIVER NAME[=KIND]...
# `DRIVER KIND LANG` (KIND defaults to NAME; LANG is en or ru) shows one window and prints the
# geometry of its frame ("WxH+X+Y") once it is on screen; the picture is saved as NAME-LANG.png.
set -euo pipefail
driver=$(realpath "$1")
shift
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

for language in ${SCREENSHOT_LANGUAGES:-en ru}; do
  for item in "$@"; do
    name=${item%%=*}
    kind=${item#*=}
    coproc DRIVER { "$driver" "$kind" "$language" 2>/dev/null; }
    pid=$DRIVER_PID
    read -r -t 10 geometry <&"${DRIVER[0]}"
    sleep 0.5
    import -window root -crop "$geometry" +repage "$out/$name-$language.png"
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
done
