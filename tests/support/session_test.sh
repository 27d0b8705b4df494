# Sourced by the tests that run the program on a session of their own (a headless compositor, a
# private session bus, stand-in portals). After sourcing, `work` is a fresh folder removed at the
# exit, and every process id added to the array `pids` is ended then.

# A missing tool skips the test (exit 77), except under CI, whose script installs every tool the
# suite needs.
missing() {
  echo "missing: $1" >&2
  [ "${CI:-}" = true ] && exit 1
  exit 77
}
# need TOOL...: each is a command on the PATH.
need() {
  local tool
  for tool in "$@"; do command -v "$tool" >/dev/null || missing "$tool"; done
}
need_qt_wayland() { ls /usr/lib/*/qt6/plugins/platforms/libqwayland-generic.so >/dev/null 2>&1 || missing qt6-wayland; }
need_dbusmock() { /usr/bin/python3 -c "import dbusmock" 2>/dev/null || missing python3-dbusmock; }

work=$(mktemp -d)
chmod 700 "$work"
pids=()
session_cleanup() {
  exec 3>&- 2>/dev/null || true
  local pid
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}
trap session_cleanup EXIT

# fail MESSAGE: says why, shows the end of every log of the run, and ends the test. With
# KALVORY_TEST_KEEP set the whole folder is copied there first.
fail() {
  echo "FAIL: $*" >&2
  [ -z "${KALVORY_TEST_KEEP:-}" ] || cp -r "$work" "$KALVORY_TEST_KEEP"
  local log
  for log in "$work"/*.log "$work"/*.jsonl "$work"/*.out "$work"/*.txt; do
    [ -f "$log" ] && { echo "--- $log" >&2; tail -n 60 "$log" >&2; }
  done
  exit 1
}

# wait_for SECONDS COMMAND...: true as soon as COMMAND is, false when the time is up.
wait_for() {
  local tries=$(($1 * 20))
  shift
  for _ in $(seq "$tries"); do "$@" && return 0; sleep 0.05; done
  return 1
}

# use_private_home [RUNTIME_FOLDER]: the program's own folders, all inside `work` (the runtime
# folder too, unless another is named).
use_private_home() {
  export HOME=$work XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data KALVORY_HOME=$work/kalvory
  export XDG_RUNTIME_DIR=${1:-$work} ASAN_OPTIONS=detect_leaks=0
}

# A private session bus, exported as the session's.
start_session_bus() {
  dbus-daemon --session --fork --print-address=1 --print-pid=1 >"$work/bus" 2>"$work/bus.log" ||
    fail "no session bus"
  DBUS_SESSION_BUS_ADDRESS=$(sed -n 1p "$work/bus")
  export DBUS_SESSION_BUS_ADDRESS
  pids+=($(sed -n 2p "$work/bus"))
}

# bus_name_owned NAME: someone owns NAME on the session bus.
bus_name_owned() {
  dbus-send --session --print-reply --dest=org.freedesktop.DBus / org.freedesktop.DBus.NameHasOwner \
    "string:$1" 2>/dev/null | grep -q "boolean true"
}

# start_portal TEMPLATE LOG: a stand-in desktop portal (python3-dbusmock) that writes the calls it
# takes to LOG, up once it owns its name.
start_portal() {
  need_dbusmock
  /usr/bin/python3 -m dbusmock --template "$1" -p "{\"log\": \"$2\"}" >"$work/portal.log" 2>&1 &
  pids+=($!)
  wait_for 20 bus_name_owned org.freedesktop.portal.Desktop || fail "the stand-in portal did not come up"
}

# Headless weston on the socket "kalvory-test" in the runtime folder, as the session's Wayland
# display, with the program on Qt's Wayland platform.
start_weston() {
  unset DISPLAY
  weston --backend=headless-backend.so --socket=kalvory-test --width=1280 --height=800 --use-pixman \
    --idle-time=0 >"$work/weston.log" 2>&1 &
  pids+=($!)
  wait_for 20 test -S "$XDG_RUNTIME_DIR/kalvory-test" || fail "weston did not start"
  export WAYLAND_DISPLAY=kalvory-test XDG_SESSION_TYPE=wayland QT_QPA_PLATFORM=wayland
}
