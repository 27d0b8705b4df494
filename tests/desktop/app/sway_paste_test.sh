#!/usr/bin/env bash
# The paste command of the real program natively on headless sway (wlroots), with another
# program's text field focused: the program holds its text as the selection through the
# compositor's data control (sway refuses the toolkit's clipboard to a program without the
# focus) and types Ctrl+V through a virtual keyboard of the compositor; the text field pastes it.
#   sway_paste_test.sh KALVORY_BINARY PASTE_TARGET_HELPER   (exit 77: a tool is missing)
set -euo pipefail
kalvory=$1
helper=$2
source "$(dirname "$0")/../../support/session_test.sh"
need sway dbus-daemon dbus-send
need_qt_wayland

unset DISPLAY WAYLAND_DISPLAY
source "$(dirname "$0")/headless_sway.sh"
start_headless_sway "$work/sway" || fail "sway did not start"
mkdir -m 700 "$work/run"
use_private_home "$work/run"
export XDG_SESSION_TYPE=wayland QT_QPA_PLATFORM=wayland
start_session_bus

"$kalvory" --help >"$work/help.out" 2>&1
grep -q "paste:             the clipboard and Ctrl+V through the compositor's virtual keyboard" "$work/help.out" ||
  fail "kalvory --help does not name the virtual keyboard"

"$kalvory" >"$work/kalvory.log" 2>&1 &
program=$!
pids+=($program)
wait_for 30 bus_name_owned org.kalvory.Kalvory || fail "the program did not come up on the bus"

"$helper" >"$work/helper.out" 2>"$work/helper.log" &
pids+=($!)
focused() { grep -q "^focused" "$work/helper.out"; }
wait_for 20 focused || fail "the text field did not get the focus"

# QuickPaste 1 is the date as "%Y%d%m" (taken on both sides of the paste, for a run at midnight).
before=$(date +%Y%d%m)
"$kalvory" --command quick-paste-1 >"$work/command.log" 2>&1 || fail "kalvory --command quick-paste-1 failed"
pasted() { grep -q "^key: Ctrl+V$" "$work/helper.out"; }
wait_for 20 pasted || fail "no Ctrl+V reached the text field"
has_text() { grep -Eq "^text: ($before|$(date +%Y%d%m))$" "$work/helper.out"; }
wait_for 20 has_text || fail "the text field did not paste the program's text"
grep -q "key: Ctrl+Shift" "$work/helper.out" && fail "a Shift went with the Ctrl+V"

# Copy date fills the clipboard alone; another QuickPaste then pastes its own text again.
"$kalvory" --command copy-date >>"$work/command.log" 2>&1 || fail "kalvory --command copy-date failed"
"$kalvory" --command quick-paste-1 >>"$work/command.log" 2>&1 || fail "the second quick-paste-1 failed"
second() { [ "$(grep -c "^key: Ctrl+V$" "$work/helper.out")" = 2 ] && grep -Eq "^text: ($before|$(date +%Y%d%m)){2}$" "$work/helper.out"; }
wait_for 20 second || fail "the second paste did not arrive"
echo "ok: the program's text pasted into the focused program through the virtual keyboard"
