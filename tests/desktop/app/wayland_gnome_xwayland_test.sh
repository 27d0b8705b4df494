#!/usr/bin/env bash
# The real program on GNOME's compositor (mutter, headless, with its XWayland), which offers no
# layer shell: the program runs through XWayland by itself, says so in --help, and its on-screen
# clock is an X11 window at the stored place, cut to its lettering, that asks to stay above every
# window (mutter stacks X11 and Wayland windows in one stack); the stored places survive the exit.
#   wayland_gnome_xwayland_test.sh KALVORY_BINARY   (exit 77: a tool is missing)
set -euo pipefail
kalvory=$1
source "$(dirname "$0")/../../support/session_test.sh"
need mutter Xwayland xdotool xwininfo xprop convert dbus-daemon dbus-send

use_private_home
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM
start_session_bus

mutter --headless --wayland --wayland-display=kalvory-gnome --virtual-monitor 1280x800 >"$work/mutter.log" 2>&1 &
pids+=($!)
x_display_named() { grep -q "Using public X11 display" "$work/mutter.log"; }
wait_for 30 x_display_named || fail "mutter did not start with XWayland"
display=$(sed -n 's/.*Using public X11 display \(:[0-9]*\).*/\1/p' "$work/mutter.log" | head -1)
export WAYLAND_DISPLAY=kalvory-gnome DISPLAY=$display XAUTHORITY=$(ls "$work"/.mutter-Xwaylandauth.* | head -1)
export XDG_SESSION_TYPE=wayland XDG_CURRENT_DESKTOP=GNOME

mkdir -p "$work/config/Kalvory"
conf=$work/config/Kalvory/Kalvory.conf
cat >"$conf" <<'CONF'
[AppSettings]
MainFrameVisible=0
MainPositionX=300
MainPositionY=200

[ClockSettings]
isClockVisible=1
ClockPositionX=400
ClockPositionY=120
ClockFormat=Kalvory
CONF

"$kalvory" --help >"$work/help.log" 2>&1 || fail "kalvory --help failed"
grep -q 'Qt platform "xcb"' "$work/help.log" || fail "--help does not name XWayland's platform"
grep -q "on-screen windows: X11 windows through XWayland at their stored places" "$work/help.log" ||
  fail "--help does not tell how the on-screen windows are shown"

"$kalvory" >"$work/kalvory.log" 2>&1 &
program=$!
pids+=($program)
clock_window() { window=$(xdotool search --name '^AlarmClock$' 2>/dev/null | head -1) && [ -n "$window" ]; }
wait_for 30 clock_window || fail "the clock did not come up as an X11 window"
clock_at() {
  xwininfo -id "$window" | grep -q "Absolute upper-left X:  $1\$" &&
    xwininfo -id "$window" | grep -q "Absolute upper-left Y:  $2\$"
}
wait_for 10 clock_at 400 120 || fail "the clock is not at its stored place: $(xwininfo -id "$window" | grep Absolute)"
xprop -id "$window" _NET_WM_STATE | grep -q _NET_WM_STATE_ABOVE || fail "the clock does not ask to stay on top"
# Cut to its lettering, as the program draws it: no box around the digits.
QT_QPA_PLATFORM=offscreen "$kalvory" --render osd-clock --config "$conf" --out "$work/clock.png" \
  >"$work/render.log" 2>&1 || fail "the clock could not be drawn"
lettering=$(convert "$work/clock.png" -alpha extract -trim -format "%wx%h+%X+%Y" info: | tr -s +)
shape=$(xwininfo -shape -id "$window" | sed -n 's/.*Window shape extents: *//p')
[ "$shape" = "$lettering" ] || fail "the clock's shape $shape is not its lettering $lettering"

"$kalvory" --command exit >"$work/command.log" 2>&1 || fail "kalvory --command exit failed"
wait_for 30 bash -c "! kill -0 $program 2>/dev/null" || fail "the program did not end"
wait "$program" || fail "the program ended with an error"
for key in ClockPositionX=400 ClockPositionY=120 MainPositionX=300 MainPositionY=200; do
  grep -qx "$key" "$conf" || fail "expected $key: $(grep "${key%%=*}" "$conf")"
done
echo "ok: through XWayland by itself, the clock at its place and above, places kept"
