#!/usr/bin/env bash
# Takes docs/screenshots/reminder-editor-timer-{en,ru,uk}.png (Timer Mode with its length label and
# the warning about a sound file that is not there) and config-wallpaper-folder-{en,ru,uk}.png (the
# Wallpaper page with a folder that does not exist) under a private Xvfb:
#   tests/desktop/editors/take_screenshots.sh BUILD_FOLDER
set -euo pipefail
build=$(realpath "$1")
here=$(cd "$(dirname "$0")" && pwd)
cmake --build "$build" --target editor_screenshot_driver >/dev/null
"$here/../common/take_screenshots.sh" "$build/tests/desktop/editors/editor_screenshot_driver" \
  reminder-editor-timer=editor-timer config-wallpaper-folder=wallpaper-page
