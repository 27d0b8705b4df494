#!/usr/bin/env bash
# The real program natively on a headless Wayland compositor (weston): the session gives no
# global keys, which is told once and not once per key; "kalvory --command exit" ends it over the
# private session bus; and the stored places of the main window and the on-screen clock survive
# the exit, since the compositor never told the program where its windows were.
# With a stand-in GlobalShortcuts portal (python3-dbusmock and PORTAL_TEMPLATE) the program binds
# its seven keys there instead, and the key the portal reports pressed runs its command.
#   wayland_positions_test.sh KALVORY_BINARY [PORTAL_TEMPLATE]   (exit 77: a tool is missing)
set -euo pipefail
kalvory=$1
portal_template=${2:-}
source "$(dirname "$0")/../../support/session_test.sh"
need weston dbus-daemon dbus-send
need_qt_wayland

use_private_home
start_weston
start_session_bus
[ -z "$portal_template" ] || start_portal "$portal_template" "$work/bound.jsonl"

mkdir -p "$work/config/Kalvory"
cat >"$work/config/Kalvory/Kalvory.conf" <<'CONF'
[AppSettings]
MainFrameVisible=1
MainPositionX=300
MainPositionY=200

[ClockSettings]
isClockVisible=1
ClockPositionX=400
ClockPositionY=120
CONF

"$kalvory" >"$work/kalvory.log" 2>&1 &
program=$!
pids+=($program)
wait_for 30 bus_name_owned org.kalvory.Kalvory || fail "the program did not come up on the bus"

if [ -n "$portal_template" ]; then
  wait_for 20 test -s "$work/bound.jsonl" || fail "no shortcuts were bound at the portal"
  for id in show-clock quick-paste-1 quick-paste-2 quick-paste-3 turn-off show-hide change-wallpaper; do
    grep -q "\"id\": \"$id\"" "$work/bound.jsonl" || fail "the portal was not given $id"
  done
  grep -q '"preferred_trigger": "CTRL+SHIFT+q"' "$work/bound.jsonl" || fail "no preferred key for the clock"
  # The user presses the clock's key: the clock goes, and the setting says so after the exit.
  bound_now() { grep -q "kalvory.hotkeys.portal: bound" "$work/kalvory.log"; }
  wait_for 20 bound_now || fail "the program did not see the binding"
  dbus-send --session --print-reply --dest=org.freedesktop.portal.Desktop /org/freedesktop/portal/desktop \
    org.kalvory.Test.Activate string:show-clock >/dev/null || fail "the stand-in portal did not press the key"
  press_sent() { grep -q "Activated" "$work/portal.log"; }
  wait_for 10 press_sent || fail "the key press was not sent"
fi

"$kalvory" --command exit >"$work/command.log" 2>&1 || fail "kalvory --command exit failed"
wait_for 30 bash -c "! kill -0 $program 2>/dev/null" || fail "the program did not end"
wait "$program" || fail "the program ended with an error"

conf=$work/config/Kalvory/Kalvory.conf
for key in MainPositionX=300 MainPositionY=200 ClockPositionX=400 ClockPositionY=120; do
  grep -qx "$key" "$conf" || fail "the stored $key was lost: $(grep "${key%%=*}" "$conf")"
done
notices=$(grep -c "Global hotkeys are not available here" "$work/kalvory.log" || true)
if [ -n "$portal_template" ]; then
  [ "$notices" = 0 ] || fail "the hotkeys were reported missing although the portal gave them"
  grep -qx "isClockVisible=0" "$conf" || fail "the clock's key did not hide the clock: $(grep isClockVisible "$conf")"
  echo "ok: bound at the portal, the key ran its command, places kept"
  exit 0
fi
[ "$notices" = 1 ] || fail "the missing hotkeys were told $notices times"
! grep -q "RegisterHotKey" "$work/kalvory.log" || fail "a hotkey was reported on its own"
echo "ok: places kept, one notice"
