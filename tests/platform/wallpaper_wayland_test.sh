#!/usr/bin/env bash
# kalvory-cli set-wallpaper on a Wayland session of a desktop without a setter of its own (sway),
# whose XWayland display is a private Xvfb: with a stand-in Wallpaper portal (python3-dbusmock and
# PORTAL_TEMPLATE) the picture goes there as a file:// URI, without preview, for the background;
# without one the command says clearly that this desktop cannot be given a picture. Either way
# the X root window, which the compositor never shows, is left alone.
#   wallpaper_wayland_test.sh KALVORY_CLI PORTAL_TEMPLATE   (exit 77: a tool is missing)
set -euo pipefail
cli=$1
portal_template=$2
source "$(dirname "$0")/../support/session_test.sh"
need Xvfb xprop dbus-daemon dbus-send convert
need_dbusmock

mkfifo "$work/display"
Xvfb -displayfd 3 -noreset -nolisten tcp -screen 0 640x480x24 3>"$work/display" >"$work/xvfb.log" 2>&1 &
pids+=($!)
read -r number <"$work/display" || fail "Xvfb did not start"
export DISPLAY=:$number
export XDG_SESSION_TYPE=wayland WAYLAND_DISPLAY=kalvory-test-wayland XDG_CURRENT_DESKTOP=sway
use_private_home
start_session_bus

convert -size 32x24 xc:red "$work/picture.bmp"
root_untouched() { xprop -root _XROOTPMAP_ID 2>&1 | grep -Eq "not found|no such atom"; }

# No way to set it: a clear refusal, and nothing drawn.
if "$cli" set-wallpaper "$work/picture.bmp" >"$work/out.txt" 2>"$work/error.txt"; then
  fail "a desktop with no way to set its picture was said to have one"
fi
grep -q "no way to set its picture" "$work/error.txt" || fail "the refusal does not say why"
root_untouched || fail "the unseen root window was drawn on"

start_portal "$portal_template" "$work/calls.jsonl"

"$cli" set-wallpaper "$work/picture.bmp" >"$work/out.txt" 2>"$work/error.txt" || fail "the portal was not used"
grep -q "wallpaper set (the Wallpaper portal)" "$work/out.txt" || fail "set-wallpaper said: $(cat "$work/out.txt")"
expected="{\"parent_window\": \"\", \"uri\": \"file://$work/kalvory/KalvoryDesktop-1.bmp\", \"show-preview\": false, \"set-on\": \"background\"}"
[ "$(cat "$work/calls.jsonl")" = "$expected" ] || fail "the portal was called with: $(cat "$work/calls.jsonl")"
cmp -s "$work/picture.bmp" "$work/kalvory/KalvoryDesktop-1.bmp" || fail "the published copy is not the picture"
root_untouched || fail "the unseen root window was drawn on"
echo "ok: the picture went to the portal, the root window was left alone"
