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
# A missing tool skips the test, except under CI, whose script installs every tool the suite needs.
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
  for log in "$work"/*.log; do echo "--- $log" >&2; cat "$log" >&2; done
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

if [ -n "$portal_template" ]; then
  /usr/bin/python3 -c "import dbusmock" 2>/dev/null || missing python3-dbusmock
  /usr/bin/python3 -m dbusmock --template "$portal_template" -p "{\"log\": \"$work/bound.jsonl\"}" \
    >"$work/portal.log" 2>&1 &
  pids+=($!)
  portal_up() {
    dbus-send --session --print-reply --dest=org.freedesktop.DBus / org.freedesktop.DBus.NameHasOwner \
      string:org.freedesktop.portal.Desktop 2>/dev/null | grep -q "boolean true"
  }
  wait_for 20 portal_up || fail "the stand-in portal did not come up"
fi

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
running() {
  dbus-send --session --print-reply --dest=org.freedesktop.DBus / org.freedesktop.DBus.NameHasOwner \
    string:org.kalvory.Kalvory 2>/dev/null | grep -q "boolean true"
}
wait_for 30 running || fail "the program did not come up on the bus"

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
