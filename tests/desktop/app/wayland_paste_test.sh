#!/usr/bin/env bash
# The paste commands of the real program natively on a headless Wayland compositor (weston).
# With a stand-in RemoteDesktop portal (python3-dbusmock and PORTAL_TEMPLATE) each paste types
# Ctrl+V through the portal's keyboard, in one session the user is asked for once. Without one,
# nothing can type: the text stays on the clipboard and the user is told once to press Ctrl+V.
#   wayland_paste_test.sh KALVORY_BINARY [PORTAL_TEMPLATE]   (exit 77: a tool is missing)
set -euo pipefail
kalvory=$1
portal_template=${2:-}
source "$(dirname "$0")/../../support/session_test.sh"
need weston dbus-daemon dbus-send
need_qt_wayland

use_private_home
start_weston
start_session_bus
calls=$work/calls.jsonl
[ -z "$portal_template" ] || start_portal "$portal_template" "$calls"

"$kalvory" >"$work/kalvory.log" 2>&1 &
program=$!
pids+=($program)
wait_for 30 bus_name_owned org.kalvory.Kalvory || fail "the program did not come up on the bus"

keystrokes() { grep -c '"call": "NotifyKeyboardKeysym"' "$calls" 2>/dev/null || true; }
"$kalvory" --command quick-paste-1 >>"$work/command.log" 2>&1 || fail "kalvory --command quick-paste-1 failed"
if [ -n "$portal_template" ]; then
  typed() { [ "$(keystrokes)" = "$1" ]; }
  wait_for 20 typed 4 || fail "the first paste was not typed through the portal"
  "$kalvory" --command quick-paste-2 >>"$work/command.log" 2>&1 || fail "kalvory --command quick-paste-2 failed"
  wait_for 20 typed 8 || fail "the second paste was not typed through the portal"
else
  "$kalvory" --command quick-paste-2 >>"$work/command.log" 2>&1 || fail "kalvory --command quick-paste-2 failed"
fi

# The exit runs after the pastes: the commands of the bus run in the order they came.
"$kalvory" --command exit >>"$work/command.log" 2>&1 || fail "kalvory --command exit failed"
wait_for 30 bash -c "! kill -0 $program 2>/dev/null" || fail "the program did not end"
wait "$program" || fail "the program ended with an error"

notices=$(grep -c "Press Ctrl+V to paste it" "$work/kalvory.log" || true)
if [ -n "$portal_template" ]; then
  [ "$notices" = 0 ] || fail "the user was told to paste by hand although the portal typed"
  # Ctrl+V, press and release, twice; asked for once.
  expected='65507 1
118 1
118 0
65507 0'
  strokes=$(python3 -c '
import json, sys
for line in open(sys.argv[1]):
    call = json.loads(line)
    if call["call"] == "NotifyKeyboardKeysym":
        print(call["keysym"], call["state"])' "$calls")
  [ "$strokes" = "$expected
$expected" ] || fail "the keys typed were: $strokes"
  [ "$(grep -c '"call": "Start"' "$calls")" = 1 ] || fail "the user was asked more than once"
  grep -q '"types": 1' "$calls" || fail "the keyboard was not what was asked for"
  echo "ok: two pastes typed as Ctrl+V through the portal, asked once"
  exit 0
fi
[ "$notices" = 1 ] || fail "the paste by hand was told $notices times"
echo "ok: the text left on the clipboard, told once"
