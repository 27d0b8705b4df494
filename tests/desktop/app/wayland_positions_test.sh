#!/usr/bin/env bash
# The real program natively on a headless Wayland compositor (weston): the session gives no
# global keys, which is told once and not once per key; "kalvory --command exit" ends it over the
# private session bus; and the stored places of the main window and the on-screen clock survive
# the exit, since the compositor never told the program where its windows were.
#   wayland_positions_test.sh KALVORY_BINARY        (exit 77: weston or qt6-wayland missing)
set -euo pipefail
kalvory=$1
command -v weston >/dev/null && command -v dbus-daemon >/dev/null && command -v dbus-send >/dev/null || exit 77
ls /usr/lib/*/qt6/plugins/platforms/libqwayland-generic.so >/dev/null 2>&1 || exit 77

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

"$kalvory" --command exit >"$work/command.log" 2>&1 || fail "kalvory --command exit failed"
wait_for 30 bash -c "! kill -0 $program 2>/dev/null" || fail "the program did not end"
wait "$program" || fail "the program ended with an error"

conf=$work/config/Kalvory/Kalvory.conf
for key in MainPositionX=300 MainPositionY=200 ClockPositionX=400 ClockPositionY=120; do
  grep -qx "$key" "$conf" || fail "the stored $key was lost: $(grep "${key%%=*}" "$conf")"
done
notices=$(grep -c "Global hotkeys are not available here" "$work/kalvory.log" || true)
[ "$notices" = 1 ] || fail "the missing hotkeys were told $notices times"
! grep -q "RegisterHotKey" "$work/kalvory.log" || fail "a hotkey was reported on its own"
echo "ok: places kept, one notice"
