#!/usr/bin/env bash
# The on-screen clock and message and the taskbar notifier on a headless Wayland compositor with the
# layer shell (sway), as overlays above a window, in English, Russian and Ukrainian (grim):
#   take_wayland_screenshots.sh OSD_SCREENSHOT_DRIVER CONFIG_SCREENSHOT_DRIVER [FOLDER]
#   (default folder docs/screenshots)
set -euo pipefail
osd_driver=$1
config_driver=$2
folder=$(realpath "${3:-$(dirname "$0")/../../../docs/screenshots}")
work=$(mktemp -d)
pids=()
trap 'for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done; rm -rf "$work"' EXIT
source "$(dirname "$0")/../app/headless_sway.sh"
start_headless_sway "$work/sway" "default_border none" "seat seat0 hide_cursor 1"
mkdir -m 700 "$work/run"
export XDG_RUNTIME_DIR=$work/run QT_QPA_PLATFORM=wayland XDG_SESSION_TYPE=wayland
unset DISPLAY
for shot in osd-clock:"$osd_driver clock" osd-message:"$osd_driver message" taskbar-notifier:"$config_driver notifier"; do
  name=${shot%%:*}
  read -r driver window <<<"${shot#*:}"
  for language in en ru uk; do
    rm -f "$work/area"
    "$driver" "$window" "$language" >"$work/area" 2>"$work/driver.log" &
    shown=$!
    for _ in $(seq 200); do [ -s "$work/area" ] && break; sleep 0.05; done
    # The driver prints "WxH+X+Y"; grim takes "X,Y WxH".
    area=$(sed -E 's/^([0-9]+)x([0-9]+)\+([0-9]+)\+([0-9]+)$/\3,\4 \1x\2/' "$work/area")
    # The notifier slides out first: the picture is taken once two grabs in a row agree and show
    # more than the background.
    rm -f "$work/last.png"
    for _ in $(seq 100); do
      grim -g "$area" "$work/now.png"
      if [ "$(convert "$work/now.png" -format %k info:)" -gt 1 ] && [ -f "$work/last.png" ] &&
        cmp -s "$work/now.png" "$work/last.png"; then
        break
      fi
      mv "$work/now.png" "$work/last.png"
      sleep 0.1
    done
    cp "$work/now.png" "$folder/wayland-$name-$language.png"
    kill "$shown"
    wait "$shown" 2>/dev/null || true
  done
done
echo "taken: $folder/wayland-{osd-clock,osd-message,taskbar-notifier}-{en,ru,uk}.png"
