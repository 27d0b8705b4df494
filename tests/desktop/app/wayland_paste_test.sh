#!/usr/bin/env bash
# The paste commands of the real program natively on a headless Wayland compositor (weston).
# With a stand-in RemoteDesktop portal (python3-dbusmock and PORTAL_TEMPLATE) each paste types
# Ctrl+V through the portal's keyboard, in one session the user is asked for once. Without one,
# nothing can type: the text stays on the clipboard and the user is told once to press Ctrl+V.
#   wayland_paste_test.sh KALVORY_BINARY [PORTAL_TEMPLATE]   (exit 77: a tool is missing)
set -euo pipefail
kalvory=$1
portal_template=${2:-}
missing() { echo "missing: $1" >&2; [ "${CI:-}" = true ] && exit 1; exit 77; }
command -v weston >/dev/null && command -v dbus-daemon >/dev/null && command -v dbus-send >/dev/null || missing "weston or dbus"
ls /usr/lib/*/qt6/plugins/platforms/libqwayland-generic.so >/dev/null 2>&1 || missing qt6-wayland

work=$(mktemp -d)
chmod 700 "$work"
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "FAIL: $*" >&2
  for log in "$work"/*.log "$work"/*.jsonl; do [ -f "$log" ] && { echo "--- $log" >&2; cat "$log" >&2; }; done
  exit 1
}
wait_for() {  # wait_for SECONDS COMMAND...
  local tries=$(($1 * 20))
  shift
  for _ in $(seq "$tries"); do "$@" && return 0; sleep 0.05; done
  return 1
}

export XDG_RUNTIME_DIR=$work HOME=$work XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data
export KALVORY_HOME=$work/kalvory ASAN_OPTIONS=detect_leaks=0
unset DISPLAY
weston --backend=headless-backend.so --socket=kalvory-test --width=1280 --height=800 --use-pixman \
  --idle-time=0 >"$work/weston.log" 2>&1 &
pids+=($!)
wait_for 20 test -S "$work/kalvory-test" || fail "weston did not start"
export WAYLAND_DISPLAY=kalvory-test XDG_SESSION_TYPE=wayland QT_QPA_PLATFORM=wayland

dbus-daemon --session --fork --print-address=1 --print-pid=1 >"$work/bus" 2>"$work/bus.log"
export DBUS_SESSION_BUS_ADDRESS=$(sed -n 1p "$work/bus")
pids+=($(sed -n 2p "$work/bus"))

calls=$work/calls.jsonl
if [ -n "$portal_template" ]; then
  /usr/bin/python3 -c "import dbusmock" 2>/dev/null || missing python3-dbusmock
  /usr/bin/python3 -m dbusmock --template "$portal_template" -p "{\"log\": \"$calls\"}" >"$work/portal.log" 2>&1 &
  pids+=($!)
  portal_up() {
    dbus-send --session --print-reply --dest=org.freedesktop.DBus / org.freedesktop.DBus.NameHasOwner \
      string:org.freedesktop.portal.Desktop 2>/dev/null | grep -q "boolean true"
  }
  wait_for 20 portal_up || fail "the stand-in portal did not come up"
fi

"$kalvory" >"$work/kalvory.log" 2>&1 &
program=$!
pids+=($program)
running() {
  dbus-send --session --print-reply --dest=org.freedesktop.DBus / org.freedesktop.DBus.NameHasOwner \
    string:org.kalvory.Kalvory 2>/dev/null | grep -q "boolean true"
}
wait_for 30 running || fail "the program did not come up on the bus"

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
