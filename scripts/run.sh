#!/usr/bin/env bash
# Installs what is missing, builds, and runs LurControl: the window program on its simulated
# instrument and GPS receiver. Arguments go to lurctl instead. Without a display, says so and
# runs the command-line demo.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
cmake --preset default >/dev/null
if [ $# -eq 0 ] && { [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; }; then
  cmake --build --preset default -j "$(nproc)" --target lurcontrol >&2
  exec build/default/app/lurcontrol/lurcontrol --simulate
fi
cmake --build --preset default -j "$(nproc)" --target lurctl >&2
lurctl=build/default/app/lurctl/lurctl
if [ $# -gt 0 ]; then
  exec "$lurctl" "$@"
fi
echo "No display (DISPLAY and WAYLAND_DISPLAY are unset): running the command-line demo instead." >&2
demo=${TMPDIR:-/tmp}/lurcontrol-demo
mkdir -p "$demo"
"$lurctl" survey --simulate --type map --x 20 --y 10 --out "$demo/demo.lur"
"$lurctl" session info "$demo/demo.lur"
"$lurctl" render "$demo/demo.lur" --graph map --width 800 --height 500 --out "$demo/demo.map.png"
"$lurctl" render "$demo/demo.lur" --graph section --profile 5 --width 800 --height 300 --out "$demo/demo.section.png"
echo "pictures: $demo/demo.map.png $demo/demo.section.png"
