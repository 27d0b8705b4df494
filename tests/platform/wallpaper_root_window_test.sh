#!/bin/sh
# The root window wallpaper on a private X server: a composed picture set by kalvory-cli (which
# then exits) must be what the root window shows, announced by _XROOTPMAP_ID and
# ESETROOT_PMAP_ID; a second picture replaces it and frees the first pixmap; centred and tiled
# pictures land where they should.
# Usage: wallpaper_root_window_test.sh KALVORY_CLI X_DRAWABLE_PROBE RES_FOLDER
set -u
cli=$1
probe=$2
res=$3

for tool in Xvfb import compare convert xprop; do
  command -v "$tool" >/dev/null 2>&1 || { echo "SKIP: $tool missing"; exit 77; }
done

work=$(mktemp -d "${TMPDIR:-/tmp}/kalvory-root-wallpaper-XXXXXX")
xvfb_pid=
holder_pid=
cleanup() {
  [ -n "$holder_pid" ] && kill "$holder_pid" 2>/dev/null
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 1' INT TERM

fail() {
  echo "FAIL: $*"
  echo "--- Xvfb log ---"
  cat "$work/xvfb.log"
  exit 1
}

# Xvfb chooses a free display itself and names it through a pipe once it accepts clients, so
# no other server can take the number between our choice and its start. -noreset: a real
# session always has clients (window manager, panels); here the server would otherwise start
# afresh whenever the last short-lived tool disconnects, dropping a tool that is just
# connecting and freeing the pixmap the wallpaper left behind.
mkfifo "$work/display" || fail "cannot make a pipe"
Xvfb -displayfd 3 -noreset -nolisten tcp -screen 0 800x600x24 3>"$work/display" >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
display=$(timeout 30 head -n 1 "$work/display")
[ -n "$display" ] || fail "Xvfb named no display"

export DISPLAY=":$display"
export KALVORY_HOME="$work/data"
export XDG_RUNTIME_DIR="$work/run"
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
unset XDG_CURRENT_DESKTOP WAYLAND_DISPLAY
# The tool's exit status is checked; leaks of the libraries below Qt must not decide it.
export ASAN_OPTIONS=detect_leaks=0
# One client stays connected for the server's whole life, as in a real session.
xprop -root -spy _XROOTPMAP_ID >"$work/root-pixmaps.log" 2>&1 &
holder_pid=$!

# The channel values of one pixel of a picture file, "R,G,B".
pixel() {
  convert "$1" -format "%[fx:int(255*p{$2,$3}.r+0.5)],%[fx:int(255*p{$2,$3}.g+0.5)],%[fx:int(255*p{$2,$3}.b+0.5)]" info:
}
root_pixmap() {
  xprop -root "$1" | sed -n 's/.*# *\(0x[0-9a-fA-F]*\).*/\1/p'
}

# 1. A composed wallpaper with a sticker, set stretched.
convert -size 400x300 gradient:'#c03020-#2040e0' "$work/photo.png" || fail "cannot make the test picture"
"$cli" compose --picture "$work/photo.png" --screen 800x600 --style 2 --background 102030 \
  --sticker Note --sticker-text "Root window" --data "$res" --out "$work/composed.bmp" || fail "compose failed"
"$cli" set-wallpaper "$work/composed.bmp" --style 2 || fail "set-wallpaper failed"
import -window root "$work/root1.png" || fail "cannot read the root window"
different=$(compare -metric AE "$work/composed.bmp" "$work/root1.png" null: 2>&1)
[ "$different" = "0" ] || fail "the root window differs from the composed picture in $different pixels"
first=$(root_pixmap _XROOTPMAP_ID)
[ -n "$first" ] || fail "_XROOTPMAP_ID is not set"
[ "$(root_pixmap ESETROOT_PMAP_ID)" = "$first" ] || fail "ESETROOT_PMAP_ID does not name the same pixmap"
"$probe" "$first" >/dev/null || fail "the root pixmap $first did not outlive the program"
echo "composed picture on the root window, pixmap $first"

# 2. A small picture centred on black replaces it; the first pixmap is freed.
convert -size 100x80 xc:'#00ff00' -fill '#0000ff' -draw 'point 0,0' "$work/small.png"
"$cli" set-wallpaper "$work/small.png" --style 0 || fail "set-wallpaper (centred) failed"
import -window root "$work/root2.png"
[ "$(pixel "$work/root2.png" 400 300)" = "0,255,0" ] || fail "centre is $(pixel "$work/root2.png" 400 300)"
[ "$(pixel "$work/root2.png" 350 260)" = "0,0,255" ] || fail "picture corner is $(pixel "$work/root2.png" 350 260)"
[ "$(pixel "$work/root2.png" 10 10)" = "0,0,0" ] || fail "outside the picture is $(pixel "$work/root2.png" 10 10)"
second=$(root_pixmap _XROOTPMAP_ID)
[ -n "$second" ] && [ "$second" != "$first" ] || fail "the second picture did not get a pixmap of its own"
if "$probe" "$first" >/dev/null 2>&1; then fail "the first pixmap $first was not freed"; fi
echo "centred picture replaced it, pixmap $first freed"

# 3. Tiled: the picture repeats from the top left corner.
"$cli" set-wallpaper "$work/small.png" --style 1 || fail "set-wallpaper (tiled) failed"
import -window root "$work/root3.png"
[ "$(pixel "$work/root3.png" 0 0)" = "0,0,255" ] || fail "tile origin is $(pixel "$work/root3.png" 0 0)"
[ "$(pixel "$work/root3.png" 700 560)" = "0,0,255" ] || fail "tile (7, 7) is $(pixel "$work/root3.png" 700 560)"
[ "$(pixel "$work/root3.png" 750 590)" = "0,255,0" ] || fail "tile inside is $(pixel "$work/root3.png" 750 590)"
third=$(root_pixmap _XROOTPMAP_ID)
echo "tiled picture repeats"

# 4. A picture that cannot be read changes nothing and says why.
printf 'not a picture' >"$work/broken.png"
if "$cli" set-wallpaper "$work/broken.png" 2>"$work/error.txt"; then fail "a broken picture was accepted"; fi
[ -s "$work/error.txt" ] || fail "no message for a broken picture"
[ "$(root_pixmap _XROOTPMAP_ID)" = "$third" ] || fail "a broken picture replaced the root pixmap"
import -window root "$work/root4.png"
[ "$(compare -metric AE "$work/root3.png" "$work/root4.png" null: 2>&1)" = "0" ] || fail "a broken picture changed the desktop"
echo "PASS"
