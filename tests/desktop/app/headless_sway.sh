# Sourced by the Wayland tests and screenshot scripts: start_headless_sway FOLDER starts sway with no
# screen and no input devices (wlroots' headless backend, pixman rendering) on a 1280 x 800 output,
# with its runtime files in FOLDER, adds its process id to the array `pids` and exports
# WAYLAND_DISPLAY and SWAYSOCK. Extra lines for sway's configuration may follow FOLDER.
# sway refuses to run as root; under root it runs as nobody, in a folder the caller can still reach.
start_headless_sway() {
  local home=$1
  shift
  mkdir -m 700 "$home"
  {
    echo "output HEADLESS-1 resolution 1280x800 position 0 0 bg #336699 solid_color"
    echo "xwayland disable"
    printf '%s\n' "$@"
  } >"$home/config"
  local run_as=()
  if [ "$(id -u)" = 0 ]; then
    chmod 711 "$(dirname "$home")"
    chown -R 65534:65534 "$home"
    run_as=(setpriv --reuid=65534 --regid=65534 --clear-groups)
  fi
  env -i PATH="$PATH" HOME="$home" XDG_RUNTIME_DIR="$home" WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 \
    WLR_RENDERER=pixman "${run_as[@]}" sway -c "$home/config" >"$home.log" 2>&1 &
  pids+=($!)
  local tries
  for tries in $(seq 400); do
    if ls "$home"/wayland-? >/dev/null 2>&1 && ls "$home"/sway-ipc.*.sock >/dev/null 2>&1; then
      WAYLAND_DISPLAY=$(ls "$home"/wayland-?)
      SWAYSOCK=$(ls "$home"/sway-ipc.*.sock)
      export WAYLAND_DISPLAY SWAYSOCK
      return 0
    fi
    sleep 0.05
  done
  echo "sway did not start:" >&2
  cat "$home.log" >&2
  return 1
}
