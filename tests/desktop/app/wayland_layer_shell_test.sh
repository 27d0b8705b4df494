#!/usr/bin/env bash
# The real program natively on a headless compositor with the layer shell (sway): the on-screen
# clock is an overlay surface, not one of the compositor's windows; its lettering stands exactly
# at the stored place and nothing of its rectangle shows around it; a press beside the lettering
# passes through it, a press on it drags it; clicking it leaves the keyboard where it was; the
# stopwatch, an overlay too, closes by a click on its close corner; and the place the clock was
# dragged to is the one stored at the exit.
#   wayland_layer_shell_test.sh KALVORY_BINARY POINTER_HELPER   (exit 77: a tool is missing)
set -euo pipefail
kalvory=$1
pointer_helper=$2
source "$(dirname "$0")/../../support/session_test.sh"
need sway swaymsg grim convert dbus-daemon dbus-send
need_qt_wayland

source "$(dirname "$0")/headless_sway.sh"
start_headless_sway "$work/sway" "focus_follows_mouse no" || fail "sway did not start"

mkdir -m 700 "$work/run"
use_private_home "$work/run"
export XDG_SESSION_TYPE=wayland QT_QPA_PLATFORM=wayland
unset DISPLAY
start_session_bus

# The pointer comes first, so that the program finds a seat with a mouse.
mkfifo "$work/pointer.in"
"$pointer_helper" 1280 800 <"$work/pointer.in" >"$work/pointer.out" 2>"$work/pointer.log" &
pids+=($!)
exec 3>"$work/pointer.in"
wait_for 10 grep -q ready "$work/pointer.out" || fail "no virtual pointer"
answers=0
pointer() {  # pointer COMMAND: answered once the compositor has taken it
  echo "$1" >&3
  answers=$((answers + 1))
  wait_for 10 answered || fail "the pointer did not $1"
}
answered() { [ "$(grep -c '^ok' "$work/pointer.out")" -ge "$answers" ]; }
# The compositor draws the pointer into its screenshots: it waits in the corner below.
pointer "move 1270 790"

mkdir -p "$work/config/Kalvory"
conf=$work/config/Kalvory/Kalvory.conf
# A clock whose text does not change with the time, so that its outline is known beforehand.
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

# The clock's picture as the program draws it: where its lettering lies inside the window, a point
# on a stroke and a point of the rectangle beside the lettering.
QT_QPA_PLATFORM=offscreen "$kalvory" --render osd-clock --config "$conf" --out "$work/clock.png" \
  >"$work/render.log" 2>&1 || fail "the clock could not be drawn"
read -r width height inner_x inner_y < <(convert "$work/clock.png" -alpha extract -trim -format "%w %h %X %Y\n" info:)
read -r stroke_x stroke_y < <(convert "$work/clock.png" txt:- |
  awk 'NR > 1 && $3 ~ /^#/ && $3 ~ /FF$/ { split($1, at, /[,:]/); print at[1], at[2]; exit }')
[ "$(convert "$work/clock.png" -format "%[fx:p{1,1}.a]" info:)" = 0 ] || fail "the clock's corner is not transparent"

"$kalvory" >"$work/kalvory.log" 2>&1 &
program=$!
pids+=($program)

# What the screen shows above the middle (where the notice about the hotkeys opens): the box
# around everything not of the background's colour, "WIDTH HEIGHT +X +Y".
lettering_at() {
  grim "$work/shot.png" 2>/dev/null || return 1
  shown=$(convert "$work/shot.png" -crop 1280x300+0+0 +repage -fuzz 2% -trim -format "%w %h %X %Y" info: 2>/dev/null)
  [ "$shown" = "$width $height +$(($1 + inner_x)) +$(($2 + inner_y))" ]
}
grep -q "on-screen windows: overlay surfaces" <("$kalvory" --help 2>&1) || fail "--help does not tell of the overlays"
wait_for 10 lettering_at 400 120 || fail "the clock's lettering is not at its stored place: $shown"
tree=$(swaymsg -t get_tree)
! grep -q AlarmClock <<<"$tree" || fail "the clock is one of the compositor's windows"
focused() {  # the id and name of the node that has the keyboard
  swaymsg -t get_tree | python3 -c '
import json, sys
def walk(node):
    if node.get("focused"): print(node["id"], node.get("name"))
    for child in node.get("nodes", []) + node.get("floating_nodes", []): walk(child)
walk(json.load(sys.stdin))'
}
focused_before=$(focused)

drag() {  # drag FROM_X FROM_Y TO_X TO_Y with the left button
  pointer "move $1 $2"
  pointer press
  pointer "move $3 $4"
  pointer release
  pointer "move 1270 790"
}
# A press on a stroke drags the clock, and the keyboard stays where it was.
drag $((400 + stroke_x)) $((120 + stroke_y)) $((460 + stroke_x)) $((160 + stroke_y))
wait_for 10 lettering_at 460 160 || fail "the clock was not dragged to 460,160: $shown"
[ -n "$focused_before" ] && [ "$focused_before" = "$(focused)" ] ||
  fail "clicking the clock moved the keyboard focus from $focused_before to $(focused)"
# A press on the rectangle's corner, beside the lettering, reaches what is below: the desktop,
# which takes the focus; the clock stays, as the next drag from its place shows.
drag 461 161 561 211
focus_left() { [ "$(focused)" != "$focused_before" ]; }
wait_for 10 focus_left || fail "a press beside the lettering did not reach the desktop below"
drag $((460 + stroke_x)) $((160 + stroke_y)) $((500 + stroke_x)) $((190 + stroke_y))
wait_for 10 lettering_at 500 190 || fail "the clock is not at 500,190 (a press beside it moved it?): $shown"

# The stopwatch opens in the middle of the screen, over the notice there, and its close corner (a
# child of the window) takes a click.
"$kalvory" --command stopwatch >"$work/command.log" 2>&1 || fail "kalvory --command stopwatch failed"
stopwatch_display() {  # the colour of the stopwatch's display at its place (565,360), or not
  grim "$work/shot.png" 2>/dev/null || return 1
  colour=$(convert "$work/shot.png" -format "%[hex:p{$((565 + 20)),$((360 + 40))}]" info:)
  [ "$colour" = 96AAAE ]
}
wait_for 10 stopwatch_display || fail "the stopwatch is not shown above the notice: $colour"
pointer "move $((565 + 122 + 20)) $((360 + 2 + 5))"
pointer press
pointer release
pointer "move 1270 790"
stopwatch_gone() { ! stopwatch_display; }
wait_for 10 stopwatch_gone || fail "a click on the stopwatch's close corner did not close it"

"$kalvory" --command exit >"$work/command.log" 2>&1 || fail "kalvory --command exit failed"
wait_for 30 bash -c "! kill -0 $program 2>/dev/null" || fail "the program did not end"
wait "$program" || fail "the program ended with an error"
for key in ClockPositionX=500 ClockPositionY=190 MainPositionX=300 MainPositionY=200; do
  grep -qx "$key" "$conf" || fail "expected $key: $(grep "${key%%=*}" "$conf")"
done
echo "ok: an overlay at its place, dragged on its lettering only, the new place stored"
