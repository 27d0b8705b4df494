#!/usr/bin/env bash
# The on-screen clock and message on a headless Wayland compositor with the layer shell (sway), as
# overlays above a window, in English, Russian and Ukrainian (grim):
#   take_wayland_screenshots.sh OSD_SCREENSHOT_DRIVER [FOLDER]   (default docs/screenshots)
set -euo pipefail
driver=$1
folder=$(realpath "${2:-$(dirname "$0")/../../../docs/screenshots}")
work=$(mktemp -d)
pids=()
trap 'for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done; rm -rf "$work"' EXIT
source "$(dirname "$0")/../app/headless_sway.sh"
start_headless_sway "$work/sway" "default_border none" "seat seat0 hide_cursor 1"
mkdir -m 700 "$work/run"
export XDG_RUNTIME_DIR=$work/run QT_QPA_PLATFORM=wayland XDG_SESSION_TYPE=wayland
unset DISPLAY
for window in clock message; do
  for language in en ru uk; do
    "$driver" "$window" "$language" >"$work/area" 2>"$work/driver.log" &
    shown=$!
    for _ in $(seq 200); do [ -s "$work/area" ] && break; sleep 0.05; done
    # The driver prints "WxH+X+Y"; grim takes "X,Y WxH".
    area=$(sed -E 's/^([0-9]+)x([0-9]+)\+([0-9]+)\+([0-9]+)$/\3,\4 \1x\2/' "$work/area")
    grim -g "$area" "$folder/wayland-osd-$window-$language.png"
    kill "$shown"
    wait "$shown" 2>/dev/null || true
  done
done
echo "taken: $folder/wayland-osd-{clock,message}-{en,ru,uk}.png"
