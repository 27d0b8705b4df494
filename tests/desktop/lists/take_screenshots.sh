#!/usr/bin/env bash
# Takes, under a private Xvfb with the screenshot driver of this folder:
#   lists: docs/screenshots/lists-window-{en,ru,uk}.png (the lists window docked below the main window)
#   undo: lists-window-postponed-undo-{en,ru,uk}.png (a postponed reminder and the offer to undo a delete)
#   editor: reminder-editor-, day-note-editor- and sticker-chooser-{en,ru,uk}.png
#   tests/desktop/lists/take_screenshots.sh BUILD_FOLDER [lists] [undo] [editor]
# (all three kinds when none is named).
set -euo pipefail
build=$(realpath "$1")
here=$(cd "$(dirname "$0")" && pwd)
out=$(realpath "$here/../../../docs/screenshots")
cmake --build "$build" --target lists_screenshot_driver >/dev/null
driver="$build/tests/desktop/lists/lists_screenshot_driver"
work=$(mktemp -d)
pids=()
cleanup() { for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done; rm -rf "$work"; }
trap cleanup EXIT

# Xvfb chooses a free display and names it on the descriptor given with -displayfd.
exec 3< <(exec Xvfb -displayfd 1 -screen 0 1024x768x24 -nolisten tcp -noreset 2>"$work/xvfb.log")
pids+=($!)
read -r -t 15 display <&3 || { cat "$work/xvfb.log" >&2; exit 1; }
mkdir -m 700 "$work/run"
export DISPLAY=":$display" HOME="$work" XDG_RUNTIME_DIR="$work/run" XDG_CONFIG_HOME="$work/config"
export XDG_DATA_HOME="$work/data" KALVORY_HOME="$work/kalvory" QT_QPA_PLATFORM=xcb
export DBUS_SESSION_BUS_ADDRESS="unix:path=/nonexistent/kalvory-screenshots" QT_LOGGING_RULES="kalvory.*=false"

shoot() {  # language kind file
  local language=$1 kind=$2 file=$3
  "$driver" "$language" "$kind" >"$work/ready" 2>"$work/driver.log" &
  local pid=$!
  pids+=("$pid")
  for _ in $(seq 100); do grep -q '^ready' "$work/ready" && break; sleep 0.1; done
  read -r _ x y w h window <"$work/ready"
  if [ "$kind" = chooser ]; then
    # With its window manager's title bar, which names what is chosen.
    import -window root -crop "$((w + 8))x$((h + 8))+$((x - 4))+$((y - 4))" +repage "$out/$file"
  elif [ "$kind" != lists ]; then
    import -window "$window" "$out/$file"
  else
    # The main window and the lists below it, with a margin of the desktop round them.
    import -window root -crop "$((w + 40))x$((h + 40))+$((x - 20))+$((y - 20))" +repage "$out/$file"
  fi
  kill "$pid"
  wait "$pid" 2>/dev/null || true
}
kinds=("${@:2}")
[ ${#kinds[@]} -gt 0 ] || kinds=(lists undo editor)
for kind in "${kinds[@]}"; do
  case $kind in
    lists) for language in en ru uk; do shoot "$language" lists "lists-window-$language.png"; done ;;
    undo) for language in en ru uk; do shoot "$language" undo "lists-window-postponed-undo-$language.png"; done ;;
    editor)
      for language in en ru uk; do
        shoot "$language" editor "reminder-editor-$language.png"
        shoot "$language" daynote "day-note-editor-$language.png"
      done
      # The chooser's title is drawn by a window manager (openbox), started for these shots only.
      if command -v openbox >/dev/null; then
        openbox >/dev/null 2>&1 &
        pids+=($!)
        for language in en ru uk; do shoot "$language" chooser "sticker-chooser-$language.png"; done
      fi
      ;;
    *) echo "unknown kind: $kind" >&2; exit 2 ;;
  esac
done
echo "screenshots in $out"
