#!/usr/bin/env bash
# The paste command of the real program natively on headless sway (wlroots), with another
# program's text field focused: the program holds its text as the selection through the
# compositor's data control (sway refuses the toolkit's clipboard to a program without the
# focus) and types Ctrl+V through a virtual keyboard of the compositor; the text field pastes it.
#   sway_paste_test.sh KALVORY_BINARY PASTE_TARGET_HELPER   (exit 77: a tool is missing)
set -euo pipefail
kalvory=$1
helper=$2
missing() { echo "missing: $1" >&2; [ "${CI:-}" = true ] && exit 1; exit 77; }
command -v sway >/dev/null && command -v dbus-daemon >/dev/null && command -v dbus-send >/dev/null || missing "sway or dbus"
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
  for log in "$work"/*.log "$work"/*.out; do [ -f "$log" ] && { echo "--- $log" >&2; cat "$log" >&2; }; done
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
unset DISPLAY WAYLAND_DISPLAY
printf 'output HEADLESS-1 resolution 1280x800\n' >"$work/sway.conf"
# sway refuses to run as root: there it runs as nobody, in a runtime folder of its own user.
as_user=()
if [ "$(id -u)" = 0 ]; then
  command -v setpriv >/dev/null || missing setpriv
  chown 65534:65534 "$work" "$work/sway.conf"
  as_user=(setpriv --reuid=65534 --regid=65534 --clear-groups)
fi
WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman "${as_user[@]}" sway -c "$work/sway.conf" \
  >"$work/sway.log" 2>&1 &
pids+=($!)
socket() { compgen -G "$work/wayland-[0-9]" >/dev/null; }
wait_for 20 socket || fail "sway did not start"
export WAYLAND_DISPLAY=$(basename "$(compgen -G "$work/wayland-[0-9]" | head -1)")
export XDG_SESSION_TYPE=wayland QT_QPA_PLATFORM=wayland

dbus-daemon --session --fork --print-address=1 --print-pid=1 >"$work/bus" 2>"$work/bus.log"
export DBUS_SESSION_BUS_ADDRESS=$(sed -n 1p "$work/bus")
pids+=($(sed -n 2p "$work/bus"))

"$kalvory" --help >"$work/help.out" 2>&1
grep -q "paste:             the clipboard and Ctrl+V through the compositor's virtual keyboard" "$work/help.out" ||
  fail "kalvory --help does not name the virtual keyboard"

"$kalvory" >"$work/kalvory.log" 2>&1 &
program=$!
pids+=($program)
running() {
  dbus-send --session --print-reply --dest=org.freedesktop.DBus / org.freedesktop.DBus.NameHasOwner \
    string:org.kalvory.Kalvory 2>/dev/null | grep -q "boolean true"
}
wait_for 30 running || fail "the program did not come up on the bus"

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
