#!/usr/bin/env bash
# Takes the screenshots of a firing reminder's desktop notification, in English and Russian, into
# docs/screenshots/. The notification server is xfce4-notifyd (it draws the actions as buttons),
# installed by hand: no test needs it.
#   tests/desktop/notifications/take_screenshots.sh build/h/tests/desktop/notifications/notification_screenshot_driver
set -euo pipefail
driver=$(realpath "$1")
out=$(realpath "$(dirname "$0")/../../../docs/screenshots")
server=$(ls /usr/lib/*/xfce4/notifyd/xfce4-notifyd 2>/dev/null | head -n 1)
[ -x "$server" ] || { echo "xfce4-notifyd is not installed" >&2; exit 1; }
work=$(mktemp -d)
chmod 700 "$work"
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT
Xvfb -displayfd 3 -screen 0 800x600x24 -nolisten tcp -noreset -br 3>"$work/display" 2>"$work/xvfb.log" &
pids+=($!)
for _ in $(seq 200); do [ -s "$work/display" ] && break; sleep 0.05; done
export DISPLAY=":$(head -n 1 "$work/display")" HOME="$work" XDG_RUNTIME_DIR="$work" QT_QPA_PLATFORM=xcb
export XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data" KALVORY_HOME="$work/kalvory"
# The program's icon where an installed program would have it, so the server shows it.
icons=$(realpath "$(dirname "$0")/../../../res/icons")
for size in 32 48 64; do
  mkdir -p "$work/data/icons/hicolor/${size}x${size}/apps"
  cp "$icons/kalvory-$size.png" "$work/data/icons/hicolor/${size}x${size}/apps/kalvory.png"
done
export XDG_DATA_DIRS="$work/data:/usr/local/share:/usr/share"

for language in en ru; do
  # A session bus and a notification server of their own for each picture.
  dbus-daemon --session --nofork --print-address=4 4>"$work/bus" 2>/dev/null &
  bus=$!
  for _ in $(seq 200); do [ -s "$work/bus" ] && break; sleep 0.05; done
  export DBUS_SESSION_BUS_ADDRESS=$(head -n 1 "$work/bus")
  if [ "$language" = ru ]; then export LANG=ru_RU.UTF-8; else export LANG=en_US.UTF-8; fi
  "$server" 2>"$work/notifyd.log" &
  notifyd=$!
  sleep 1
  coproc DRIVER { "$driver" "$language" 2>/dev/null; }
  driver_pid=$DRIVER_PID
  read -r -t 10 shown <&"${DRIVER[0]}"
  [ "$shown" = shown ] || { echo "no notification was shown" >&2; exit 1; }
  sleep 1.5  # the server fades the notification in
  # The screen is black but for the notification: trim to it with a black margin.
  import -window root "$work/screen.png"
  convert "$work/screen.png" -trim +repage -bordercolor black -border 12 "$out/notification-$language.png"
  kill "$driver_pid" "$notifyd" "$bus" 2>/dev/null || true
  wait "$driver_pid" "$notifyd" "$bus" 2>/dev/null || true
  rm -f "$work/bus"
done
