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
missing() { echo "missing: $1" >&2; [ "${CI:-}" = true ] && exit 1; exit 77; }
for tool in Xvfb xprop dbus-daemon dbus-send convert; do command -v "$tool" >/dev/null || missing "$tool"; done
/usr/bin/python3 -c "import dbusmock" 2>/dev/null || missing python3-dbusmock

work=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "FAIL: $*" >&2
  for log in "$work"/*.log "$work"/*.jsonl "$work"/*.txt; do [ -f "$log" ] && { echo "--- $log" >&2; cat "$log" >&2; }; done
  exit 1
}
wait_for() {  # wait_for SECONDS COMMAND...
  local tries=$(($1 * 20))
  shift
  for _ in $(seq "$tries"); do "$@" && return 0; sleep 0.05; done
  return 1
}

mkfifo "$work/display"
Xvfb -displayfd 3 -noreset -nolisten tcp -screen 0 640x480x24 3>"$work/display" >"$work/xvfb.log" 2>&1 &
pids+=($!)
read -r number <"$work/display" || fail "Xvfb did not start"
export DISPLAY=:$number
export XDG_SESSION_TYPE=wayland WAYLAND_DISPLAY=kalvory-test-wayland XDG_CURRENT_DESKTOP=sway
export HOME=$work KALVORY_HOME=$work/kalvory ASAN_OPTIONS=detect_leaks=0

dbus-daemon --session --fork --print-address=1 --print-pid=1 >"$work/bus" 2>"$work/bus.log"
export DBUS_SESSION_BUS_ADDRESS=$(sed -n 1p "$work/bus")
pids+=($(sed -n 2p "$work/bus"))

convert -size 32x24 xc:red "$work/picture.bmp"
root_untouched() { xprop -root _XROOTPMAP_ID 2>&1 | grep -Eq "not found|no such atom"; }

# No way to set it: a clear refusal, and nothing drawn.
if "$cli" set-wallpaper "$work/picture.bmp" >"$work/out.txt" 2>"$work/error.txt"; then
  fail "a desktop with no way to set its picture was said to have one"
fi
grep -q "no way to set its picture" "$work/error.txt" || fail "the refusal does not say why"
root_untouched || fail "the unseen root window was drawn on"

/usr/bin/python3 -m dbusmock --template "$portal_template" -p "{\"log\": \"$work/calls.jsonl\"}" \
  >"$work/portal.log" 2>&1 &
pids+=($!)
portal_up() {
  dbus-send --session --print-reply --dest=org.freedesktop.DBus / org.freedesktop.DBus.NameHasOwner \
    string:org.freedesktop.portal.Desktop 2>/dev/null | grep -q "boolean true"
}
wait_for 20 portal_up || fail "the stand-in portal did not come up"

"$cli" set-wallpaper "$work/picture.bmp" >"$work/out.txt" 2>"$work/error.txt" || fail "the portal was not used"
grep -q "wallpaper set (the Wallpaper portal)" "$work/out.txt" || fail "set-wallpaper said: $(cat "$work/out.txt")"
expected="{\"parent_window\": \"\", \"uri\": \"file://$work/kalvory/KalvoryDesktop-1.bmp\", \"show-preview\": false, \"set-on\": \"background\"}"
[ "$(cat "$work/calls.jsonl")" = "$expected" ] || fail "the portal was called with: $(cat "$work/calls.jsonl")"
cmp -s "$work/picture.bmp" "$work/kalvory/KalvoryDesktop-1.bmp" || fail "the published copy is not the picture"
root_untouched || fail "the unseen root window was drawn on"
echo "ok: the picture went to the portal, the root window was left alone"
